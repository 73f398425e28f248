// TSysImageList against the real shell: binding to the system image list in
// both sizes, and FileIconIndex for special folders, desktop items, unknown
// types (through the temporary-file fallback) and files the shell can't place.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "SysImg/NewFile.h"
#include "SysImg/SysImg.h"
#include "SysImg/SysImgNames.h"
#include "core/Utf.h"
#include "support/Capture.h"
#include "support/Win32Helpers.h"
#include "win/Handles.h"

namespace {

// --- the shell, asked directly ------------------------------------------------

HIMAGELIST ShellList(UINT sizeFlag) {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | sizeFlag));
}

int SpecialFolderIndex(int folder, UINT flags) {
    ITEMIDLIST* pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &pidl)) || !pidl) return 0;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<const wchar_t*>(pidl), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | flags);
    CoTaskMemFree(pidl);
    return info.iIcon > 0 ? info.iIcon : 0;
}

int PathIndex(const std::wstring& path, UINT flags) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | flags);
    return info.iIcon;
}

// The icon of a file type, asked by extension without any file.
int TypeIndex(const std::wstring& extension, UINT flags) {
    SHFILEINFOW info{};
    SHGetFileInfoW((L"x" + extension).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | flags);
    return info.iIcon;
}

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

// A file type with an icon of its own, registered for the test's lifetime.
// Wine's shell gives every unregistered type (and every .exe, .txt, ... of a
// fresh prefix) index 0, the generic document, which FileIconIndex cannot tell
// from a failure; a registered type gets a positive index. Wine reads types
// from HKEY_CLASSES_ROOT only, not from HKCU\Software\Classes. The icon's
// path is absolute: Wine caches icons under the path as written and resolves
// a bare "shell32.dll" anew in each current directory, each time as a new index.
class RegisteredType {
public:
    explicit RegisteredType(std::wstring extension)
        : extension_(std::move(extension)), progId_(L"Brivane.Test" + extension_.substr(1)) {
        registered_ = SetDefault(extension_, progId_) &&
                      SetDefault(progId_ + L"\\DefaultIcon", SystemDirectory() + L"\\shell32.dll,40");
    }
    RegisteredType(const RegisteredType&) = delete;
    RegisteredType& operator=(const RegisteredType&) = delete;
    ~RegisteredType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, extension_.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str());
    }
    bool Registered() const { return registered_; }

private:
    static bool SetDefault(const std::wstring& key, const std::wstring& value) {
        HKEY raw = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        TUniqueKey opened(raw);
        return RegSetValueExW(opened.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    std::wstring extension_;
    std::wstring progId_;
    bool registered_ = false;
};

// The list's COM reference count; a failure where comctl32 can't tell (before
// version 6), since two unknown counts would compare equal. Under Wine an image list outlives
// ImageList_Destroy while the shell holds references to it, so reading it back proves nothing; the count
// shows whether a reference was dropped. (Wine's SHGetFileInfo adds one on
// each call that returns the list, so only counts taken between two such
// calls compare.)
ULONG ReferenceCount(HIMAGELIST list) {
    using QueryInterface = HRESULT(WINAPI*)(HIMAGELIST, REFIID, void**);
    static const auto query = reinterpret_cast<QueryInterface>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "HIMAGELIST_QueryInterface")));
    IUnknown* unknown = nullptr;
    if (!query || FAILED(query(list, IID_IUnknown, reinterpret_cast<void**>(&unknown))) || !unknown) {
        ADD_FAILURE() << "the image list's reference count can't be read";
        return 0;
    }
    return unknown->Release();
}

// --- files and folders --------------------------------------------------------

std::wstring DesktopDirectory() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    return path;
}

std::wstring TempDirectory() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

// The path the fallback forms for unique number `number` and `extension`.
std::wstring CandidatePath(unsigned number, const std::wstring& extension) {
    wchar_t base[MAX_PATH] = {};
    GetTempFileNameW(TempDirectory().c_str(), L"TMP", number, base);
    return base + extension;
}

