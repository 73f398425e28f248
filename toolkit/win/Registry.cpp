#include "win/Registry.h"

#include <vector>

#include "core/Exception.h"
#include "core/Utf.h"

namespace {
[[noreturn]] void Raise(const char* pattern, const std::string& name, LONG code = 0) {
    throw ERegistryException(Format(pattern, {name}), code);
}
}  // namespace

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const std::string& path, bool create) {
    HKEY parent = current_ ? current_.Get() : root_;
    HKEY key = nullptr;
    LONG result;
    const std::wstring wide = Widen(path);
    if (create) {
        result = RegCreateKeyExW(parent, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                 &key, nullptr);
    } else {
        result = RegOpenKeyExW(parent, wide.c_str(), 0, access_, &key);
    }
    openError_ = result;
    if (result != ERROR_SUCCESS) return false;
    current_.Reset(key);
    return true;
}

void TRegistry::CloseKey() { current_.Reset(); }

bool TRegistry::ValueExists(const std::string& name) const {
    if (!current_) return false;
    return RegQueryValueExW(current_.Get(), Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!current_) return {};
    const std::wstring wide = Widen(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(current_.Get(), wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return {};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) Raise("Invalid data type for '%s'", name);
    // The value may grow between the two queries; ask again with more room.
    std::vector<BYTE> data;
    LONG result;
    do {
        data.assign(size + sizeof(wchar_t), 0);
        size = static_cast<DWORD>(data.size());
        result = RegQueryValueExW(current_.Get(), wide.c_str(), nullptr, &type, data.data(), &size);
    } while (result == ERROR_MORE_DATA);
    if (result != ERROR_SUCCESS) Raise("Failed to get data for '%s'", name, result);
    if (type != REG_SZ && type != REG_EXPAND_SZ) Raise("Invalid data type for '%s'", name);
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    const size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return Narrow(text);
}

int TRegistry::ReadInteger(const std::string& name) const {
    DWORD value = 0, type = 0, size = sizeof(value);
    if (!current_) Raise("Failed to get data for '%s'", name, openError_);
    // Data longer than four bytes, whatever its type, cannot be read here.
    const LONG result = RegQueryValueExW(current_.Get(), Widen(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS) Raise("Failed to get data for '%s'", name, result);
    if (type != REG_DWORD) Raise("Invalid data type for '%s'", name);
    return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    const DWORD data = static_cast<DWORD>(value);
    const auto* bytes = reinterpret_cast<const BYTE*>(&data);
    WriteStored(name, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof data));
}

void TRegistry::DeleteValue(const std::string& name) {
    if (!current_) Raise("Failed to delete value '%s'", name, openError_);
    const LONG result = RegDeleteValueW(current_.Get(), Widen(name).c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        Raise("Failed to delete value '%s'", name, result);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    const std::wstring wide = Widen(value);
    const auto* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
    WriteStored(name, REG_SZ, std::vector<BYTE>(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t)));
}

bool TRegistry::ReadStored(const std::string& name, DWORD& type, std::vector<BYTE>& data) const {
    if (!current_) return false;
    const std::wstring wide = Widen(name);
    DWORD size = 0;
    LONG result = RegQueryValueExW(current_.Get(), wide.c_str(), nullptr, &type, nullptr, &size);
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        data.assign(size, 0);
        result = RegQueryValueExW(current_.Get(), wide.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
    }
    return false;
}

void TRegistry::WriteStored(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    if (!current_) Raise("Failed to set data for '%s'", name, openError_);
    const LONG result = RegSetValueExW(current_.Get(), Widen(name).c_str(), 0, type, data.data(),
                                       static_cast<DWORD>(data.size()));
    if (result != ERROR_SUCCESS) Raise("Failed to set data for '%s'", name, result);
}
