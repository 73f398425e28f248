// TFileVersionInfo against the real version service: this test's own
// executable (which carries a version resource), brivane.exe when a build
// of it is at hand, a system DLL, and files without version information.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "FileVersionInfo.h"
#include "brivane_version.h"
#include "core/Utf.h"

namespace {

const char* const kNoInfo = "File contains no version information";

std::string ModulePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Narrow(std::wstring_view(path, length));
}

std::string TempDirectory() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, path);
    return Narrow(std::wstring_view(path, length));
}

std::string SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    return Narrow(std::wstring_view(path, length));
}

// A file the test made, deleted when the test ends.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    ~TempFile() { DeleteFileW(Widen(path_).c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string RejectionOf(const std::string& path) {
    try {
        TFileVersionInfo info(path);
    } catch (const EFileVersionInfoError& e) {
        return e.what();
    }
    return "";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(VersionInfoWin32, ReadsThisExecutablesOwnResource) {
    const TFileVersionInfo info(ModulePath());

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
    const TFileVersionInfo info(ModulePath());
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
    const TempFile copy(TempDirectory() + "versi\xC3\xB3n \xE2\x82\xAC.exe");
    ASSERT_TRUE(CopyFileW(Widen(ModulePath()).c_str(), Widen(copy.Path()).c_str(), FALSE));
    const TFileVersionInfo info(copy.Path());
    EXPECT_EQ(info.PredefinedValue(3), "Version reader test");
}

TEST(VersionInfoWin32, ReadsTheProgramsOwnResource) {
    const char* buildDir = std::getenv("BRIVANE_BUILD_DIR");
    ASSERT_TRUE(buildDir != nullptr && *buildDir != '\0') << "BRIVANE_BUILD_DIR is not set";
    std::string dir = buildDir;
    if (dir.front() == '/') {
        // A Unix path (the test runs are given Z:\...): Wine maps / to Z:.
        for (char& c : dir) c = c == '/' ? '\\' : c;
        dir = "Z:" + dir;
    }
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    std::string exe;
    for (const char* candidate : {"\\brivane.exe", "\\app\\brivane.exe", "\\bin\\brivane.exe"}) {
        if (FileExists(dir + candidate)) exe = dir + candidate;
    }
    ASSERT_FALSE(exe.empty()) << "no brivane.exe under " << dir;

    const TFileVersionInfo info(exe);
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
    const TempFile text(TempDirectory() + "versioninfo-test.txt");
    {
        const HANDLE file = CreateFileW(Widen(text.Path()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const char content[] = "no version resource here\r\n";
        DWORD written = 0;
        WriteFile(file, content, sizeof content - 1, &written, nullptr);
        CloseHandle(file);
    }
    EXPECT_EQ(RejectionOf(text.Path()), kNoInfo);
    EXPECT_EQ(RejectionOf(TempDirectory() + "versioninfo-missing.dll"), kNoInfo);
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
