// A registry object: at most one open key under HKEY_CURRENT_USER, opened
// with full access. Paths are relative to the open key, so users close a key
// before opening the next. Reading a value of the wrong type raises.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

#include "core/Component.h"
#include "win/Handles.h"

class TRegistry : public TObject {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry() override;

    HKEY CurrentKey() const { return current_.Get(); }

    // Opens (with `create`, creates) a key; false when that fails. Never raises.
    bool OpenKey(const std::string& path, bool create);
    void CloseKey();

    bool ValueExists(const std::string& name) const;
    // "" when the value is missing or empty or no key is open; REG_SZ or
    // REG_EXPAND_SZ data (not expanded) up to the first zero character.
    std::string ReadString(const std::string& name) const;
    // REG_DWORD only.
    int ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    // REG_SZ.
    void WriteString(const std::string& name, const std::string& value);
    // A value as it is stored, whatever its type: false when it is missing
    // (or no key is open). Never raises.
    bool ReadStored(const std::string& name, DWORD& type, std::vector<BYTE>& data) const;
    void WriteStored(const std::string& name, DWORD type, const std::vector<BYTE>& data);
    // A missing value is no error; any other failure raises.
    void DeleteValue(const std::string& name);

private:
    HKEY root_ = HKEY_CURRENT_USER;
    REGSAM access_;
    TUniqueKey current_;
    // Why the last OpenKey failed: the code that writes to no key report.
    LONG openError_ = ERROR_SUCCESS;
};

// How WithUserKey opens its key.
enum class TKeyOpening { OpenExisting, CreateIfMissing };

// The one way the program reaches the registry: opens `path` under
// HKEY_CURRENT_USER, hands the registry with that key open to `use`, and
// closes the key afterwards, also when `use` throws. A `use` that takes a
// const registry only reads, and the key is opened for reading only; one that
// takes it to change opens it to write as well. Error policy: a key that
// can't be opened is not an error here; `use` then gets a registry with no key
// open, whose reads give their empty results ("", no such value) and whose
// writes raise "Failed to set data for '%s'" with the code of the failed
// opening. A value of the wrong type raises as the reads say. Whatever `use`
// returns is returned.
template <class Use>
decltype(auto) WithUserKey(const std::string& path, TKeyOpening opening, Use&& use) {
    constexpr bool onlyReads = std::is_invocable_v<Use, const TRegistry&>;
    TRegistry registry(onlyReads ? KEY_READ : KEY_READ | KEY_WRITE);
    registry.OpenKey(path, opening == TKeyOpening::CreateIfMissing);
    return use(registry);
}
