#include "SysImg/NewFile.h"

#include "win/Handles.h"

TNewFile::TNewFile(std::wstring path) : path_(std::move(path)) {
    const HANDLE raw =
        CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        error_ = GetLastError();
        return;
    }
    // Only the name is wanted: the file is closed again at once.
    TUniqueKernelHandle file(raw);
    created_ = true;
}

TNewFile::~TNewFile() {
    if (created_) DeleteFileW(path_.c_str());
}