std::set<std::wstring> Listing(const std::wstring& directory) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    const wchar_t* pattern = !directory.empty() && directory.back() == L'\\' ? L"*" : L"\\*";
    TUniqueFind find(FindFirstFileW((directory + pattern).c_str(), &data));
    if (!find) return names;
    do {
        names.insert(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    TUniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::string ReadBytes(const std::wstring& path) {
    TUniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        file.Release();
        return "<missing>";
    }
    char buffer[256];
    DWORD read = 0;
    ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr);
    return std::string(buffer, read);
}

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// 2001-02-03 04:05:06 UTC, a time no fresh file has.
constexpr FILETIME kOldTime{0x7DB50500, 0x01C08D96};

void SetWriteTime(const std::wstring& path, FILETIME time) {
    TUniqueKernelHandle file(
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
}

// A file or folder the test makes, removed again when the test ends.
class ScratchEntry {
public:
    enum Kind { File, Folder };
    ScratchEntry(std::wstring path, Kind kind) : path_(std::move(path)), kind_(kind) {
        if (kind_ == Folder) {
            made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
        } else {
            TUniqueKernelHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
            made_ = file.Get() != INVALID_HANDLE_VALUE;
            if (!made_) file.Release();
        }
    }
    ScratchEntry(const ScratchEntry&) = delete;
    ScratchEntry& operator=(const ScratchEntry&) = delete;
    ~ScratchEntry() {
        if (!made_) return;
        if (kind_ == Folder) {
            RemoveDirectoryW(path_.c_str());
        } else {
            DeleteFileW(path_.c_str());
        }
    }
    bool Made() const { return made_; }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    Kind kind_;
    bool made_ = false;
};

// --- the component -------------------------------------------------------------

// Steers the temporary-file fallback's candidate names and counts how often
// the fallback asked for one.
class SteeredSysImageList : public TSysImageList {
public:
    explicit SteeredSysImageList(std::vector<unsigned> numbers)
        : TSysImageList(nullptr), numbers_(std::move(numbers)) {}
    int Asked() const { return asked_; }

protected:
    unsigned TempFileNumber() override {
        const unsigned number = numbers_[static_cast<size_t>(asked_) % numbers_.size()];
        ++asked_;
        return number;
    }

private:
    std::vector<unsigned> numbers_;
    int asked_ = 0;
};

struct ChangeCounter {
    int count = 0;
    void Changed(TObject*) { ++count; }
};

// The name as written, in lower case, in capitals and as "DeSkToP".
std::vector<std::string> Spellings(const std::string& name) {
    std::string lower = name, upper = name, alternating = name;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] >= 'A' && name[i] <= 'Z') lower[i] = static_cast<char>(name[i] - 'A' + 'a');
        if (name[i] >= 'a' && name[i] <= 'z') upper[i] = static_cast<char>(name[i] - 'a' + 'A');
        alternating[i] = i % 2 ? lower[i] : upper[i];
    }
    return {name, lower, upper, alternating};
}

class SysImageListFileIconIndex : public ::testing::Test {
protected:
    void SetUp() override {
        desktop_ = DesktopDirectory();
        ASSERT_FALSE(desktop_.empty());
        ASSERT_TRUE(Exists(desktop_)) << Narrow(desktop_);
        temp_ = TempDirectory();
        ASSERT_TRUE(type_.Registered());
        typeIndex_ = TypeIndex(kType, SHGFI_SMALLICON);
        ASSERT_GT(typeIndex_, 0);
        list_.Reset(new TSysImageList(nullptr));
    }

    static constexpr const wchar_t* kType = L".brivtest1";
    RegisteredType type_{kType};
    int typeIndex_ = 0;
    std::wstring desktop_;
    std::wstring temp_;
    TOwned<TSysImageList> list_;
};

TEST_F(SysImageListFileIconIndex, SpecialFolderNamesInAnyCaseGiveTheShellsIcon) {
    int positive = 0;
    std::set<int> distinct;
    for (const TSpecialFolder& folder : SpecialFolders) {
        const std::string name(folder.DisplayName);
        for (const bool open : {false, true}) {
            const int expected =
                SpecialFolderIndex(folder.FolderId, SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0));
            for (const std::string& spelling : Spellings(name)) {
                EXPECT_EQ(list_->FileIconIndex(spelling, open), expected) << spelling << " open=" << open;
            }
            if (!open && expected > 0) {
                ++positive;
                distinct.insert(expected);
            }
        }
    }
    // The comparison above means little if the shell gave nothing at all.
    EXPECT_GE(positive, 5);
    EXPECT_GE(distinct.size(), 3u);
}

