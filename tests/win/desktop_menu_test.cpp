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
};

// Opens the menu as a right click would and reads it back while it is open.
std::vector<LiveItem> OpenAndRead(TMainWindow* form) {
    static std::vector<LiveItem>* out;
    static TPopupMenu* menu;
    std::vector<LiveItem> items;
    out = &items;
    menu = form->TrayMenu;
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
            out->push_back({text, info.fType});
        }
        EndMenu();
    });
    form->TrayMenu->Popup(100, 100);
    return items;
}

std::vector<std::string> EntryCaptions(TMainWindow* form) {
    std::vector<std::string> captions;
    TMenuItem* items = form->TrayMenu->Items();
    for (int i = 8; i < items->Count(); ++i) captions.push_back(items->Items(i)->Caption());
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
        form->DesktopFolderPath = Narrow(folder.wstring());
        form->HideDesktop(form);
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
    EXPECT_EQ(form->TrayMenu->Items()->Count(), 8);
    EXPECT_TRUE(form->TrayMenu->Items()->Items(7)->IsLine());
    // Hidden: "Show Desktop", "Custom Icons", line, "About", line, "Exit"; the
    // separator at index 7, being last, is not shown.
    ASSERT_EQ(live.size(), 6u);
    EXPECT_EQ(live[0].text, L"Show Desktop\tCtrl+F12");
    EXPECT_EQ(live[5].text, L"Exit");

    form->DesktopFolderPath = Narrow((desktop / L"NoSuchFolder").wstring());
    live = OpenAndRead(form);
    EXPECT_EQ(form->TrayMenu->Items()->Count(), 8);
    EXPECT_EQ(live.size(), 6u);
    // An empty path lists nothing, not the root of the current drive.
    form->DesktopFolderPath.clear();
    OpenAndRead(form);
    EXPECT_EQ(form->TrayMenu->Items()->Count(), 8);
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(DesktopMenuTest, EntriesAreListedWithTheirCaptionsIconsAndColumns) {
    for (const char* name :
         {"Mail.lnk", "News.url", "Old.rnk", "Post.LNK", ".lnk", "Notes.txt", "Brivane.lnk", "Ελληνικά.txt",
          "Кириллица.lnk", "日本語のファイル.txt", "Report.lnk"}) {
        Add(name);
    }
    fs::create_directories(desktop / L"Projects");
    fs::create_directories(desktop / L"Report");
    Add("hidden.txt");
    SetFileAttributesW((desktop / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Add("system.dat");
    SetFileAttributesW((desktop / L"system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM);
    for (int i = 0; i < 300; ++i) Add("entry " + std::to_string(1000 + i) + ".txt");

    TMainWindow* form = StartHidden();
    std::vector<LiveItem> live = OpenAndRead(form);
    TMenuItem* items = form->TrayMenu->Items();
    std::vector<std::string> captions = EntryCaptions(form);

    std::vector<std::string> expected;
    std::vector<std::string> listed;
    TMainWindow::ListDirectoryEntries(form->DesktopFolderPath + "\\*.*", 63, listed);
    for (const std::string& name : listed) expected.push_back(EntryCaption(name));
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(listed.size(), 315u + before.size());
    for (const char* caption :
         {"Mail", "News", "Old", "Post.LNK", "", "Notes.txt", "Brivane", "Projects", "Report", "hidden.txt",
          "system.dat", "Ελληνικά.txt", "Кириллица", "日本語のファイル.txt"}) {
        EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
    }
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Report"), 2);

    // Every entry carries the system image list's icon of its own name.
    for (int i = 8; i < items->Count(); ++i) {
        EXPECT_EQ(items->Items(i)->ImageIndex(),
                  form->ShellIcons->FileIconIndex(listed[static_cast<size_t>(i - 8)], false))
            << listed[static_cast<size_t>(i - 8)];
    }
    // Columns break where the screen is full.
    TMenuColumns columns(GetSystemMetrics(SM_CYMENU));
    int breaks = 0;
    for (int i = 8; i < items->Count(); ++i) {
        const bool starts = columns.NextStartsColumn(GetSystemMetrics(SM_CYFULLSCREEN));
        breaks += starts;
        EXPECT_EQ(items->Items(i)->Break() == TMenuBreak::mbBarBreak, starts) << i;
    }
    EXPECT_GT(breaks, 1);
    // The live menu: six fixed items shown, the separator, then the entries,
    // with the bar breaks drawn by Win32 and captions exactly as listed.
    ASSERT_EQ(live.size(), 6 + 1 + captions.size());
    EXPECT_TRUE(live[6].type & MFT_SEPARATOR);
    int liveBreaks = 0;
    for (size_t i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(Narrow(live[7 + i].text), captions[i]);
        liveBreaks += (live[7 + i].type & MFT_MENUBARBREAK) != 0;
    }
    EXPECT_EQ(liveBreaks, breaks);

    // Opening again gives the same menu: one separator, no doubled items.
    OpenAndRead(form);
    EXPECT_EQ(EntryCaptions(form), captions);
    EXPECT_EQ(items->Count(), 8 + static_cast<int>(captions.size()));
    int lines = 0;
    for (int i = 0; i < items->Count(); ++i) lines += items->Items(i)->IsLine();
    EXPECT_EQ(lines, 3);

    // After "Show Desktop" the next opening holds just the seven fixed items.
    form->ShowDesktop(form);
    live = OpenAndRead(form);
    EXPECT_EQ(items->Count(), 7);
    EXPECT_EQ(live.size(), 6u);  // "Show Desktop" is hidden now, "Hide Desktop" shown
    EXPECT_EQ(live[0].text, L"Hide Desktop\tCtrl+F12");
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(DesktopMenuTest, ChoosingAnEntryOpensTheVeryEntryItWasListedFrom) {
    const fs::path reportMarker = elsewhere / L"report-link-opened.txt";
    const fs::path brivaneMarker = elsewhere / L"brivane-link-opened.txt";
    fs::create_directories(desktop / L"Report");
    WriteMarkerShortcut(desktop / L"Report.lnk", reportMarker);
    WriteMarkerShortcut(desktop / L"Brivane.lnk", brivaneMarker);
    WriteMarkerShortcut(desktop / L"Почта.lnk", elsewhere / L"mail-link-opened.txt");
    TMainWindow* form = StartHidden();
    OpenAndRead(form);
    TMenuItem* items = form->TrayMenu->Items();
    std::vector<TMenuItem*> reports;
    TMenuItem* brivane = nullptr;
    TMenuItem* mail = nullptr;
    for (int i = 8; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (item->Caption() == "Report") reports.push_back(item);
        if (item->Caption() == "Brivane") brivane = item;
        if (item->Caption() == "Почта") mail = item;
    }
    ASSERT_EQ(reports.size(), 2u);
    ASSERT_NE(brivane, nullptr);
    ASSERT_NE(mail, nullptr);
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
        HMENU handle = current->TrayMenu->Handle();
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
    form->TrayMenu->Popup(100, 100);
    ASSERT_EQ(menus.size(), 2u);  // the menu and the "Custom Icons" submenu
    ASSERT_GE(pictures.size(), 20u);
    for (HMENU menu : menus) EXPECT_FALSE(IsMenu(menu));
    for (HBITMAP picture : pictures) EXPECT_EQ(GetObjectType(picture), 0u);
    const int ownedWhileListed = form->TrayMenu->ComponentCount();

    // A hide-and-show cycle replaces the tray icon's image and frees the old one.
    HICON before = form->TrayIcon->Icon()->Handle();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(before, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    form->ShowDesktop(form);
    EXPECT_FALSE(GetIconInfo(before, &info));
    // The next opening takes the entry items away again.
    OpenAndRead(form);
    EXPECT_EQ(form->TrayMenu->Items()->Count(), 7);
    EXPECT_GT(ownedWhileListed, 20);
    EXPECT_EQ(form->TrayMenu->ComponentCount(), 1);  // its root item only
}
