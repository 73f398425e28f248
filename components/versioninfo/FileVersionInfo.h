// TFileVersionInfo: a file's version resource, its string items by key.
//
// The reader takes the whole version block once (from the file through the
// platform's version service, or from bytes already in memory) and walks it
// itself (VersionBlock.h): the fixed part, every string table and the
// translation list. The strings of the current table (the first one) are its
// items; PredefinedValue looks the twelve well-known keys up among them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "VersionBlock.h"

// One string of the current table as "key=value", tagged with that table's
// language and code page.
struct TVersionStringItem {
    std::string text;
    TLanguageCodePage language;

    std::string_view Key() const { return TVersionItem::ItemKey(text); }
    std::string_view Value() const { return TVersionItem::ItemValue(text); }
};

class TFileVersionInfo {
public:
    // Indexes of PredefinedValue.
    static constexpr int kComments = 1;
    static constexpr int kCompanyName = 2;
    static constexpr int kFileDescription = 3;
    static constexpr int kFileVersion = 4;
    static constexpr int kInternalName = 5;
    static constexpr int kLegalCopyright = 6;
    static constexpr int kLegalTradeMarks = 7;
    static constexpr int kOriginalFilename = 8;
    static constexpr int kProductName = 9;
    static constexpr int kProductVersion = 10;
    static constexpr int kSpecialBuild = 11;
    static constexpr int kPrivateBuild = 12;

#ifdef _WIN32
    // Reads the version resource of the file at fileName (UTF-8 path).
    // Throws EFileVersionInfoError when the file has none, cannot be opened
    // or holds a block the walk rejects, and EWin32Error when the block
    // cannot be fetched.
    explicit TFileVersionInfo(const std::string& fileName);
#endif
    // Reads a version block already in memory; the reader keeps a copy.
    // Throws EFileVersionInfoError as above.
    explicit TFileVersionInfo(std::span<const uint8_t> block);

    // The value of predefined key index (1..12, see PredefinedKey) in the
    // current table; empty when the table lacks the key or the index is
    // outside 1..12.
    std::string PredefinedValue(int index) const;
    // The value of the first item of the current table whose key equals key,
    // ignoring ASCII case; empty when there is none.
    std::string Value(std::string_view key) const;
    // "Comments", "CompanyName", ... "PrivateBuild" for 1..12; empty otherwise.
    static std::string_view PredefinedKey(int index);

    // The current table's strings, in block order.
    const std::vector<TVersionStringItem>& Items() const { return items_; }
    // The strings of every table, tagged with the table's index.
    const std::vector<TVersionItem>& ItemList() const { return itemList_; }
    // One (language, code page) per string table, in block order.
    const std::vector<TLanguageCodePage>& Languages() const { return languages_; }
    // The current table: always 0, the first.
    int LanguageIndex() const { return languageIndex_; }
    // The "Translation" values as stored: language id in the low word, code
    // page in the high word.
    const std::vector<uint32_t>& Translations() const { return translations_; }
    const TFixedFileInfo& FixedInfo() const { return fixedInfo_; }
    const TFileFlags& FileFlags() const { return fileFlags_; }
    // The block as read, owned by the reader.
    const std::vector<uint8_t>& Block() const { return block_; }
    bool WideFormat() const { return wideFormat_; }

private:
    void ReadBlock();
    void FillItems();

    std::vector<uint8_t> block_;
    TFixedFileInfo fixedInfo_;
    TFileFlags fileFlags_;
    std::vector<TVersionItem> itemList_;
    std::vector<TVersionStringItem> items_;
    std::vector<TLanguageCodePage> languages_;
    int languageIndex_ = 0;
    std::vector<uint32_t> translations_;
    bool wideFormat_ = true;
};
