// Fuzzes the version-block walk: any bytes must give either a reader or
// EFileVersionInfoError with its one message, never a read outside the input
// (AddressSanitizer watches) nor any other exception.
//
// Seeds (corpus/versioninfo): version blocks of Wine's DLLs and of an
// executable built with windres, taken out with extract_version_block.py,
// and blocks written by the host tests' builder (wide, narrow, two tables
// with a binary value and an unknown section).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "FileVersionInfo.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckReader(const TFileVersionInfo& info, std::span<const uint8_t> block) {
    Require(info.Block().size() == block.size());
    Require(info.FixedInfo().dwSignature == kFixedFileInfoSignature);
    size_t firstTable = 0;
    for (const TVersionItem& item : info.ItemList()) {
        Require(item.table >= 0 && static_cast<size_t>(item.table) < info.Languages().size());
        Require(item.text.find('=') != std::string::npos);
        if (item.table == info.LanguageIndex()) ++firstTable;
    }
    Require(info.Items().size() == firstTable);
    for (const TVersionStringItem& item : info.Items()) {
        Require(item.language == info.Languages()[0]);
    }
    for (int index = 0; index <= 13; ++index) {
        const std::string value = info.PredefinedValue(index);
        Require(index >= 1 && index <= 12 ? true : value.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> block(data, size);
    try {
        const TFileVersionInfo info(block);
        CheckReader(info, block);
    } catch (const EFileVersionInfoError& e) {
        Require(std::string_view(e.what()) == kNoVersionInformation);
    }
    return 0;
}