TEST_F(SysImageListFileIconIndex, DesktopItemsResolveByBareNameAndFullPath) {
    const ScratchEntry folder(desktop_ + L"\\brivtest folder", ScratchEntry::Folder);
    const ScratchEntry file(desktop_ + L"\\brivtest file" + kType, ScratchEntry::File);
    const ScratchEntry plain(desktop_ + L"\\brivtest plain.brivtest0", ScratchEntry::File);
    ASSERT_TRUE(folder.Made() && file.Made() && plain.Made());
    const std::set<std::wstring> before = Listing(temp_);
    SteeredSysImageList list({5});

    const int folderIndex = list.FileIconIndex("brivtest folder", false);
    EXPECT_GT(folderIndex, 0);
    EXPECT_EQ(list.FileIconIndex(Narrow(folder.Path()), false), folderIndex);
    EXPECT_EQ(folderIndex, PathIndex(folder.Path(), SHGFI_SMALLICON));

    const int openIndex = list.FileIconIndex("brivtest folder", true);
    EXPECT_EQ(openIndex, PathIndex(folder.Path(), SHGFI_SMALLICON | SHGFI_OPENICON));
    EXPECT_EQ(list.FileIconIndex(Narrow(folder.Path()), true), openIndex);

    const int fileIndex = list.FileIconIndex("brivtest file.brivtest1", false);
    EXPECT_EQ(fileIndex, typeIndex_);
    EXPECT_EQ(list.FileIconIndex(Narrow(file.Path()), false), fileIndex);
    EXPECT_NE(fileIndex, folderIndex);

    // An item the shell gives index 0 (the generic document of an unknown
    // type) keeps 0, and the type fallback does not run for it.
    EXPECT_EQ(PathIndex(plain.Path(), SHGFI_SMALLICON), 0);
    EXPECT_EQ(list.FileIconIndex("brivtest plain.brivtest0", false), 0);

    EXPECT_EQ(list.Asked(), 0);
    EXPECT_EQ(Listing(temp_), before);
}

TEST_F(SysImageListFileIconIndex, DesktopItemsWithNamesOutsideTheAnsiCodePage) {
    // Greek, Cyrillic and Japanese. Folders, whose icon differs from the one
    // the type fallback would give a name without an extension.
    const std::vector<std::string> names = {
        "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"};
    for (const std::string& name : names) {
        const ScratchEntry folder(desktop_ + L"\\" + Widen(name), ScratchEntry::Folder);
        ASSERT_TRUE(folder.Made()) << name;
        const int index = list_->FileIconIndex(name, false);
        EXPECT_GT(index, 0) << name;
        EXPECT_EQ(index, PathIndex(folder.Path(), SHGFI_SMALLICON)) << name;
        EXPECT_EQ(list_->FileIconIndex(Narrow(folder.Path()), false), index) << name;
    }
    // A file of a registered type, named in Japanese, in a Cyrillic folder.
    const ScratchEntry folder(desktop_ + L"\\" + Widen("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"),
                              ScratchEntry::Folder);
    const ScratchEntry file(folder.Path() + L"\\" + Widen("\xE6\x96\x87\xE6\x9B\xB8") + kType,
                            ScratchEntry::File);
    ASSERT_TRUE(folder.Made() && file.Made());
    SteeredSysImageList list({5});
    EXPECT_EQ(list.FileIconIndex(
                  "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\\\xE6\x96\x87\xE6\x9B\xB8.brivtest1", false),
              typeIndex_);
    EXPECT_EQ(list.FileIconIndex(Narrow(file.Path()), false), typeIndex_);
    EXPECT_EQ(list.Asked(), 0);
}

