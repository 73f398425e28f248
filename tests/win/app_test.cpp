// The main window against a desktop fixture: start-up in either state, hiding
// and showing the desktop, the hot key, the end of the logon, and what stored
// settings of the wrong type do.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DesktopFixture.h"
#include "SysImg/SysImg.h"
#include "support/FormTestSupport.h"
#include "support/RegistryBackup.h"
#include "support/WinTestSupport.h"

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const std::string folder = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? Narrow(path) : "";
    CoTaskMemFree(path);
    return folder;
}

class AppTest : public ::testing::Test {
protected:
    void TearDown() override { fixture.reset(); }
    TMainWindow* Start() { return app.app.CreateForm<TMainWindow>(); }
    // A left click on the tray icon, as the shell reports it.
    static void ClickTray(TMainWindow* form) {
        for (LPARAM button : {WM_LBUTTONDOWN, WM_LBUTTONUP})
            SendMessageW(TTrayIcon::SharedHandler()->Window(), WM_TRAYICON,
                         Named<TTrayIcon>(form, "TrayIcon")->IconId(), button);
    }

    TRegistryValueBackup shellDesktop{kShellFoldersKeyW, L"Desktop"};
    TRegistryValueBackup wallpaper{kDesktopKeyW, L"Wallpaper"};
    TRegistryValueBackup pattern{kDesktopKeyW, L"Pattern"};
    TRegistryValueBackup colour{kDesktopKeyW, L"TessikIconColour"};
    TRegistryValueBackup transparent{kDesktopKeyW, L"TransparentIcon"};
    TRegistryValueBackup hotKey{L"Software\\Brivane", L"HotKey"};
    TTestApplication app;
    TDesktopParameterRecorder parameters;
    TNotifyRecorder tray;
    std::unique_ptr<TDesktopFixture> fixture = std::make_unique<TDesktopFixture>();
};

}  // namespace

