#include "VersionBlock.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "core/Utf.h"

namespace {

[[noreturn]] void Reject() { throw EFileVersionInfoError(kNoVersionInformation); }

// Node positions are multiples of 4 counted from the start of the block.
size_t AlignUp(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// A node's header as read, with the offsets the walk steps by. end is start +
// the node's own length; valueStart is the aligned position after the key.
struct NodeHeader {
    size_t start = 0;
    size_t end = 0;
    uint16_t length = 0;
    uint16_t valueLength = 0;
    uint16_t type = 1;
    std::string key;
    size_t valueStart = 0;
};

constexpr uint16_t kTypeBinary = 0;
constexpr uint16_t kTypeText = 1;

class Walker {
public:
    explicit Walker(std::span<const uint8_t> block) : block_(block) {}

    TVersionBlock Walk() {
        // Offset 4 holds the root's type word in the wide format (0 or 1)
        // and the first two characters of "VS_VERSION_INFO" in the narrow one.
        result_.wideFormat = Word(4, block_.size()) < 2;

        const NodeHeader root = ReadHeader(block_.size());
        if (root.key != "VS_VERSION_INFO" || root.valueLength != kFixedFileInfoSize) Reject();
        RequireValue(root, kFixedFileInfoSize);
        result_.fixedInfo = ReadFixedInfo(root.valueStart);
        if (result_.fixedInfo.dwSignature != kFixedFileInfoSignature) Reject();
        position_ = AlignUp(root.valueStart + kFixedFileInfoSize);

        while (AtNodeBefore(root.end)) {
            const NodeHeader child = ReadHeader(root.end);
            RequireValue(child, child.valueLength);
            position_ = child.valueStart + child.valueLength;
            if (child.key == "StringFileInfo") {
                WalkStringTables(child.end);
            } else if (child.key == "VarFileInfo") {
                ReadTranslations(child.end);
            } else {
                break;  // an unknown section ends the walk; what was read stands
            }
            // Only the first Var of a variable section is read, but rc.exe
            // writes one Var per VALUE line: carry on after the whole
            // section, not after the part that was read.
            position_ = child.end;
        }
        return std::move(result_);
    }

private:
    // Aligns the position and tells whether another node starts before limit.
    bool AtNodeBefore(size_t limit) {
        position_ = AlignUp(position_);
        return position_ < limit;
    }

    uint16_t Word(size_t at, size_t limit) const {
        if (at > limit || limit - at < 2) Reject();
        return static_cast<uint16_t>(block_[at] | (block_[at + 1] << 8));
    }

    uint32_t DWord(size_t at, size_t limit) const {
        return Word(at, limit) | (static_cast<uint32_t>(Word(at + 2, limit)) << 16);
    }

    // Reads the header of the node at the position, which must lie wholly
    // before limit (its parent's end, or the block's), and leaves the
    // position at its value.
    NodeHeader ReadHeader(size_t limit) {
        NodeHeader header;
        header.start = position_;
        header.length = Word(header.start, limit);
        if (header.length == 0) Reject();
        header.end = header.start + header.length;
        if (header.end > limit) Reject();

        header.valueLength = Word(header.start + 2, header.end);
        size_t at = header.start + 4;
        if (result_.wideFormat) {
            header.type = Word(at, header.end);
            at += 2;
            std::u16string key;
            for (;;) {
                const char16_t c = Word(at, header.end);
                at += 2;
                if (c == 0) break;
                key += c;
            }
            header.key = Utf16ToUtf8(key);
        } else {
            header.type = kTypeText;
            const std::string_view key = NarrowText(at, header.end);
            header.key = Windows1252ToUtf8(key);
            at += key.size() + 1;
        }
        header.valueStart = AlignUp(at);
        position_ = header.valueStart;
        return header;
    }

    // The zero-terminated 8-bit text at offset; the terminator must lie
    // before limit.
    std::string_view NarrowText(size_t at, size_t limit) const {
        if (at >= limit) Reject();
        const auto* first = reinterpret_cast<const char*>(block_.data() + at);
        const std::string_view rest(first, limit - at);
        const size_t zero = rest.find('\0');
        if (zero == std::string_view::npos) Reject();
        return rest.substr(0, zero);
    }

    // A value of byteCount bytes must lie inside its node.
    static void RequireValue(const NodeHeader& node, size_t byteCount) {
        if (byteCount == 0) return;
        if (node.valueStart > node.end || node.end - node.valueStart < byteCount) Reject();
    }

    TFixedFileInfo ReadFixedInfo(size_t at) const {
        const size_t limit = at + kFixedFileInfoSize;
        TFixedFileInfo info;
        uint32_t* const fields[] = {&info.dwSignature,     &info.dwStrucVersion,     &info.dwFileVersionMS,
                                    &info.dwFileVersionLS, &info.dwProductVersionMS, &info.dwProductVersionLS,
                                    &info.dwFileFlagsMask, &info.dwFileFlags,        &info.dwFileOS,
                                    &info.dwFileType,      &info.dwFileSubtype,      &info.dwFileDateMS,
                                    &info.dwFileDateLS};
        for (uint32_t* field : fields) {
            *field = DWord(at, limit);
            at += 4;
        }
        return info;
    }

    // Keeps the hexadecimal digits of a string table's key, after dropping
    // every "0x" prefix, so "0x0409 0x04B0" reads as "040904B0".
    static std::string CleanTableKey(std::string key) {
        for (size_t found; (found = key.find("0x")) != std::string::npos;) {
            key.erase(found, 2);
        }
        std::string digits;
        for (const char c : key) {
            if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) {
                digits += c;
            }
        }
        return digits;
    }

    static uint16_t HexWord(std::string_view digits) {
        uint16_t value = 0;
        for (const char c : digits) {
            const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            value = static_cast<uint16_t>((value << 4) | digit);
        }
        return value;
    }

    void WalkStringTables(size_t sectionEnd) {
        int tableIndex = 0;
        while (AtNodeBefore(sectionEnd)) {
            const NodeHeader table = ReadHeader(sectionEnd);
            const std::string digits = CleanTableKey(table.key);
            if (table.valueLength != 0 || digits.size() != 8) Reject();
            result_.languages.resize(static_cast<size_t>(tableIndex) + 1);
            result_.languages[static_cast<size_t>(tableIndex)] = {
                HexWord(std::string_view(digits).substr(0, 4)),
                HexWord(std::string_view(digits).substr(4, 4))};

            while (AtNodeBefore(table.end)) {
                const NodeHeader item = ReadHeader(table.end);
                std::string text = item.key;
                text += '=';
                text += ValueText(item);
                position_ = AlignUp(item.end);
                result_.itemList.push_back({std::move(text), tableIndex});
            }
            ++tableIndex;
        }
    }

    std::string ValueText(const NodeHeader& item) const {
        if (item.type == kTypeBinary) {
            RequireValue(item, item.valueLength);
            if (item.valueLength < 1 || item.valueLength > 4) return {};
            // Little-endian number, upper-case hex, two digits per byte.
            static constexpr char kHex[] = "0123456789ABCDEF";
            std::string text = "$";
            for (size_t i = item.valueLength; i-- > 0;) {
                const uint8_t byte = block_[item.valueStart + i];
                text += kHex[byte >> 4];
                text += kHex[byte & 0x0F];
            }
            return text;
        }
        if (item.type != kTypeText) Reject();
        if (item.valueLength == 0) return {};
        if (result_.wideFormat) {
            // The length counts UTF-16 units, the stored terminator included.
            RequireValue(item, static_cast<size_t>(item.valueLength) * 2);
            std::u16string text;
            for (size_t i = 0; i < item.valueLength; ++i) {
                const char16_t c = Word(item.valueStart + 2 * i, item.end);
                if (c == 0) break;
                text += c;
            }
            return Utf16ToUtf8(text);
        }
        RequireValue(item, item.valueLength);
        return Windows1252ToUtf8(NarrowText(item.valueStart, item.end));
    }

    // Reads the first child of the variable section; a "Translation" child
    // holds (language, code page) pairs as 32-bit values.
    void ReadTranslations(size_t sectionEnd) {
        if (!AtNodeBefore(sectionEnd)) return;
        const NodeHeader var = ReadHeader(sectionEnd);
        if (var.key != "Translation") return;
        RequireValue(var, var.valueLength);
        const size_t count = var.valueLength / 4u;
        result_.translations.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            result_.translations.push_back(DWord(var.valueStart + 4 * i, var.end));
        }
        position_ = var.valueStart + 4 * count;
    }

    std::span<const uint8_t> block_;
    size_t position_ = 0;
    TVersionBlock result_;
};

}  // namespace

TFileFlags TFileFlags::FromFixedInfo(const TFixedFileInfo& info) {
    const uint32_t flags = info.dwFileFlags & info.dwFileFlagsMask;
    TFileFlags result;
    result.debug = (flags & kFileFlagDebug) != 0;
    result.infoInferred = (flags & kFileFlagInfoInferred) != 0;
    result.patched = (flags & kFileFlagPatched) != 0;
    result.preRelease = (flags & kFileFlagPreRelease) != 0;
    result.privateBuild = (flags & kFileFlagPrivateBuild) != 0;
    result.specialBuild = (flags & kFileFlagSpecialBuild) != 0;
    return result;
}

TVersionBlock WalkVersionBlock(std::span<const uint8_t> block) { return Walker(block).Walk(); }

std::string Windows1252ToUtf8(std::string_view text) {
    // 0x80-0x9F; the five undefined bytes keep their own number.
    static constexpr std::array<char16_t, 32> kHigh = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string wide;
    wide.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        wide += (byte >= 0x80 && byte <= 0x9F) ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return Utf16ToUtf8(wide);
}
