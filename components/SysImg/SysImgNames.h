// The name rules of the system image list's lookup: the special folders known
// by display name, and a name's extension. Pure logic with no Win32 types, so
// it is tested natively.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// A shell folder that has a display name but no path of its own; the
// identifier is its CSIDL value.
struct TSpecialFolder {
    std::string_view DisplayName;
    int32_t FolderId;
};

// The CSIDL values of the table, spelled out so that this header needs no
// Win32 headers (the Win32 side checks them against shlobj.h).
inline constexpr int32_t kCsidlDesktop = 0x0000;
inline constexpr int32_t kCsidlControls = 0x0003;
inline constexpr int32_t kCsidlPrinters = 0x0004;
inline constexpr int32_t kCsidlPersonal = 0x0005;
inline constexpr int32_t kCsidlBitBucket = 0x000A;
inline constexpr int32_t kCsidlDrives = 0x0011;
inline constexpr int32_t kCsidlNetwork = 0x0012;

// In search order.
inline constexpr std::array<TSpecialFolder, 7> SpecialFolders{{
    {"Desktop", kCsidlDesktop},
    {"Control Panel", kCsidlControls},
    {"Printers", kCsidlPrinters},
    {"My Documents", kCsidlPersonal},
    {"Recycle Bin", kCsidlBitBucket},
    {"My Computer", kCsidlDrives},
    {"Network Neighborhood", kCsidlNetwork},
}};

// The folder identifier of the first table entry whose display name equals
// `name` without regard to ASCII letter case; -1 when none does.
int32_t SpecialFolderId(std::string_view name);

// The extension of the last path component of `name`: from its last "." to
// the end, dot included; empty when that component has no dot. "\", "/" and
// ":" end the component, so a dot in a folder name, or a stream suffix after
// ":", never yields an extension.
std::string FileExtension(std::string_view name);