TEST_F(AppTest, StartsInTheShownStateWithTheDesktopVisible) {
    TMainWindow* form = Start();
    ExpectInterfaceState(form, false);
    // The user's desktop and the Public Desktop, where the shell keeps them:
    // a stale legacy "Shell Folders" value is not read.
    SetRegistryString(kShellFoldersKeyW, L"Desktop", L"C:\\Stale");
    EXPECT_EQ(form->DesktopEntries().Folders(),
              (std::vector<std::string>{KnownFolder(FOLDERID_Desktop), KnownFolder(FOLDERID_PublicDesktop)}));
    EXPECT_FALSE(form->DesktopEntries().Folders()[1].empty());
    EXPECT_EQ(form->CaptionColours().ListView(), fixture->ListView());
    EXPECT_TRUE(form->CaptionColours().CapturePending());
    EXPECT_TRUE(HotKeyTaken());
    // The menu's images are made as the right button goes down to open it.
    EXPECT_TRUE(Named<TMenuItem>(form, "ExitItem")->Bitmap().Empty());
    form->TrayPictures().FitMenuImages(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    for (TMenuItem* item :
         {Named<TMenuItem>(form, "ShowDesktopItem"), Named<TMenuItem>(form, "HideDesktopItem"),
          Named<TMenuItem>(form, "AboutItem"), Named<TMenuItem>(form, "ExitItem")}) {
        EXPECT_FALSE(item->Bitmap().Empty()) << item->Name();
        EXPECT_EQ(item->Bitmap().Width(), 16);
    }
    EXPECT_TRUE(parameters.calls.empty());
    // The menu shows the hot key in force, Ctrl+F12 unless the user chose
    // another; none while it is off.
    EXPECT_EQ(Named<TMenuItem>(form, "HideDesktopItem")->ShortCutText(), "Ctrl+F12");
    for (const auto& [stored, shown] : {std::pair{L"Win+Shift+H", "Win+Shift+H"}, std::pair{L"off", ""}}) {
        SetRegistryString(L"Software\\Brivane", L"HotKey", stored);
        EXPECT_EQ(form->ApplyStoredSettings().hotKeyRegistered, *shown != 0);
        EXPECT_EQ(Named<TMenuItem>(form, "HideDesktopItem")->ShortCutText(), shown);
        EXPECT_EQ(Named<TMenuItem>(form, "ShowDesktopItem")->ShortCutText(), shown);
    }
    EXPECT_FALSE(HotKeyTaken());
    DeleteRegistryValue(L"Software\\Brivane", L"HotKey");
    EXPECT_TRUE(form->ApplyStoredSettings().hotKeyRegistered);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(app.app.ShowMainForm());
    EXPECT_TRUE(app.errorBoxes.empty());
    // The notification area has the icon with the shown state's hint.
    ASSERT_FALSE(tray.calls.empty());
    EXPECT_EQ(tray.calls.back().tip, L"Click to hide desktop");
    // Destroying the window frees the hot key.
    app.app.DestroyComponents();
    EXPECT_FALSE(HotKeyTaken());
}

TEST_F(AppTest, StartsInTheHiddenStateWhenTheDesktopIsHiddenOrMissing) {
    ShowWindow(fixture->Progman(), SW_HIDE);
    TMainWindow* form = Start();
    ExpectInterfaceState(form, true);
    EXPECT_TRUE(parameters.calls.empty());  // wallpaper and pattern untouched
    EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
    // One click (here the hot key) brings the desktop back.
    SendMessageW(form->Handle(), WM_HOTKEY, THotKeyRegistration::kHotKeyId, MAKELPARAM(MOD_CONTROL, VK_F12));
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, false);
    app.app.DestroyComponents();

    fixture.reset();
    TMainWindow* second = Start();
    ExpectInterfaceState(second, true);
    EXPECT_EQ(second->CaptionColours().ListView(), nullptr);
    EXPECT_TRUE(app.errorBoxes.empty());
    // A shell that makes its desktop only now (a start at sign-in before it):
    // the watchdog's tick takes it as shown and leaves it as it is.
    parameters.calls.clear();
    fixture = std::make_unique<TDesktopFixture>();
    second->Heartbeat().Tick();
    ExpectInterfaceState(second, false);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    EXPECT_TRUE(parameters.calls.empty());
}

