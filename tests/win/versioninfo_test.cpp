// TFileVersionInfo against the real version service: this test's own
// executable (which carries a version resource), the built brivane.exe, a
// system DLL, and files without version information.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "FileVersionInfo.h"
#include "brivane_version.h"
#include "core/Utf.h"
#include "support/Win32Helpers.h"

namespace {

const char* const kNoInfo = "File contains no version information";

std::string SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    return Narrow(std::wstring_view(path, length));
}

std::string RejectionOf(const std::string& path) {
    try {
        TFileVersionInfo info(path);
    } catch (const EFileVersionInfoError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(VersionInfoWin32, ReadsThisExecutablesOwnResource) {
    const TFileVersionInfo info(Narrow(ModulePath()));

    EXPECT_EQ(info.PredefinedValue(9), "Olmar Brivane");
    EXPECT_EQ(info.PredefinedValue(4), "1.2.3.4");
    EXPECT_EQ(info.PredefinedValue(3), "Version reader test");
    EXPECT_EQ(info.PredefinedValue(6), "\xC2\xA9 Olmar \xE2\x80\x93 tests");
    EXPECT_EQ(info.PredefinedValue(2), "Olmar");
    EXPECT_EQ(info.PredefinedValue(12), "built by the tests");
    for (const int empty : {1, 7, 8, 10, 11}) EXPECT_EQ(info.PredefinedValue(empty), "") << empty;

    ASSERT_EQ(info.Languages().size(), 2u);
    EXPECT_EQ(info.Languages()[0], (TLanguageCodePage{0x0809, 0x04E4}));
    EXPECT_EQ(info.Languages()[1], (TLanguageCodePage{0x0409, 0x04B0}));
    EXPECT_EQ(info.Items().size(), 10u);
    EXPECT_EQ(info.ItemList().size(), 11u);
    EXPECT_EQ(info.ItemList().back().text, "CompanyName=Second table");
    EXPECT_EQ(info.Translations(), (std::vector<uint32_t>{0x04E40809u, 0x04B00409u}));

    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(info.FixedInfo().dwProductVersionMS, 0x00050006u);
    const TFileFlags expected{false, false, false, true, true, false};
    EXPECT_EQ(info.FileFlags(), expected);
}

TEST(VersionInfoWin32, BlockMatchesWhatVerQueryValueSees) {
    const TFileVersionInfo info(Narrow(ModulePath()));
    std::vector<uint8_t> block = info.Block();

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_EQ(fixedSize, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(info.FixedInfo().dwFileFlags, fixed->dwFileFlags);

    wchar_t* text = nullptr;
    UINT textLength = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\080904E4\\LegalCopyright",
                               reinterpret_cast<void**>(&text), &textLength));
    EXPECT_EQ(info.PredefinedValue(6), Narrow(text));
}

TEST(VersionInfoWin32, ReadsAPathWithNonAsciiCharacters) {
    const TScratchFolder scratch(L"brivane-versioninfo");
    const std::wstring copy = (scratch.Path() / L"versi\u00F3n \u20AC.exe").native();
    ASSERT_TRUE(CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE));
    const TFileVersionInfo info(Narrow(copy));
    EXPECT_EQ(info.PredefinedValue(3), "Version reader test");
}

TEST(VersionInfoWin32, ReadsTheProgramsOwnResource) {
    const std::wstring exe = BuildDirectory() + L"\\app\\brivane.exe";
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no brivane.exe in the build directory";
    const TFileVersionInfo info(Narrow(exe));
    EXPECT_EQ(info.PredefinedValue(9), "Olmar Brivane");
    EXPECT_EQ(info.PredefinedValue(4), BRIVANE_VERSION_TEXT);
    EXPECT_EQ(info.PredefinedValue(3), "Desktop clearing utility");
    EXPECT_EQ(info.PredefinedValue(2), "Olmar");
    EXPECT_FALSE(info.PredefinedValue(6).empty());
    for (const int empty : {1, 7, 8, 10}) EXPECT_EQ(info.PredefinedValue(empty), "") << empty;
    ASSERT_EQ(info.Languages().size(), 1u);
    EXPECT_EQ(info.Languages()[0], (TLanguageCodePage{0x0809, 0x04E4}));
    EXPECT_EQ(info.Translations(), std::vector<uint32_t>{0x04E40809u});
}

TEST(VersionInfoWin32, ReadsSystemDlls) {
    for (const char* name : {"\\comctl32.dll", "\\kernel32.dll"}) {
        const TFileVersionInfo info(SystemDirectory() + name);
        EXPECT_FALSE(info.Items().empty()) << name;
        EXPECT_FALSE(info.PredefinedValue(4).empty()) << name;
        EXPECT_FALSE(info.Languages().empty()) << name;
        EXPECT_NE(info.FixedInfo().dwFileVersionMS, 0u) << name;
    }
}

TEST(VersionInfoWin32, FilesWithoutVersionInformation) {
    const TScratchFolder scratch(L"brivane-versioninfo");
    std::ofstream(scratch.Path() / "versioninfo-test.txt") << "no version resource here\r\n";
    EXPECT_EQ(RejectionOf(Narrow((scratch.Path() / "versioninfo-test.txt").native())), kNoInfo);
    EXPECT_EQ(RejectionOf(Narrow((scratch.Path() / "versioninfo-missing.dll").native())), kNoInfo);
    EXPECT_EQ(RejectionOf(""), kNoInfo);
}

TEST(VersionInfoWin32, Win32ErrorMessages) {
    EXPECT_STREQ(Win32ErrorFromCode(0).what(), "A Win32 API function failed");

    const std::string message = Win32ErrorFromCode(ERROR_FILE_NOT_FOUND).what();
    const std::string prefix = "Win32 Error.  Code: 2.\n";
    ASSERT_EQ(message.substr(0, prefix.size()), prefix);
    const std::string systemText = message.substr(prefix.size());
    EXPECT_FALSE(systemText.empty());
    EXPECT_NE(systemText.back(), '\n');
    EXPECT_NE(systemText.back(), '\r');
}
