// Saves HKCU values (or their absence) and puts them back when the test ends,
// since every test of a run shares one Wine prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TRegistryValueBackup {
public:
    TRegistryValueBackup(std::wstring key, std::wstring value)
        : key_(std::move(key)), value_(std::move(value)) {
        HKEY k = nullptr;
        keyExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (!keyExisted_) return;
        DWORD size = 0;
        if (RegQueryValueExW(k, value_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            existed_ = true;
            data_.resize(size);
            RegQueryValueExW(k, value_.c_str(), nullptr, &type_, data_.data(), &size);
        }
        RegCloseKey(k);
    }
    ~TRegistryValueBackup() {
        HKEY k = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr) != ERROR_SUCCESS) {
            return;
        }
        if (existed_) {
            RegSetValueExW(k, value_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        } else {
            RegDeleteValueW(k, value_.c_str());
        }
        RegCloseKey(k);
    }
    TRegistryValueBackup(const TRegistryValueBackup&) = delete;
    TRegistryValueBackup& operator=(const TRegistryValueBackup&) = delete;

private:
    std::wstring key_, value_;
    bool keyExisted_ = false, existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

inline void SetRegistryValue(const std::wstring& key, const std::wstring& value, DWORD type, const void* data,
                             DWORD size) {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExW(k, value.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

inline void SetRegistryString(const std::wstring& key, const std::wstring& value, const std::wstring& text,
                              DWORD type = REG_SZ) {
    SetRegistryValue(key, value, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void SetRegistryDword(const std::wstring& key, const std::wstring& value, DWORD number) {
    SetRegistryValue(key, value, REG_DWORD, &number, sizeof(number));
}

inline void DeleteRegistryValue(const std::wstring& key, const std::wstring& value) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueW(k, value.c_str());
        RegCloseKey(k);
    }
}

inline bool RegistryValueExists(const std::wstring& key, const std::wstring& value) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    const bool exists =
        RegQueryValueExW(k, value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(k);
    return exists;
}

inline std::vector<BYTE> RegistryBytes(const std::wstring& key, const std::wstring& value,
                                       DWORD* type = nullptr) {
    HKEY k = nullptr;
    std::vector<BYTE> data;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return data;
    DWORD size = 0, t = 0;
    if (RegQueryValueExW(k, value.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExW(k, value.c_str(), nullptr, &t, data.data(), &size);
    }
    if (type) *type = t;
    RegCloseKey(k);
    return data;
}

inline const wchar_t kDesktopKeyW[] = L"Control Panel\\Desktop";
inline const wchar_t kShellFoldersKeyW[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