TEST_F(AppTest, HideAndShowSwitchTheDesktopAndRestoreTheStoredSettingsPatternFirst) {
    const std::wstring storedWallpaper = L"C:\\Bilder\\Ελληνικά 日本語 Кириллица.bmp";
    SetRegistryString(kDesktopKeyW, L"Wallpaper", storedWallpaper);
    SetRegistryString(kDesktopKeyW, L"Pattern", L"(Ningún) 170 85", REG_EXPAND_SZ);
    const auto wallpaperBytes = RegistryBytes(kDesktopKeyW, L"Wallpaper");
    const auto patternBytes = RegistryBytes(kDesktopKeyW, L"Pattern");
    TMainWindow* form = Start();

    form->Desktop().HideDesktop(form);
    EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
    EXPECT_EQ(parameters.calls, (std::vector<std::pair<UINT, std::string>>{{SPI_SETDESKPATTERN, ""},
                                                                           {SPI_SETDESKWALLPAPER, ""}}));
    ExpectInterfaceState(form, true);

    parameters.calls.clear();
    form->Desktop().ShowDesktop(form);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    EXPECT_EQ(parameters.calls,
              (std::vector<std::pair<UINT, std::string>>{{SPI_SETDESKPATTERN, "(Ningún) 170 85"},
                                                         {SPI_SETDESKWALLPAPER, Narrow(storedWallpaper)}}));
    ExpectInterfaceState(form, false);

    // Show while shown: nothing visible changes, also once what it posted is handled.
    form->Desktop().ShowDesktop(form);
    PumpPosted();
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, false);
    // The user's stored settings were only read.
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"Wallpaper"), wallpaperBytes);
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"Pattern"), patternBytes);
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(AppTest, TheHotKeyTogglesLikeAClickAndTheEndOfTheLogonShowsTheDesktop) {
    TMainWindow* form = Start();
    SendMessageW(form->Handle(), WM_HOTKEY, THotKeyRegistration::kHotKeyId, 0);
    EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, true);
    // A tray click does the same as the hot key.
    ClickTray(form);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, false);

    form->Desktop().HideDesktop(form);
    parameters.calls.clear();
    // A cancelled shutdown leaves everything as it is.
    SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
    PumpPosted();
    EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, true);
    EXPECT_TRUE(parameters.calls.empty());
    SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, false);
    EXPECT_EQ(parameters.calls.size(), 2u);
    // While shown the same handler changes nothing visible, also once what it posted is handled.
    SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
    PumpPosted();
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    ExpectInterfaceState(form, false);
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(AppTest, WrongTypedStartUpValuesShowTheirMessageAndSkipTheRestOfStartUp) {
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        DWORD type;
        std::vector<BYTE> data;
        std::string message;
        bool listViewFound;  // steps up to the desktop list view ran
    };
    const std::vector<Case> cases = {
        {kDesktopKeyW,
         L"TransparentIcon",
         REG_SZ,
         {'1', 0, 0, 0},
         "Invalid data type for 'TransparentIcon'",
         false},
        {kDesktopKeyW,
         L"TransparentIcon",
         REG_SZ,
         {'y', 0, 'e', 0, 's', 0, 0, 0},
         "Failed to get data for 'TransparentIcon'",
         false},
        {kDesktopKeyW,
         L"TransparentIcon",
         REG_BINARY,
         {1, 2},
         "Invalid data type for 'TransparentIcon'",
         false},
        {kDesktopKeyW,
         L"TessikIconColour",
         REG_SZ,
         {'r', 0, 0, 0},
         "Invalid data type for 'TessikIconColour'",
         true},
        {kDesktopKeyW,
         L"TessikIconColour",
         REG_BINARY,
         {1, 2, 3, 4, 5, 6},
         "Failed to get data for 'TessikIconColour'",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ShowWindow(fixture->Progman(), SW_HIDE);  // would start hidden if start-up got that far
        TMainWindow* form = nullptr;
        // Wine's explorer rewrites the legacy "Shell Folders" values whenever it
        // asks for a user folder; should it do so between our write and the
        // program's read, try again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            SetRegistryValue(c.key, c.value, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
            app.errorBoxes.clear();
            app.captions.clear();
            form = Start();
            DWORD type = 0;
            RegistryBytes(c.key, c.value, &type);
            if (!app.errorBoxes.empty() || type == c.type) break;
            app.app.DestroyComponents();
            ShowWindow(fixture->Progman(), SW_HIDE);
        }
        EXPECT_EQ(app.errorBoxes, std::vector<std::string>{c.message});
        ASSERT_FALSE(app.captions.empty());
        EXPECT_EQ(app.captions.back(), "Brivane");
        EXPECT_EQ(form->CaptionColours().ListView() != nullptr, c.listViewFound);
        EXPECT_EQ(Named<TTrayIcon>(form, "TrayIcon")->Hint(), c.listViewFound ? "Click to hide desktop" : "");
        EXPECT_FALSE(HotKeyTaken());
        EXPECT_TRUE(Named<TMenuItem>(form, "ExitItem")->Bitmap().Empty());
        // The initial state was not chosen: the stored description's stands,
        // and the program goes on: a click on the tray icon hides the desktop.
        ShowWindow(fixture->Progman(), SW_SHOW);
        ClickTray(form);
        EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
        app.app.DestroyComponents();
        DeleteRegistryValue(c.key, c.value);
        ShowWindow(fixture->Progman(), SW_SHOW);
    }
}

TEST_F(AppTest, TransparentIconSetsTheCheckMarkWhenPresent) {
    TMainWindow* form = Start();
    EXPECT_TRUE(
        Named<TMenuItem>(form, "TransparentItem")->Checked());  // absent: stays checked, nothing written
    EXPECT_FALSE(RegistryValueExists(kDesktopKeyW, L"TransparentIcon"));
    app.app.DestroyComponents();
    for (DWORD value : {0u, 1u, 7u}) {
        SetRegistryDword(kDesktopKeyW, L"TransparentIcon", value);
        form = Start();
        EXPECT_EQ(Named<TMenuItem>(form, "TransparentItem")->Checked(), value != 0);
        app.app.DestroyComponents();
    }
}

