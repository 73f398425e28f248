// The main window: the components it makes and their properties, start-up
// into the state that matches the desktop, the hot key, the end of the logon,
// the shell's restart, the desktop's two interface states, and Exit.
#include "MainWindow.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "ShellDesktop.h"
#include "SysImg/SysImg.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "resource.h"
#include "win/Application.h"
#include "win/Registry.h"

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kHintShown[] = "Click to hide desktop";
const char kHintHidden[] = "Click to show desktop. Right click For menu";

std::string ShellDesktopDirectory() {
    Application->EnterComApartment();
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return Narrow(path);
    }
    return {};
}

// The resources the stored description reads. LoadImageW answers a missing
// one with a null handle; a damaged program is reported, not drawn blank.
// The link cursor is not among them: without it the link keeps the arrow.
void RequireStoredResources(HINSTANCE module) {
    auto require = [module](const wchar_t* name, const wchar_t* type, const std::string& label) {
        if (!FindResourceW(module, name, type)) throw EReadError(Format("Resource %s not found", {label}));
    };
    require(MAKEINTRESOURCEW(IDI_MAINICON), RT_GROUP_ICON, "IDI_MAINICON");
    for (int i = 0; i < IDI_TRAY_IMAGE_COUNT; ++i) {
        require(MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i), RT_GROUP_ICON,
                "IDI_TRAY_IMAGE_" + std::to_string(i));
    }
    require(MAKEINTRESOURCEW(IDI_TRAY_DARK_0), RT_GROUP_ICON, "IDI_TRAY_DARK_0");
    require(MAKEINTRESOURCEW(IDI_TRAY_DARK_1), RT_GROUP_ICON, "IDI_TRAY_DARK_1");
    require(MAKEINTRESOURCEW(IDI_TRAY_CONTRAST_0), RT_GROUP_ICON, "IDI_TRAY_CONTRAST_0");
    require(MAKEINTRESOURCEW(IDI_TRAY_CONTRAST_1), RT_GROUP_ICON, "IDI_TRAY_CONTRAST_1");
    require(MAKEINTRESOURCEW(IDB_ABOUT), RT_RCDATA, "IDB_ABOUT");
}

}  // namespace

// --- the stored description -----------------------------------------------------

TMainWindow::TMainWindow(TComponent* owner) : TForm(owner) { ReadStoredDescription(); }

TMainWindow::~TMainWindow() = default;

