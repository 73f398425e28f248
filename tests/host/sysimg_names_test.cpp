// The name rules of the system image list: which names are special folders
// (ASCII letters folded, nothing else), and what a name's extension is.
#include <gtest/gtest.h>

#include <string>

#include "SysImg/SysImgNames.h"

namespace {

TEST(SysImgSpecialFolders, TableHoldsTheSevenShellFoldersInSearchOrder) {
    ASSERT_EQ(SpecialFolders.size(), 7u);
    const std::pair<const char*, int32_t> expected[] = {
        {"Desktop", 0x0000},
        {"Control Panel", 0x0003},
        {"Printers", 0x0004},
        {"My Documents", 0x0005},
        {"Recycle Bin", 0x000A},
        {"My Computer", 0x0011},
        {"Network Neighborhood", 0x0012},
    };
    for (size_t i = 0; i < SpecialFolders.size(); ++i) {
        EXPECT_EQ(SpecialFolders[i].DisplayName, expected[i].first) << i;
        EXPECT_EQ(SpecialFolders[i].FolderId, expected[i].second) << i;
    }
}

TEST(SysImgSpecialFolders, NamesMatchInAnyAsciiLetterCase) {
    for (const TSpecialFolder& folder : SpecialFolders) {
        std::string lower(folder.DisplayName), upper(folder.DisplayName), mixed(folder.DisplayName);
        for (size_t i = 0; i < lower.size(); ++i) {
            if (lower[i] >= 'A' && lower[i] <= 'Z') lower[i] = static_cast<char>(lower[i] + 32);
            if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 32);
            mixed[i] = (i % 2) ? upper[i] : lower[i];
        }
        EXPECT_EQ(SpecialFolderId(folder.DisplayName), folder.FolderId);
        EXPECT_EQ(SpecialFolderId(lower), folder.FolderId) << lower;
        EXPECT_EQ(SpecialFolderId(upper), folder.FolderId) << upper;
        EXPECT_EQ(SpecialFolderId(mixed), folder.FolderId) << mixed;
    }
    EXPECT_EQ(SpecialFolderId("recycle bin"), 0x000A);
    EXPECT_EQ(SpecialFolderId("RECYCLE BIN"), 0x000A);
    EXPECT_EQ(SpecialFolderId("rEcYcLe BiN"), 0x000A);
}

TEST(SysImgSpecialFolders, OtherNamesAreNoSpecialFolder) {
    for (const char* name :
         {"", "Desktop ", " Desktop", "Deskto", "Desktops", "Recycle  Bin", "RecycleBin", "Recycle\tBin",
          "My Documents\\", "C:\\Users\\x\\Desktop", "Network Neighbourhood", "Desktop.lnk", "Printer"}) {
        EXPECT_EQ(SpecialFolderId(name), -1) << '"' << name << '"';
    }
    // A name with an embedded zero byte is not the name before it.
    EXPECT_EQ(SpecialFolderId(std::string_view("Desktop\0x", 9)), -1);
    // Only ASCII letters fold: a fully-wide "Ｄ" or a Latin-1 lookalike differs.
    EXPECT_EQ(SpecialFolderId("\xEF\xBC\xA4"
                              "esktop"),
              -1);
    EXPECT_EQ(SpecialFolderId("Pr\xC4\xB1nters"), -1);  // dotless i
}

TEST(SysImgFileExtension, FromTheLastDotOfTheLastComponent) {
    const std::pair<const char*, const char*> cases[] = {
        {"readme.txt", ".txt"},
        {"archive.tar.gz", ".gz"},
        {"Shortcut.LNK", ".LNK"},
        {"noextension", ""},
        {"", ""},
        {".", "."},
        {"trailing.", "."},
        {".hidden", ".hidden"},
        {"C:\\Users\\me\\Desktop\\report.doc", ".doc"},
        {"C:\\dir.d\\file", ""},
        {"dir.d/file", ""},
        {"dir/file.x", ".x"},
        {"C:name.ext", ".ext"},
        {"C:.", "."},
        {"file.txt:stream", ""},
        {"nothing-here.brivtest1", ".brivtest1"},
        {"\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.\xD0\xB4\xD0\xBE\xD0\xBA", ".\xD0\xB4\xD0\xBE\xD0\xBA"},
        {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC", ""},
        {"\xE6\x97\xA5\xE6\x9C\xAC.\xE8\xAA\x9E", ".\xE8\xAA\x9E"},
    };
    for (const auto& [name, extension] : cases) {
        EXPECT_EQ(FileExtension(name), extension) << '"' << name << '"';
    }
}

}  // namespace