TEST_F(AppTest, WrongTypedWallpaperOrPatternIsReportedOnceTheDesktopIsBack) {
    TMainWindow* form = Start();
    for (const wchar_t* value : {L"Wallpaper", L"Pattern"}) {
        SCOPED_TRACE(Narrow(value));
        SetRegistryDword(kDesktopKeyW, value, 1);
        form->Desktop().HideDesktop(form);
        parameters.calls.clear();
        app.errorBoxes.clear();
        form->Desktop().ShowDesktop(form);
        EXPECT_EQ(app.errorBoxes, std::vector<std::string>{"Invalid data type for '" + Narrow(value) + "'"});
        // Wallpaper and pattern stay cleared; the desktop and the tray are back.
        EXPECT_TRUE(parameters.calls.empty());
        EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
        ExpectInterfaceState(form, false);
        DeleteRegistryValue(kDesktopKeyW, value);
    }
    // Reached by the hot key, the error is shown the same way and the program goes on.
    SetRegistryDword(kDesktopKeyW, L"Wallpaper", 1);
    form->Desktop().HideDesktop(form);
    app.errorBoxes.clear();
    SendMessageW(form->Handle(), WM_HOTKEY, THotKeyRegistration::kHotKeyId, 0);
    EXPECT_EQ(app.errorBoxes, std::vector<std::string>{"Invalid data type for 'Wallpaper'"});
    EXPECT_TRUE(IsWindow(form->Handle()));
    ExpectInterfaceState(form, false);
}

namespace {

LRESULT SendCommand(HWND window, TCommand command) {
    std::array<uint8_t, kRemoteCommandSize> payload = EncodeRemoteCommand(command);
    COPYDATASTRUCT data{kRemoteCommandTag, static_cast<DWORD>(payload.size()), payload.data()};
    return SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                        reinterpret_cast<LPARAM>(&data));
}

}  // namespace

TEST_F(AppTest, DesktopActionsRunOneAtATimeInOrderOnceTheStartUpStateIsKnown) {
    std::vector<std::pair<HWND, UINT>> allowed;
    MessageFilterSeam.Replace([&](HWND window, UINT message) { allowed.emplace_back(window, message); });
    // A command that comes while the window is still being made (here: while
    // the tray component waits on the notification area) is asked again.
    std::vector<LRESULT> replies;
    tray.answer = [&](DWORD) {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"TForm", nullptr)) != nullptr;) {
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == GetCurrentProcessId()) replies.push_back(SendCommand(w, TCommand::Hide));
        }
        return TRUE;
    };
    TMainWindow* form = Start();
    tray.answer = nullptr;
    MessageFilterSeam.Replace(nullptr);
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ(replies, std::vector<LRESULT>(replies.size(), static_cast<LRESULT>(kRemoteReplyStarting)));
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
    // An elevated copy hears exactly the commands and the shell's restart.
    const UINT restarted = TTrayIcon::TaskbarCreatedMessage();
    EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{{app.app.Handle(), restarted},
                                                           {form->Handle(), WM_COPYDATA},
                                                           {form->Handle(), restarted}}));
    // A copy that is not elevated keeps Windows' block on lower integrity.
    {
        TSeamReplacement notElevated(RunsElevatedSeam, [] { return false; });
        TSeamReplacement filter(MessageFilterSeam,
                                [&](HWND window, UINT message) { allowed.emplace_back(window, message); });
        AllowMessageFromLowerIntegrity(form->Handle(), WM_COPYDATA);
        EXPECT_EQ(allowed.size(), 3u);
    }

    // Ready: each command is answered with the state it leads to and done from
    // the message loop, after the ones before it.
    const std::vector<std::pair<UINT, std::string>> hideThenShow{{SPI_SETDESKPATTERN, ""},
                                                                 {SPI_SETDESKWALLPAPER, ""},
                                                                 {SPI_SETDESKPATTERN, "pattern"},
                                                                 {SPI_SETDESKWALLPAPER, "wallpaper"}};
    SetRegistryString(kDesktopKeyW, L"Pattern", L"pattern");
    SetRegistryString(kDesktopKeyW, L"Wallpaper", L"wallpaper");
    parameters.calls.clear();
    EXPECT_EQ(SendCommand(form->Handle(), TCommand::Hide), EncodeRemoteReply(true));
    EXPECT_EQ(SendCommand(form->Handle(), TCommand::Toggle), EncodeRemoteReply(false));
    EXPECT_EQ(SendCommand(form->Handle(), TCommand::Status), EncodeRemoteReply(false));
    PumpPosted();
    EXPECT_EQ(parameters.calls, hideThenShow);
    ExpectInterfaceState(form, false);

    // A click that comes while a hide waits on the shell runs after it, not
    // inside it.
    parameters.calls.clear();
    DesktopParameterSeam.Replace([&](UINT action, const std::string& value) {
        parameters.calls.emplace_back(action, value);
        if (parameters.calls.size() == 1) form->Desktop().ShowDesktop(form);
    });
    form->Desktop().HideDesktop(form);
    EXPECT_EQ(parameters.calls, hideThenShow);
    ExpectInterfaceState(form, false);
    EXPECT_TRUE(IsWindowVisible(fixture->Progman()));
}