void TMainWindow::ReadStoredDescription() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    RequireStoredResources(module);
    TFormLoader loader(this);
    SetName("MainWindow");
    SetClientSize(405, 262);
    SetColor(GetSysColor(COLOR_BTNFACE));
    Font().Name = "MS Sans Serif";
    Font().Height = -11;
    OnCreate = TNotifyEvent(this, &TMainWindow::AfterCreate);
    OnDestroy = TNotifyEvent(this, &TMainWindow::BeforeDestroy);

    ReadAboutControls(loader);

    // The tray icon and the menu images are as large as the system's small
    // icons: SM_CXSMICON, which follows the DPI (16 px at 100 %, 20 at 125 %,
    // 24 at 150 %, 32 at 200 %, up to 48 at 300 %) since the manifest declares
    // the program DPI aware. Each .ico holds its image drawn at those sizes, so
    // LoadImageW picks the matching one rather than stretching the 16-pixel
    // drawing. The tray's are drawn for the taskbar's theme.
    TrayImages = loader.Create<TImageList>("TrayImages");
    FollowTaskbarLook();
    const int smallIconSize = TrayImages->Width();
    MenuImages = loader.Create<TImageList>("MenuImages");

    TrayIcon = loader.Create<TTrayIcon>("TrayIcon");
    loader.Fixup([this] { TrayIcon->SetIconList(TrayImages); });
    TrayIcon->SetCycleInterval(1000);
    {
        TIcon stored;
        stored.LoadFromResource(module, MAKEINTRESOURCEW(IDI_MAINICON), smallIconSize);
        TrayIcon->SetIcon(stored);
    }
    TrayIcon->SetIconVisible(true);
    TrayIcon->SetIconIndex(0);
    loader.Fixup([this] { TrayIcon->SetPopupMenu(TrayMenu); });
    TrayIcon->SetMinimizeToTray(true);
    TrayIcon->OnClick = TNotifyEvent(this, &TMainWindow::HideDesktop);
    TrayIcon->OnStartup = TStartupEvent(this, &TMainWindow::KeepHiddenAtStart);
    TrayIcon->OnMouseDown = TMouseEvent(this, &TMainWindow::PrepareTrayMenu);

    TrayMenu = loader.Create<TPopupMenu>("TrayMenu");
    loader.Fixup([this] { TrayMenu->SetImages(ShellIcons); });
    TrayMenu->SetBottomToTop(true);
    auto item = [&](const char* name, const char* caption, TMenuItem* parent,
                    void (TMainWindow::*click)(TObject*)) {
        TMenuItem* menuItem = loader.Create<TMenuItem>(name);
        menuItem->SetCaption(caption);
        if (click) menuItem->OnClick = TNotifyEvent(this, click);
        parent->Add(menuItem);
        return menuItem;
    };
    TMenuItem* top = TrayMenu->Items();
    ShowDesktopItem = item("ShowDesktopItem", "Show Desktop", top, &TMainWindow::ShowDesktop);
    ShowDesktopItem->SetShortCut(ShortCut(VK_F12, scCtrl));
    ShowDesktopItem->SetVisible(false);
    HideDesktopItem = item("HideDesktopItem", "Hide Desktop", top, &TMainWindow::HideDesktop);
    HideDesktopItem->SetShortCut(ShortCut(VK_F12, scCtrl));
    CaptionColoursItem = item("CaptionColoursItem", "Custom Icons", top, nullptr);
    ChooseColourItem =
        item("ChooseColourItem", "Colour", CaptionColoursItem, &TMainWindow::ChooseCaptionColour);
    TransparentItem =
        item("TransparentItem", "Transparent", CaptionColoursItem, &TMainWindow::ToggleTransparentCaptions);
    TransparentItem->SetChecked(true);
    CaptionColoursSeparator = item("CaptionColoursSeparator", "-", CaptionColoursItem, nullptr);
    DefaultColoursItem =
        item("DefaultColoursItem", "Default", CaptionColoursItem, &TMainWindow::RestoreDefaultCaptionColours);
    AboutSeparator = item("AboutSeparator", "-", top, nullptr);
    AboutItem = item("AboutItem", "About", top, &TMainWindow::ShowAboutWindow);
    ExitSeparator = item("ExitSeparator", "-", top, nullptr);
    ExitItem = item("ExitItem", "Exit", top, &TMainWindow::ExitClick);

    ColourChooser = loader.Create<TColorDialog>("ColourChooser");
    ColourChooser->SetOptions(CC_FULLOPEN | CC_ANYCOLOR);

    ColourWatchdog = loader.Create<TTimer>("ColourWatchdog");
    ColourWatchdog->SetInterval(3000);
    ColourWatchdog->SetOnTimer(TNotifyEvent(this, &TMainWindow::WatchCaptionColour));

    ShellIcons = loader.Create<TSysImageList>("ShellIcons");

    loader.Finish();
    // The creation handler runs inside the construction, once everything is
    // loaded.
    DoCreate();
    // Commands from other copies are taken from now on; one that came while
    // the window was being made was told to ask again.
    ready_ = true;
    if (!waiting_.empty()) PostMessageW(Handle(), kRunWaitingActions, 0, 0);
    // Let exactly what a copy of Brivane running elevated must still hear
    // through User Interface Privilege Isolation: the commands of a copy at
    // normal integrity, and the shell's "TaskbarCreated" broadcast.
    AllowMessageFromLowerIntegrity(Handle(), WM_COPYDATA);
    AllowMessageFromLowerIntegrity(Handle(), TTrayIcon::TaskbarCreatedMessage());
}

// --- life cycle ---------------------------------------------------------------------

void TMainWindow::AfterCreate(TObject*) {
    DesktopFolderPath = WithUserKey(kShellFoldersKey, TKeyOpening::OpenExisting,
                                    [](const TRegistry& folders) { return folders.ReadString("Desktop"); });
    // A profile without the legacy "Shell Folders" value still has a
    // desktop: ask the shell where it is.
    if (DesktopFolderPath.empty()) DesktopFolderPath = ShellDesktopDirectory();
    WithUserKey(kDesktopSettingsKey, TKeyOpening::CreateIfMissing, [this](const TRegistry& desktop) {
        if (desktop.ValueExists("TransparentIcon"))
            TransparentItem->SetChecked(desktop.ReadBool("TransparentIcon"));
    });
    ColourCheckPending = true;
    DesktopListView = FindDesktopListView();
    TrayIcon->SetHint(kHintShown);
    TrayImages->GetIcon(0, *TrayIcon->Icon());
    TrayIcon->RefreshIcon();
    LoadIconColours();
    // Another program may hold the hot key; the tray icon and menu still work.
    ApplyStoredSettings();
    HWND desktop = ShellDesktopWindow();
    if (desktop && IsWindowVisible(desktop)) return;
    // A desktop left hidden (by a copy that was killed, say): offer "Show
    // Desktop" at once, without touching wallpaper or pattern.
    EnterHiddenInterface();
    desktopTakenAway_ = desktop != nullptr;
}

void TMainWindow::BeforeDestroy(TObject*) {
    UnregisterHotKey(Handle(), kHotKeyId);
    // Whichever way the program ends (a quit message from anyone, the end of
    // the logon), it does not leave the user without a desktop.
    ShowDesktopBeforeLeaving();
}

void TMainWindow::KeepHiddenAtStart(TObject*, bool& showMainForm) { showMainForm = false; }

void TMainWindow::ExitClick(TObject*) { Perform(TDesktopAction::Exit); }

