// A short-lived empty file that this process makes itself and removes again.
#pragma once

#include <windows.h>

#include <string>

// Creates `path` empty, but only where nothing of that name exists yet
// (CREATE_NEW), so a file that someone else owns is never truncated; the
// file is closed at once and deleted when the object goes, also while an
// exception unwinds. A file that could not be created is never deleted.
class TNewFile {
public:
    explicit TNewFile(std::wstring path);
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;
    ~TNewFile();

    bool Created() const { return created_; }
    // GetLastError of a failed creation (ERROR_FILE_EXISTS when the name is
    // taken); ERROR_SUCCESS when the file was created.
    DWORD Error() const { return error_; }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    bool created_ = false;
    DWORD error_ = ERROR_SUCCESS;
};