TEST_F(AppTest, MissingValuesKeysAndWindowsAreSurvived) {
    // Keep a copy of "Control Panel\Desktop" and start without it.
    HKEY saved = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\BrivaneTestSaved", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &saved, nullptr);
    RegCopyTreeW(HKEY_CURRENT_USER, kDesktopKeyW, saved);
    RegDeleteTreeW(HKEY_CURRENT_USER, kDesktopKeyW);
    fixture.reset();

    TMainWindow* form = Start();
    EXPECT_TRUE(app.errorBoxes.empty());
    EXPECT_FALSE(form->DesktopEntries().Folders().front().empty());
    HKEY created = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKeyW, 0, KEY_READ, &created), ERROR_SUCCESS);
    if (created) RegCloseKey(created);
    form->Desktop().HideDesktop(form);
    form->Desktop().ShowDesktop(form);
    EXPECT_TRUE(app.errorBoxes.empty());
    ExpectInterfaceState(form, false);

    HKEY target = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKeyW, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                    nullptr);
    RegCopyTreeW(saved, nullptr, target);
    RegCloseKey(target);
    RegCloseKey(saved);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BrivaneTestSaved");
}

// The same program on each window tree the shell builds.
class LayoutTest : public AppTest, public ::testing::WithParamInterface<TDesktopFixture::Layout> {
protected:
    void SetUp() override {
        fixture.reset();
        fixture = std::make_unique<TDesktopFixture>(GetParam());
        SetRegistryDword(kDesktopKeyW, L"TessikIconColour", kColour);
    }
    COLORREF TextColour() const {
        return static_cast<COLORREF>(SendMessageW(fixture->ListView(), LVM_GETTEXTCOLOR, 0, 0));
    }
    // The icons are on screen: the list view and every window above it shown.
    bool IconsVisible() const {
        return IsWindowVisible(fixture->ListView()) && IsWindowVisible(fixture->Progman());
    }
    static constexpr COLORREF kColour = RGB(10, 200, 30);
};