bool TMainWindow::Dispatch(TMessage& message) {
    switch (message.Msg) {
        case WM_HOTKEY:
            WMHotKey(message);
            return true;
        case WM_ENDSESSION:
            WMEndSession(message);
            return true;
        case WM_COPYDATA:
            WMCopyData(message);
            return true;
        case WM_CLOSE:
            // From the taskbar, from taskkill, from any program: the program
            // ends as Exit ends it, with the desktop shown first.
            Perform(TDesktopAction::Exit);
            message.Result = 0;
            return true;
        case kRunWaitingActions:
            RunWaitingActions();
            message.Result = 0;
            return true;
        case WM_SETTINGCHANGE:
            // A new wallpaper put in force meanwhile (a slideshow, the
            // settings) is cleared again for as long as the desktop is hidden.
            if (message.WParam == SPI_SETDESKWALLPAPER && desktopTakenAway_ && !underWay_)
                ClearShellDesktop();
            FollowTaskbarLook();
            return false;
        case WM_DISPLAYCHANGE:
        case WM_SYSCOLORCHANGE:
            // Broadcast to every top-level window; default handling follows.
            FollowTaskbarLook();
            return false;
        default:
            // Broadcast to every top-level window; default handling follows.
            if (message.Msg == TTrayIcon::TaskbarCreatedMessage() && message.Msg != 0) ShellRestarted();
            // Explorer also makes its taskbar anew after a change of scaling.
            if (message.Msg == TTrayIcon::TaskbarCreatedMessage() && message.Msg != 0) FollowTaskbarLook();
            return false;
    }
}

void TMainWindow::WMHotKey(TMessage& message) {
    ToggleDesktop();
    message.Result = 0;
}

void TMainWindow::WMEndSession(TMessage& message) {
    ShowDesktop(this);
    DefaultHandler(message);
}

// --- the desktop's two interface states ---------------------------------------------------

void TMainWindow::EnterHiddenInterface() {
    desktopHiddenWhenIdle_ = false;
    TrayIcon->OnClick = TNotifyEvent(this, &TMainWindow::ShowDesktop);
    TrayIcon->SetHint(kHintHidden);
    TrayImages->GetIcon(1, *TrayIcon->Icon());
    TrayIcon->RefreshIcon();
    TrayMenu->OnPopup = TNotifyEvent(this, &TMainWindow::ListDesktopEntries);
    ExitItem->SetEnabled(false);
    HideDesktopItem->SetVisible(false);
    ShowDesktopItem->SetVisible(true);
}

void TMainWindow::EnterShownInterface() {
    desktopHiddenWhenIdle_ = false;
    ExitItem->SetEnabled(true);
    TrayIcon->OnClick = TNotifyEvent(this, &TMainWindow::HideDesktop);
    TrayMenu->OnPopup = TNotifyEvent(this, &TMainWindow::ClearDesktopEntries);
    TrayIcon->SetHint(kHintShown);
    TrayImages->GetIcon(0, *TrayIcon->Icon());
    TrayIcon->RefreshIcon();
    HideDesktopItem->SetVisible(true);
    ShowDesktopItem->SetVisible(false);
}

bool TMainWindow::DesktopHidden() {
    return TrayIcon->OnClick == TNotifyEvent(this, &TMainWindow::ShowDesktop);
}

void TMainWindow::ToggleDesktop() {
    Perform(PredictedHidden() ? TDesktopAction::Show : TDesktopAction::Hide);
}

// --- one action at a time ---------------------------------------------------------------

void TMainWindow::Perform(TDesktopAction action) {
    waiting_.push_back(action);
    RunWaitingActions();
}

bool TMainWindow::PredictedHidden() {
    bool hidden = DesktopHidden();
    auto apply = [&hidden](TDesktopAction action) {
        if (action == TDesktopAction::Hide) hidden = true;
        if (action == TDesktopAction::Show || action == TDesktopAction::Exit) hidden = false;
    };
    if (underWay_) apply(*underWay_);
    for (TDesktopAction action : waiting_) apply(action);
    return hidden;
}

void TMainWindow::RunWaitingActions() {
    // Messages sent to this thread are handled while it waits for the shell
    // (a list-view message, Shell_NotifyIconW, ShowWindow on the shell's
    // windows): an action asked for then only joins the queue.
    if (underWay_ || !ready_) return;
    while (!waiting_.empty()) {
        underWay_ = waiting_.front();
        waiting_.pop_front();
        try {
            Do(*underWay_);
        } catch (const std::exception& error) {
            Application->HandleException(error);
        }
        underWay_.reset();
    }
}

void TMainWindow::Do(TDesktopAction action) {
    switch (action) {
        case TDesktopAction::Hide:
            DoHideDesktop();
            break;
        case TDesktopAction::Show:
            DoShowDesktop();
            break;
        case TDesktopAction::ShellRestarted:
            DoShellRestarted();
            break;
        case TDesktopAction::Exit:
            // Never leave with the desktop gone; nothing after this runs.
            ShowDesktopBeforeLeaving();
            waiting_.clear();
            Application->Terminate();
            break;
    }
}
