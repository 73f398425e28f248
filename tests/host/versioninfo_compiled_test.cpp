// TFileVersionInfo on blocks that real resource compilers write: windres
// output compiled from .rc files at build time (the program's own
// resources/brivane.rc among them), and blocks laid out as rc.exe writes
// them. BRIVANE_PROJECT_VERSION comes from the build, the blocks' folder from
// BRIVANE_VERSION_BLOCKS_DIR in the environment.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FileVersionInfo.h"
#include "versioninfo_builder.h"

using namespace vitest;

namespace {

std::vector<uint8_t> CompiledBlock(const std::string& name) {
    const std::filesystem::path path = FolderFromEnvironment("BRIVANE_VERSION_BLOCKS_DIR") / (name + ".bin");
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::pair<std::string, int>> TaggedTexts(const TFileVersionInfo& info) {
    std::vector<std::pair<std::string, int>> texts;
    for (const auto& item : info.ItemList()) texts.emplace_back(item.text, item.table);
    return texts;
}

enum class Producer { Windres, RcExe };
enum class Order { StringsFirst, VarFirst };

void PrintTo(Producer producer, std::ostream* out) {
    *out << (producer == Producer::Windres ? "windres" : "rc.exe");
}
void PrintTo(Order order, std::ostream* out) {
    *out << (order == Order::VarFirst ? "VarFileInfo first" : "StringFileInfo first");
}

// The content of versioninfo_order.rc, laid out as rc.exe writes it: the
// documented VS_VERSIONINFO / StringFileInfo / StringTable / String and
// VarFileInfo / Var structures, with one Var node for every VALUE line of the
// VarFileInfo block (windres accepts only one). The reader takes the first.
std::vector<uint8_t> RcExeBlock(Order order) {
    FixedInfo fixed;
    fixed.fileVersionMS = fixed.productVersionMS = 0x00010002;
    fixed.fileVersionLS = fixed.productVersionLS = 0x00030004;
    fixed.fileFlags = 0x02;  // VS_FF_PRERELEASE
    Node first = Section("040904B0");
    first.Child(String("CompanyName", "Example Co"))
        .Child(String("FileDescription", "Section order sample"))
        .Child(String("FileVersion", "1.2.3.4"))
        .Child(String("LegalCopyright", "\xC2\xA9 Example Co"))
        .Child(EmptyString("OriginalFilename"));
    Node second = Section("080904E4");
    second.Child(String("CompanyName", "Second table"));
    Node strings = Section("StringFileInfo");
    strings.Child(std::move(first)).Child(std::move(second));
    Node vars = Section("VarFileInfo");
    vars.Child(Var("Translation", {0x04B00409, 0x04E40809})).Child(Var("Translation", {0x04B00000}));

    Node root = Root(fixed);
    if (order == Order::VarFirst) {
        root.Child(std::move(vars)).Child(std::move(strings));
    } else {
        root.Child(std::move(strings)).Child(std::move(vars));
    }
    return Build(root);
}

std::vector<uint8_t> BlockFrom(Producer producer, Order order) {
    if (producer == Producer::RcExe) return RcExeBlock(order);
    return CompiledBlock(order == Order::VarFirst ? "order-var-first" : "order-strings-first");
}

std::string CaseName(const testing::TestParamInfo<std::tuple<Producer, Order>>& info) {
    const Producer producer = std::get<0>(info.param);
    const Order order = std::get<1>(info.param);
    return std::string(producer == Producer::Windres ? "Windres" : "RcExe") +
           (order == Order::VarFirst ? "VarFileInfoFirst" : "StringFileInfoFirst");
}

class VersionInfoSectionOrder : public testing::TestWithParam<std::tuple<Producer, Order>> {};

}  // namespace

// Both producers, both section orders: the same strings, tables, languages,
// translations and fixed part.
TEST_P(VersionInfoSectionOrder, ReadsEveryStringAndTheTranslations) {
    const auto [producer, order] = GetParam();
    const TFileVersionInfo info(BlockFrom(producer, order));

    const std::vector<std::pair<std::string, int>> expected = {
        {"CompanyName=Example Co", 0}, {"FileDescription=Section order sample", 0},
        {"FileVersion=1.2.3.4", 0},    {"LegalCopyright=\xC2\xA9 Example Co", 0},
        {"OriginalFilename=", 0},      {"CompanyName=Second table", 1}};
    EXPECT_EQ(TaggedTexts(info), expected);
    EXPECT_EQ(info.Languages(), (std::vector<TLanguageCodePage>{{0x0409, 0x04B0}, {0x0809, 0x04E4}}));
    EXPECT_EQ(info.Translations(), (std::vector<uint32_t>{0x04B00409, 0x04E40809}));
    EXPECT_EQ(info.PredefinedValue(3), "Section order sample");
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, 0x00030004u);
    EXPECT_TRUE(info.FileFlags().preRelease);
}

INSTANTIATE_TEST_SUITE_P(ProducerAndOrder, VersionInfoSectionOrder,
                         testing::Combine(testing::Values(Producer::Windres, Producer::RcExe),
                                          testing::Values(Order::StringsFirst, Order::VarFirst)),
                         CaseName);

// The program's own version resource, compiled from resources/brivane.rc:
// what the About window reads from it, and the version the build carries.
TEST(VersionInfoProgramResource, HoldsWhatTheAboutWindowShows) {
    const TFileVersionInfo info(CompiledBlock("brivane"));
    const std::string version = BRIVANE_PROJECT_VERSION;

    EXPECT_EQ(info.PredefinedValue(9), "Olmar Brivane");  // ProductName
    EXPECT_EQ(info.PredefinedValue(4), version);          // FileVersion
    EXPECT_EQ(info.PredefinedValue(3), "Desktop clearing utility");
    EXPECT_EQ(info.PredefinedValue(2), "Olmar");  // CompanyName
    // The copyright sign survives the UTF-8 source and the UTF-16 resource.
    EXPECT_NE(info.PredefinedValue(6).find("\xC2\xA9 Olmar"), std::string::npos) << info.PredefinedValue(6);
    // Stored as a lone terminator, or absent: the About window shows nothing.
    for (const int empty : {1, 7, 8, 10, 11, 12}) EXPECT_EQ(info.PredefinedValue(empty), "") << empty;
    for (const char* stored : {"LegalTrademarks=", "OriginalFilename=", "ProductVersion="}) {
        bool found = false;
        for (const auto& item : info.Items()) found = found || item.text == stored;
        EXPECT_TRUE(found) << stored;
    }

    ASSERT_EQ(info.Languages().size(), 1u);
    EXPECT_EQ(info.Languages()[0], (TLanguageCodePage{0x0809, 0x04E4}));
    EXPECT_EQ(info.Translations(), std::vector<uint32_t>{0x04E40809u});

    // FILEVERSION in the fixed part: the same four numbers as the text.
    uint32_t parts[4] = {};
    std::istringstream numbers(version);
    std::string part;
    for (uint32_t& value : parts) {
        if (!std::getline(numbers, part, '.')) break;
        value = static_cast<uint32_t>(std::stoul(part));
    }
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, (parts[0] << 16) | parts[1]);
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, (parts[2] << 16) | parts[3]);
    EXPECT_EQ(info.FileFlags(), TFileFlags{});
}