TEST_P(LayoutTest, HideShowColoursAndTheWatchdogReachTheFolderView) {
    TMainWindow* form = Start();
    ASSERT_EQ(form->CaptionColours().ListView(), fixture->ListView());
    EXPECT_EQ(WindowText(form->CaptionColours().ListView()), "FolderView");
    EXPECT_EQ(TextColour(), kColour);
    form->Desktop().HideDesktop(form);
    EXPECT_FALSE(IsWindowVisible(fixture->ListView()));
    EXPECT_FALSE(IsWindowVisible(fixture->Progman()));
    form->Desktop().ShowDesktop(form);
    EXPECT_TRUE(IconsVisible());
    // So is the wallpaper's own WorkerW, which one layout has.
    EXPECT_EQ(IsWindowVisible(fixture->WallpaperWorkerW()) != FALSE,
              GetParam() == TDesktopFixture::Layout::WorkerW);
    // The shell puts its colours back on a settings change; the watchdog's
    // next compare puts ours back.
    form->Heartbeat().Tick();
    SendMessageW(fixture->IconHost(), WM_SETTINGCHANGE, 0, 0);
    ASSERT_EQ(TextColour(), TDesktopFixture::kShellTextColour);
    form->Heartbeat().Tick();
    EXPECT_EQ(TextColour(), kColour);
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_P(LayoutTest, AShellRestartIsFollowedWhetherTheDesktopIsShownOrHidden) {
    TMainWindow* form = Start();
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "restart while hidden" : "restart while shown");
        form->Heartbeat().Tick();
        ASSERT_FALSE(form->CaptionColours().CapturePending());
        parameters.calls.clear();
        tray.calls.clear();
        // The new windows come up shown, with the shell's colours; the
        // broadcast reaches this thread's windows before Restart returns.
        fixture->Restart();
        EXPECT_EQ(form->CaptionColours().ListView(), fixture->ListView());
        EXPECT_EQ(TextColour(), kColour);
        EXPECT_TRUE(form->CaptionColours().CapturePending());
        EXPECT_EQ(IconsVisible(), !hidden);
        using Calls = std::vector<std::pair<UINT, std::string>>;
        const Calls cleared{{SPI_SETDESKPATTERN, ""}, {SPI_SETDESKWALLPAPER, ""}};
        EXPECT_EQ(parameters.calls, hidden ? cleared : Calls{});
        // The icon is added to the new notification area.
        ASSERT_FALSE(tray.calls.empty());
        EXPECT_EQ(tray.calls.front().message, static_cast<DWORD>(NIM_ADD));
        ExpectInterfaceState(form, hidden);
        // The next click does the other thing.
        ClickTray(form);
        EXPECT_EQ(IconsVisible(), hidden);
        ExpectInterfaceState(form, !hidden);
    }
    EXPECT_TRUE(app.errorBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Desktops, LayoutTest, ::testing::ValuesIn(TDesktopFixture::kLayouts),
                         [](const auto& info) {
                             std::string name = TDesktopFixture::LayoutName(info.param);
                             return name == "24h2" ? std::string("Win24H2") : name;
                         });

TEST(ComApartmentTest, TheFirstShellCallPutsTheThreadInASingleThreadedApartmentForTheApplicationsLife) {
    auto multiThreaded = [] {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(result)) CoUninitialize();
        return result;
    };
    {
        TTestApplication app;
        // Not at start-up: only the first call that needs it enters it.
        EXPECT_EQ(multiThreaded(), S_OK);
        TSysImageList shellIcons(nullptr);
        EXPECT_GT(shellIcons.Count(), 0);
        EXPECT_EQ(multiThreaded(), RPC_E_CHANGED_MODE);
    }
    EXPECT_EQ(multiThreaded(), S_OK);
}

TEST_F(AppTest, AListViewThatWentAwayIsLookedUpAgain) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(10, 200, 30));
    TMainWindow* form = Start();
    EXPECT_EQ(SendMessageW(fixture->ListView(), LVM_GETTEXTCOLOR, 0, 0), RGB(10, 200, 30));
    // The shell restarts: a new desktop with a new list view.
    fixture.reset();
    fixture = std::make_unique<TDesktopFixture>();
    EXPECT_FALSE(IsWindow(form->CaptionColours().ListView()));
    form->Desktop().ShowDesktop(form);
    EXPECT_EQ(form->CaptionColours().ListView(), fixture->ListView());
    EXPECT_EQ(SendMessageW(fixture->ListView(), LVM_GETTEXTCOLOR, 0, 0), RGB(10, 200, 30));
}
