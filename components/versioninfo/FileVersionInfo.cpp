#include "FileVersionInfo.h"

#include <array>
#include <utility>

#include "core/AsciiCase.h"

namespace {

// Keys of PredefinedValue, from index 1. "LegalTradeMarks" keeps its
// historical capital M; the lookup ignores case, so it finds the
// "LegalTrademarks" that resource compilers write.
constexpr std::array<std::string_view, 12> kPredefinedKeys = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTradeMarks", "OriginalFilename",
    "ProductName",  "ProductVersion", "SpecialBuild",    "PrivateBuild"};

}  // namespace

TFileVersionInfo::TFileVersionInfo(std::span<const uint8_t> block) : block_(block.begin(), block.end()) {
    ReadBlock();
}

void TFileVersionInfo::ReadBlock() {
    TVersionBlock walked = WalkVersionBlock(block_);
    wideFormat_ = walked.wideFormat;
    fixedInfo_ = walked.fixedInfo;
    fileFlags_ = TFileFlags::FromFixedInfo(fixedInfo_);
    itemList_ = std::move(walked.itemList);
    languages_ = std::move(walked.languages);
    translations_ = std::move(walked.translations);
    FillItems();
}

void TFileVersionInfo::FillItems() {
    items_.clear();
    for (const TVersionItem& item : itemList_) {
        if (item.table == languageIndex_) {
            // A table's strings are only listed once its key was read, so
            // languages_ has an entry for every tag in the item list.
            items_.push_back({item.text, languages_.at(static_cast<size_t>(languageIndex_))});
        }
    }
}

std::string_view TFileVersionInfo::PredefinedKey(int index) {
    if (index < 1 || index > static_cast<int>(kPredefinedKeys.size())) return {};
    return kPredefinedKeys[static_cast<size_t>(index - 1)];
}

std::string TFileVersionInfo::PredefinedValue(int index) const {
    const std::string_view key = PredefinedKey(index);
    if (key.empty()) return {};
    return Value(key);
}

std::string TFileVersionInfo::Value(std::string_view key) const {
    for (const TVersionStringItem& item : items_) {
        if (SameTextAscii(item.Key(), key)) return std::string(item.Value());
    }
    return {};
}
