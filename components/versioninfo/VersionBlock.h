// The walk over a version resource block (the bytes GetFileVersionInfo hands
// back, or the RT_VERSION resource itself). Portable: no Win32 types, so the
// host tests and the fuzzer drive exactly the code the program runs.
//
// The block is a tree of nodes. Each node is a header (length, value length,
// type in the wide format, a zero-terminated key), padding to 4 bytes, its
// value, padding, then its children. The wide format (UTF-16 keys, a type
// word) is what 32-bit resource compilers write; the narrow format (8-bit
// keys, no type word) comes from 16-bit files.
//
// Nothing in a block is trusted: every length, key and value is checked
// against the bytes that are actually there, and a block that lies about its
// sizes is treated like one without version information.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exception.h"

// Raised when a block is missing or cannot be understood.
class EFileVersionInfoError : public ESupportError {
public:
    using ESupportError::ESupportError;
};

// The one message for every block the reader rejects.
inline constexpr const char* kNoVersionInformation = "File contains no version information";

// VS_FIXEDFILEINFO, field for field, read little-endian from the block.
struct TFixedFileInfo {
    uint32_t dwSignature = 0;
    uint32_t dwStrucVersion = 0;
    uint32_t dwFileVersionMS = 0;
    uint32_t dwFileVersionLS = 0;
    uint32_t dwProductVersionMS = 0;
    uint32_t dwProductVersionLS = 0;
    uint32_t dwFileFlagsMask = 0;
    uint32_t dwFileFlags = 0;
    uint32_t dwFileOS = 0;
    uint32_t dwFileType = 0;
    uint32_t dwFileSubtype = 0;
    uint32_t dwFileDateMS = 0;
    uint32_t dwFileDateLS = 0;
};

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
inline constexpr uint16_t kFixedFileInfoSize = 52;

// The VS_FF_* bits of dwFileFlags that the reader names.
inline constexpr uint32_t kFileFlagDebug = 0x01;
inline constexpr uint32_t kFileFlagPreRelease = 0x02;
inline constexpr uint32_t kFileFlagPatched = 0x04;
inline constexpr uint32_t kFileFlagPrivateBuild = 0x08;
inline constexpr uint32_t kFileFlagInfoInferred = 0x10;
inline constexpr uint32_t kFileFlagSpecialBuild = 0x20;

// dwFileFlags AND dwFileFlagsMask, one member per named flag.
struct TFileFlags {
    bool debug = false;
    bool infoInferred = false;
    bool patched = false;
    bool preRelease = false;
    bool privateBuild = false;
    bool specialBuild = false;

    static TFileFlags FromFixedInfo(const TFixedFileInfo& info);
    bool operator==(const TFileFlags&) const = default;
};

// A string table's tag: language id and code page, as in its key "040904B0".
struct TLanguageCodePage {
    uint16_t language = 0;
    uint16_t codePage = 0;
    bool operator==(const TLanguageCodePage&) const = default;
};

// One string of a string table as "key=value", tagged with the index (from 0)
// of the table it came from.
struct TVersionItem {
    std::string text;
    int table = 0;

    std::string_view Key() const { return ItemKey(text); }
    std::string_view Value() const { return ItemValue(text); }
    // The text before and after the first "=" of a "key=value" entry.
    static std::string_view ItemKey(std::string_view text) { return text.substr(0, text.find('=')); }
    static std::string_view ItemValue(std::string_view text) {
        const size_t equals = text.find('=');
        return equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
    }
};

// Everything a walk reads out of a block. Text is UTF-8.
struct TVersionBlock {
    bool wideFormat = true;
    TFixedFileInfo fixedInfo;
    std::vector<TVersionItem> itemList;        // every string of every table, in block order
    std::vector<TLanguageCodePage> languages;  // one per string table, in block order
    std::vector<uint32_t> translations;        // "Translation" values as stored
};

// Walks a whole block. Throws EFileVersionInfoError(kNoVersionInformation)
// when the block is not a version block or is malformed anywhere it is read.
// A root child with a key other than "StringFileInfo" or "VarFileInfo" ends
// the walk early; what was read up to there is returned.
TVersionBlock WalkVersionBlock(std::span<const uint8_t> block);

// Windows-1252 (the narrow format's text) to UTF-8. Bytes that code page
// leaves undefined map to the control character of the same number, as
// the platform's own conversion does.
std::string Windows1252ToUtf8(std::string_view text);
