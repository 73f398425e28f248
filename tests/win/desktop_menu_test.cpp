// The desktop entries in the tray menu, against the user's real desktop
// folder filled by the test: the live menu as Win32 holds it while open, and
// what choosing an entry opens through the shell.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "DesktopEntryRules.h"
#include "DesktopFixture.h"
#include "SysImg/SysImg.h"
#include "support/FormTestSupport.h"
#include "support/RegistryBackup.h"
#include "support/Win32Helpers.h"
#include "support/WinTestSupport.h"
#include "win/Handles.h"

namespace fs = std::filesystem;

namespace {

struct LiveItem {
    std::wstring text;
    UINT type;
    RECT rect;  // on the screen
};

// Opens the menu as a right click would and reads it back while it is open.
std::vector<LiveItem> OpenAndRead(TMainWindow* form) {
    static std::vector<LiveItem>* out;
    static TPopupMenu* menu;
    std::vector<LiveItem> items;
    out = &items;
    menu = Named<TPopupMenu>(form, "TrayMenu");
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        HMENU handle = menu->Handle();
        if (!handle) return;
        KillTimer(nullptr, id);
        for (int i = 0; i < GetMenuItemCount(handle); ++i) {
            wchar_t text[512] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 511;
            GetMenuItemInfoW(handle, static_cast<UINT>(i), TRUE, &info);
            RECT rect{};
            GetMenuItemRect(nullptr, handle, static_cast<UINT>(i), &rect);
            out->push_back({text, info.fType, rect});
        }
        EndMenu();
    });
    Named<TPopupMenu>(form, "TrayMenu")->Popup(100, 100);
    return items;
}

std::vector<std::string> EntryCaptions(TMainWindow* form) {
    std::vector<std::string> captions;
    TMenuItem* items = Named<TPopupMenu>(form, "TrayMenu")->Items();
    for (int i = 9; i < items->Count(); ++i) captions.push_back(items->Items(i)->Caption());
    return captions;
}

fs::path UserDesktop() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

void WriteFile(const fs::path& path, const std::string& text = "x") {
    std::ofstream(path, std::ios::binary) << text;
}

// A shell link that runs cmd.exe to leave `marker` behind when opened.
void WriteMarkerShortcut(const fs::path& link, const fs::path& marker) {
    IShellLinkW* shellLink = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&shellLink))));
    shellLink->SetPath(L"C:\\windows\\system32\\cmd.exe");
    shellLink->SetArguments((L"/c echo opened > \"" + marker.wstring() + L"\"").c_str());
    IPersistFile* file = nullptr;
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    EXPECT_TRUE(SUCCEEDED(file->Save(link.wstring().c_str(), TRUE)));
    file->Release();
    shellLink->Release();
}

// Counts the processes that this test program has started, ended ones too:
// the program puts itself into a job object, which takes every process it
// creates from then on, and the job's accounting keeps the total
// (JOBOBJECT_BASIC_ACCOUNTING_INFORMATION.TotalProcesses). ShellExecuteW
// creates its process before it returns, so the count tells at once, without
// waiting, whether a menu click started anything.
class StartedProcesses {
public:
    StartedProcesses() : job_(CreateJobObjectW(nullptr, nullptr)) {
        EXPECT_TRUE(job_ && AssignProcessToJobObject(job_.Get(), GetCurrentProcess()))
            << "job object: error " << GetLastError();
    }
    // Processes started in the job so far, and those still running (this
    // one included).
    DWORD Count() const { return Accounting().TotalProcesses; }
    DWORD Running() const { return Accounting().ActiveProcesses; }

private:
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        EXPECT_TRUE(QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &info,
                                              sizeof(info), nullptr));
        return info;
    }

    TUniqueKernelHandle job_;
};

void CloseWindowsTitled(const std::wstring& text) {
    for (HWND w : WindowsTitled(text)) PostMessageW(w, WM_CLOSE, 0, 0);
    PumpUntil([&] { return WindowsTitled(text).empty(); }, 5000);
}

class DesktopMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop = UserDesktop();
        fs::create_directories(desktop);
        for (const auto& entry : fs::directory_iterator(desktop)) before.insert(entry.path().filename());
        folder = desktop;
    }
    void TearDown() override {
        // Only what the test made goes again.
        for (const auto& entry : fs::directory_iterator(desktop)) {
            if (!before.count(entry.path().filename())) {
                SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
                fs::remove_all(entry.path());
            }
        }
    }
    TMainWindow* StartHidden() {
        TMainWindow* form = app.app.CreateForm<TMainWindow>();
        form->DesktopEntries().UseFolders({Narrow(folder.wstring())});
        form->Desktop().HideDesktop(form);
        return form;
    }
    void Add(const std::string& name) { WriteFile(desktop / fs::u8path(name)); }

    TTestApplication app;
    TNotifyRecorder tray;
    TDesktopParameterRecorder parameters;
    std::unique_ptr<TDesktopFixture> fixture = std::make_unique<TDesktopFixture>();
    fs::path desktop, folder;
    const TScratchFolder scratch{L"BrivaneElsewhere"};
    const fs::path elsewhere = scratch.Path();
    std::set<fs::path> before;
};

}  // namespace

TEST_F(DesktopMenuTest, AnEmptyOrMissingFolderGivesTheFixedItemsAndTheSeparatorOnly) {
    folder = desktop / L"EmptyFolderForTheMenu";
    fs::create_directories(folder);
    TMainWindow* form = StartHidden();
    std::vector<LiveItem> live = OpenAndRead(form);
    EXPECT_EQ(Named<TPopupMenu>(form, "TrayMenu")->Items()->Count(), 9);
    EXPECT_TRUE(Named<TPopupMenu>(form, "TrayMenu")->Items()->Items(8)->IsLine());
    // Hidden: "Show Desktop", "Custom Icons", line, "Settings…", "About", line,
    // "Exit"; the separator at index 8, being last, is not shown.
    ASSERT_EQ(live.size(), 7u);
    EXPECT_EQ(live[0].text, L"Show Desktop\tCtrl+F12");
    EXPECT_EQ(live[3].text, L"Settings\u2026");
    EXPECT_EQ(live[6].text, L"Exit");

    form->DesktopEntries().UseFolders({Narrow((desktop / L"NoSuchFolder").wstring())});
    live = OpenAndRead(form);
    EXPECT_EQ(Named<TPopupMenu>(form, "TrayMenu")->Items()->Count(), 9);
    EXPECT_EQ(live.size(), 7u);
    // An empty path lists nothing, not the root of the current drive.
    form->DesktopEntries().UseFolders({""});
    OpenAndRead(form);
    EXPECT_EQ(Named<TPopupMenu>(form, "TrayMenu")->Items()->Count(), 9);
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(DesktopMenuTest, EntriesAreListedWithTheirCaptionsIconsAndColumns) {
    // The entries the test puts on the desktop (folders end in "\\"), and the
    // caption each must show, in the same order.
    const std::vector<std::string> names = {
        "Mail.lnk",   "News.url",    "Old.rnk",      "Post.LNK",      ".lnk",
        "Notes.txt",  "Brivane.lnk", "Report.lnk",   "Report\\",      "Projects\\",
        "hidden.txt", "system.dat",  "Ελληνικά.txt", "Кириллица.lnk", "日本語のファイル.txt"};
    const std::vector<std::string> shows = {
        "Mail",       "News",       "Old",          "Post.LNK",  "",
        "Notes.txt",  "Brivane",    "Report",       "Report",    "Projects",
        "hidden.txt", "system.dat", "Ελληνικά.txt", "Кириллица", "日本語のファイル.txt"};
    std::map<fs::path, std::string> made;
    for (size_t n = 0; n < names.size(); ++n) {
        const bool folder = names[n].back() == '\\';
        const fs::path name = fs::u8path(folder ? names[n].substr(0, names[n].size() - 1) : names[n]);
        made[name] = shows[n];
        if (folder)
            fs::create_directories(desktop / name);
        else
            WriteFile(desktop / name);
    }
    for (int i = 1000; i < 1300; ++i) {
        made[fs::u8path("entry " + std::to_string(i) + ".txt")] = "entry " + std::to_string(i) + ".txt";
        WriteFile(desktop / ("entry " + std::to_string(i) + ".txt"));
    }
    SetFileAttributesW((desktop / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((desktop / L"system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM);

    TMainWindow* form = StartHidden();
    std::vector<LiveItem> live = OpenAndRead(form);
    TMenuItem* items = Named<TPopupMenu>(form, "TrayMenu")->Items();
    const std::vector<std::string> captions = EntryCaptions(form);
    // Everything in the folder, in the order the file system lists it, each
    // with the system image list's icon of its path; the test's own entries
    // with their captions.
    std::vector<std::string> expected, shown;
    std::set<int> icons;
    int at = 9;
    for (const auto& entry : fs::directory_iterator(desktop)) {
        const fs::path name = entry.path().filename();
        ASSERT_LT(at, items->Count()) << "not listed: " << Narrow(name.wstring());
        SHFILEINFOW info{};
        SHGetFileInfoW(entry.path().c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        icons.insert(info.iIcon);
        EXPECT_EQ(items->Items(at)->ImageIndex(), info.iIcon) << Narrow(name.wstring());
        if (made.count(name)) {
            expected.push_back(made[name]);
            shown.push_back(items->Items(at)->Caption());
        }
        ++at;
    }
    EXPECT_EQ(at, items->Count());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(expected.size(), made.size());
    EXPECT_GT(icons.size(), 1u);
    // The live menu: seven fixed items shown, the separator, then the entries
    // with their captions, in columns where the screen is full: each column
    // starts with a bar break and lies on the screen, and all but the last
    // reach to within 50 pixels and two items of its foot.
    ASSERT_EQ(live.size(), 7 + 1 + captions.size());
    EXPECT_TRUE(live[7].type & MFT_SEPARATOR);
    std::vector<RECT> columns;
    for (size_t n = 0; n < live.size(); ++n) {
        if (n >= 8) {
            EXPECT_EQ(Narrow(live[n].text), captions[n - 8]);
        }
        const bool starts = columns.empty() || live[n].rect.left > columns.back().left;
        EXPECT_EQ((live[n].type & MFT_MENUBARBREAK) != 0, starts && n > 0) << n;
        if (starts) columns.push_back(live[n].rect);
        columns.back().bottom = live[n].rect.bottom;
    }
    ASSERT_GT(columns.size(), 2u);
    const LONG itemHeight = live.back().rect.bottom - live.back().rect.top;
    for (size_t c = 0; c < columns.size(); ++c) {
        EXPECT_LE(columns[c].bottom, GetSystemMetrics(SM_CYSCREEN)) << "column " << c;
        if (c + 1 < columns.size()) {
            EXPECT_GT(columns[c].bottom + 50 + 2 * itemHeight, GetSystemMetrics(SM_CYSCREEN))
                << "column " << c;
        }
    }

    // Opening again gives the same menu: one separator, no doubled items.
    OpenAndRead(form);
    EXPECT_EQ(EntryCaptions(form), captions);
    EXPECT_EQ(items->Count(), 9 + static_cast<int>(captions.size()));
    int lines = 0;
    for (int i = 0; i < items->Count(); ++i) lines += items->Items(i)->IsLine();
    EXPECT_EQ(lines, 3);

    // After "Show Desktop" the next opening holds just the eight fixed items.
    form->Desktop().ShowDesktop(form);
    live = OpenAndRead(form);
    EXPECT_EQ(items->Count(), 8);
    EXPECT_EQ(live.size(), 7u);  // "Show Desktop" is hidden now, "Hide Desktop" shown
    EXPECT_EQ(live[0].text, L"Hide Desktop\tCtrl+F12");
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(DesktopMenuTest, ChoosingAnEntryOpensTheVeryEntryItWasListedFrom) {
    const fs::path reportMarker = elsewhere / L"report-link-opened.txt";
    const fs::path brivaneMarker = elsewhere / L"brivane-link-opened.txt";
    fs::create_directories(desktop / L"Report");
    WriteMarkerShortcut(desktop / L"Report.lnk", reportMarker);
    WriteMarkerShortcut(desktop / L"Brivane.lnk", brivaneMarker);
    // A shortcut on the Public Desktop is listed among the user's and opens
    // from where it lives.
    const TScratchFolder publicDesktop{L"BrivanePublicDesktop"};
    WriteMarkerShortcut(publicDesktop.Path() / L"Почта.lnk", elsewhere / L"mail-link-opened.txt");
    TMainWindow* form = StartHidden();
    form->DesktopEntries().UseFolders({Narrow(desktop.wstring()), Narrow(publicDesktop.Path().wstring())});
    OpenAndRead(form);
    TMenuItem* items = Named<TPopupMenu>(form, "TrayMenu")->Items();
    std::vector<TMenuItem*> reports;
    TMenuItem* brivane = nullptr;
    TMenuItem* mail = nullptr;
    for (int i = 9; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (item->Caption() == "Report") reports.push_back(item);
        if (item->Caption() == "Brivane") brivane = item;
        if (item->Caption() == "Почта") mail = item;
    }
    ASSERT_EQ(reports.size(), 2u);
    ASSERT_NE(brivane, nullptr);
    ASSERT_NE(mail, nullptr);
    EXPECT_GT(items->IndexOf(mail), items->IndexOf(reports.back())) << "merged by name";
    const StartedProcesses started;

    // A shortcut whose caption lost its extension opens through the shell.
    const DWORD beforeMail = started.Count();
    mail->Click();
    EXPECT_GT(started.Count(), beforeMail) << "opening a shortcut started no process";
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(elsewhere / L"mail-link-opened.txt"); }, 15000));

    // The folder "Report" opens the folder; "Report.lnk" beside it opens the
    // shortcut, not the folder a second time.
    for (TMenuItem* report : reports) report->Click();
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(reportMarker); }, 15000));
    EXPECT_TRUE(PumpUntil([] { return !WindowsTitled(L"Report").empty(); }, 15000));
    EXPECT_EQ(WindowsTitled(L"Report").size(), 1u);

    // The program's own name does nothing: the click starts no process.
    const DWORD beforeBrivane = started.Count();
    brivane->Click();
    EXPECT_EQ(started.Count(), beforeBrivane);
    EXPECT_FALSE(fs::exists(brivaneMarker));
    CloseWindowsTitled(L"Report");
    // The shortcuts' programs may still hold their marker files open after
    // writing them: the folders go only once those programs have ended.
    EXPECT_TRUE(PumpUntil([&] { return started.Running() == 1; }, 15000)) << "a started program still runs";
}

TEST_F(DesktopMenuTest, NothingMadeForAnOpeningOrACycleOutlivesIt) {
    for (int i = 0; i < 20; ++i) Add("leak check " + std::to_string(i) + ".txt");
    TMainWindow* form = StartHidden();

    static std::vector<HMENU> menus;
    static std::vector<HBITMAP> pictures;
    static TMainWindow* current;
    menus.clear();
    pictures.clear();
    current = form;
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        HMENU handle = Named<TPopupMenu>(current, "TrayMenu")->Handle();
        if (!handle) return;
        KillTimer(nullptr, id);
        menus.push_back(handle);
        for (int i = 0; i < GetMenuItemCount(handle); ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_BITMAP | MIIM_SUBMENU;
            GetMenuItemInfoW(handle, static_cast<UINT>(i), TRUE, &info);
            if (info.hSubMenu) menus.push_back(info.hSubMenu);
            // The fixed items' own bitmaps live as long as the items.
            if (i >= 7 && info.hbmpItem) pictures.push_back(info.hbmpItem);
        }
        EndMenu();
    });
    Named<TPopupMenu>(form, "TrayMenu")->Popup(100, 100);
    ASSERT_EQ(menus.size(), 2u);  // the menu and the "Custom Icons" submenu
    ASSERT_GE(pictures.size(), 20u);
    for (HMENU menu : menus) EXPECT_FALSE(IsMenu(menu));
    for (HBITMAP picture : pictures) EXPECT_EQ(GetObjectType(picture), 0u);
    const int ownedWhileListed = Named<TPopupMenu>(form, "TrayMenu")->ComponentCount();

    // A hide-and-show cycle replaces the tray icon's image and frees the old one.
    HICON before = Named<TTrayIcon>(form, "TrayIcon")->Icon()->Handle();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(before, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    form->Desktop().ShowDesktop(form);
    EXPECT_FALSE(GetIconInfo(before, &info));
    // The next opening takes the entry items away again.
    OpenAndRead(form);
    EXPECT_EQ(Named<TPopupMenu>(form, "TrayMenu")->Items()->Count(), 8);
    EXPECT_GT(ownedWhileListed, 20);
    EXPECT_EQ(Named<TPopupMenu>(form, "TrayMenu")->ComponentCount(), 1);  // its root item only
}