TEST_F(SysImageListFileIconIndex, UnknownNameGoesThroughATemporaryFileThatIsRemoved) {
    const std::set<std::wstring> before = Listing(temp_);
    SteeredSysImageList list({17});
    EXPECT_EQ(list.FileIconIndex("nothing-here.brivtest1", false), typeIndex_);
    EXPECT_EQ(list.Asked(), 1);
    EXPECT_FALSE(Exists(CandidatePath(17, kType)));
    EXPECT_EQ(Listing(temp_), before);

    // The randomly named candidate of the real component is gone as well.
    EXPECT_EQ(list_->FileIconIndex("nothing-here-either.brivtest1", false), typeIndex_);
    EXPECT_EQ(list_->FileIconIndex("C:\\no such folder\\nothing.brivtest1", false), typeIndex_);
    EXPECT_EQ(Listing(temp_), before);
}

TEST_F(SysImageListFileIconIndex, FallbackNeverTouchesAFileItDidNotMake) {
    const std::wstring taken = CandidatePath(42, kType);
    ASSERT_FALSE(Exists(taken)) << Narrow(taken);
    WriteBytes(taken, "not ours");
    SetWriteTime(taken, kOldTime);
    const std::set<std::wstring> before = Listing(temp_);

    // The first candidate is taken: the fallback moves on to the next one.
    SteeredSysImageList list({42, 43});
    EXPECT_EQ(list.FileIconIndex("nothing-here.brivtest1", false), typeIndex_);
    EXPECT_EQ(list.Asked(), 2);
    EXPECT_FALSE(Exists(CandidatePath(43, kType)));

    // Every candidate taken: no icon, after a bounded number of tries.
    SteeredSysImageList blocked({42});
    EXPECT_EQ(blocked.FileIconIndex("nothing-here.brivtest1", false), 0);
    EXPECT_EQ(blocked.Asked(), TSysImageList::kTempFileCandidates);

    EXPECT_EQ(ReadBytes(taken), "not ours");
    const FILETIME time = WriteTime(taken);
    EXPECT_EQ(time.dwLowDateTime, kOldTime.dwLowDateTime);
    EXPECT_EQ(time.dwHighDateTime, kOldTime.dwHighDateTime);
    EXPECT_EQ(Listing(temp_), before);
    DeleteFileW(taken.c_str());
}

TEST_F(SysImageListFileIconIndex, FallbackNeverLetsGetTempFileNameMakeAFile) {
    // Given 0, GetTempFileName would create a uniquely named file itself; it
    // uses only the low 16 bits, so 0x10000 is 0 to it as well.
    const std::set<std::wstring> before = Listing(temp_);
    SteeredSysImageList list({0, 0x10000});
    EXPECT_EQ(list.FileIconIndex("nothing-here.brivtest1", false), typeIndex_);
    EXPECT_EQ(list.FileIconIndex("nothing-here.brivtest1", false), typeIndex_);
    EXPECT_EQ(list.Asked(), 2);
    EXPECT_EQ(Listing(temp_), before);
}

TEST_F(SysImageListFileIconIndex, ExistingFileTheShellCannotPlaceGivesZeroWithoutATemporaryFile) {
    // A bare name that is no desktop item but a file in the current
    // directory, of a type without an icon of its own. The wildcard type
    // lookup is relative to the current directory too: under Wine it finds
    // that very file, whose icon is the generic document, index 0.
    const TScratchFolder scratch(L"brivtest-cwd", true);
    const ScratchEntry local((scratch.Path() / L"brivtest-local.brivtest0").native(), ScratchEntry::File);
    ASSERT_TRUE(local.Made());
    const std::set<std::wstring> before = Listing(temp_);

    SteeredSysImageList list({7});
    EXPECT_EQ(list.FileIconIndex("brivtest-local.brivtest0", false), 0);
    EXPECT_EQ(list.Asked(), 0);
    EXPECT_EQ(Listing(scratch.Path().native()),
              (std::set<std::wstring>{L".", L"..", L"brivtest-local.brivtest0"}));
    EXPECT_EQ(Listing(temp_), before);

    // A name that is not there, of a type with an icon: the fallback runs.
    EXPECT_EQ(list.FileIconIndex("brivtest-missing.brivtest1", false), typeIndex_);
    EXPECT_EQ(list.Asked(), 1);
    EXPECT_EQ(Listing(scratch.Path().native()),
              (std::set<std::wstring>{L".", L"..", L"brivtest-local.brivtest0"}));
    EXPECT_EQ(Listing(temp_), before);
}

// --- the temporary file itself --------------------------------------------------

TEST(SysImageListNewFile, CreatesOnlyWhereNothingExistsAndRemovesOnlyWhatItMade) {
    const std::wstring path =
        TempDirectory() + L"brivtest-newfile-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    ASSERT_FALSE(Exists(path));
    {
        const TNewFile file(path);
        EXPECT_TRUE(file.Created());
        EXPECT_EQ(file.Error(), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(Exists(path));
        EXPECT_EQ(ReadBytes(path), "");
    }
    EXPECT_FALSE(Exists(path));

    WriteBytes(path, "someone else's");
    SetWriteTime(path, kOldTime);
    {
        const TNewFile file(path);
        EXPECT_FALSE(file.Created());
        EXPECT_EQ(file.Error(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    }
    EXPECT_EQ(ReadBytes(path), "someone else's");
    EXPECT_EQ(WriteTime(path).dwLowDateTime, kOldTime.dwLowDateTime);
    DeleteFileW(path.c_str());

    // Removed while an exception unwinds, too.
    try {
        const TNewFile file(path);
        ASSERT_TRUE(file.Created());
        throw std::runtime_error("lookup failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Exists(path));
}

// --- icon size and the shared list ----------------------------------------------

TEST(SysImageListBinding, ConstructionBindsTheSmallSystemList) {
    TOwned<TSysImageList> list(new TSysImageList(nullptr));
    EXPECT_EQ(list->IconSize(), TIconSize::isSmallIcons);
    EXPECT_EQ(list->DrawingStyle(), TDrawingStyle::dsTransparent);
    EXPECT_EQ(list->BkColor(), clNone);
    EXPECT_EQ(list->BlendColor(), clNone);
    ASSERT_NE(list->Handle(), nullptr);
    EXPECT_EQ(list->Handle(), ShellList(SHGFI_SMALLICON));
    EXPECT_EQ(list->Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(list->Height(), GetSystemMetrics(SM_CYSMICON));
    EXPECT_GT(list->Count(), 0);
}

// The list is bound when it is first used; to whoever uses it, it has been
// bound all along, so that first binding is no change.
TEST(SysImageListBinding, TheFirstUseBindsWithoutSignallingAChange) {
    for (const auto firstUse : {+[](const TSysImageList& list) { return list.Count() > 0; },
                                +[](const TSysImageList& list) { return list.Width() > 0; }}) {
        TOwned<TSysImageList> list(new TSysImageList(nullptr));
        ChangeCounter changes;
        list->OnChange = TNotifyEvent(&changes, &ChangeCounter::Changed);
        EXPECT_TRUE(firstUse(*list));
        EXPECT_EQ(list->Handle(), ShellList(SHGFI_SMALLICON));
        EXPECT_EQ(changes.count, 0);
    }
    TOwned<TSysImageList> list(new TSysImageList(nullptr));
    ChangeCounter changes;
    list->OnChange = TNotifyEvent(&changes, &ChangeCounter::Changed);
    EXPECT_EQ(list->FileIconIndex("My Computer", false), SpecialFolderIndex(CSIDL_DRIVES, SHGFI_SMALLICON));
    EXPECT_EQ(list->Handle(), ShellList(SHGFI_SMALLICON));
    EXPECT_EQ(changes.count, 0);
    // A size set before any use binds at once, and says so.
    TOwned<TSysImageList> large(new TSysImageList(nullptr));
    large->OnChange = TNotifyEvent(&changes, &ChangeCounter::Changed);
    large->SetIconSize(TIconSize::isLargeIcons);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(large->Handle(), ShellList(SHGFI_LARGEICON));
}

TEST(SysImageListBinding, IconSizeRebindsOnlyOnChange) {
    TOwned<TSysImageList> list(new TSysImageList(nullptr));
    ChangeCounter changes;
    list->OnChange = TNotifyEvent(&changes, &ChangeCounter::Changed);
    const HIMAGELIST small = list->Handle();

    list->SetIconSize(TIconSize::isLargeIcons);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(list->IconSize(), TIconSize::isLargeIcons);
    EXPECT_EQ(list->Handle(), ShellList(SHGFI_LARGEICON));
    EXPECT_NE(list->Handle(), small);
    EXPECT_EQ(list->Width(), 32);
    EXPECT_EQ(list->Height(), 32);

    list->SetIconSize(TIconSize::isLargeIcons);
    EXPECT_EQ(changes.count, 1);

    // Indexes are shared between the two sizes of the system list.
    EXPECT_EQ(list->FileIconIndex("My Computer", false), SpecialFolderIndex(CSIDL_DRIVES, SHGFI_LARGEICON));

    list->SetIconSize(TIconSize::isSmallIcons);
    EXPECT_EQ(changes.count, 2);
    EXPECT_EQ(list->Handle(), small);
    EXPECT_EQ(list->Width(), GetSystemMetrics(SM_CXSMICON));
}

TEST(SysImageListBinding, DrawingFollowsTheStyleAndLeavesTheSharedListAlone) {
    TOwned<TSysImageList> list(new TSysImageList(nullptr));
    const int index = list->FileIconIndex("My Computer", false);
    ASSERT_GT(index, 0);
    const COLORREF sharedBackground = ImageList_GetBkColor(list->Handle());
    const auto draw = [&] {
        return capture::Render(list->Width(), list->Height(),
                               [&](HDC dc) {
                                   const RECT all{0, 0, list->Width(), list->Height()};
                                   FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                                   list->Draw(dc, 0, 0, index);
                               })
            .data;
    };
    const auto transparent = draw();
    // A transparent drawing ignores the background colour; a normal one
    // fills the icon's transparent parts with it.
    list->SetBkColor(RGB(255, 0, 0));
    EXPECT_EQ(draw(), transparent);
    list->SetDrawingStyle(TDrawingStyle::dsNormal);
    EXPECT_NE(draw(), transparent);
    EXPECT_EQ(ImageList_GetBkColor(list->Handle()), sharedBackground);
}

TEST(SysImageListBinding, ReleasingTheHandleNeverDestroysTheShellsList) {
    const HIMAGELIST small = ShellList(SHGFI_SMALLICON);
    const HIMAGELIST large = ShellList(SHGFI_LARGEICON);
    const int smallCount = ImageList_GetImageCount(small);
    ASSERT_GT(smallCount, 0);
    {
        TOwned<TSysImageList> first(new TSysImageList(nullptr));
        TOwned<TSysImageList> second(new TSysImageList(nullptr));
        // Rebinding releases the small list, destroying it releases the large
        // one: neither may drop a reference the component never took.
        const ULONG smallReferences = ReferenceCount(small);
        ASSERT_GT(smallReferences, 0u);
        second->SetIconSize(TIconSize::isLargeIcons);
        EXPECT_EQ(ReferenceCount(small), smallReferences);
        const ULONG largeReferences = ReferenceCount(large);
        second.Reset();
        EXPECT_EQ(ReferenceCount(large), largeReferences);
        EXPECT_GE(first->Count(), smallCount);
        const ULONG firstReferences = ReferenceCount(small);
        first.Reset();
        EXPECT_EQ(ReferenceCount(small), firstReferences);
    }
    EXPECT_GE(ImageList_GetImageCount(small), smallCount);
    EXPECT_GT(ImageList_GetImageCount(large), 0);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(ShellList(SHGFI_SMALLICON), small);
    EXPECT_EQ(ShellList(SHGFI_LARGEICON), large);
    // And a new component binds to it as before.
    TOwned<TSysImageList> again(new TSysImageList(nullptr));
    EXPECT_EQ(again->Handle(), small);
    EXPECT_GT(again->FileIconIndex("Recycle Bin", false), 0);
}

}  // namespace
