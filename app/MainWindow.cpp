#include "MainWindow.h"

#include <commdlg.h>

#include <string>

#include "RemoteCommand.h"
#include "Settings.h"
#include "ShellDesktop.h"
#include "SysImg/SysImg.h"
#include "core/Exception.h"
#include "resource.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"

namespace {

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

    about_ = std::make_unique<TAboutWindow>(this, loader);

    // The tray icon and the menu images are as large as the system's small
    // icons: SM_CXSMICON, which follows the DPI (16 px at 100 %, 20 at 125 %,
    // 24 at 150 %, 32 at 200 %, up to 48 at 300 %) since the manifest declares
    // the program DPI aware. Each .ico holds its image drawn at those sizes, so
    // LoadImageW picks the matching one rather than stretching the 16-pixel
    // drawing. The tray's are drawn for the taskbar's theme.
    auto* trayImages = loader.Create<TImageList>("TrayImages");
    trayPictures_ = std::make_unique<TTrayPictures>(trayImages, loader.Create<TImageList>("MenuImages"));
    trayPictures_->Follow();

    trayIcon_ = loader.Create<TTrayIcon>("TrayIcon");
    loader.Fixup([this, trayImages] { trayIcon_->SetIconList(trayImages); });
    trayIcon_->SetCycleInterval(1000);
    {
        TIcon stored;
        stored.LoadFromResource(module, MAKEINTRESOURCEW(IDI_MAINICON), trayPictures_->IconSize());
        trayIcon_->SetIcon(stored);
    }
    trayIcon_->SetIconVisible(true);
    trayIcon_->SetIconIndex(0);
    loader.Fixup([this] { trayIcon_->SetPopupMenu(trayMenu_); });
    trayIcon_->SetMinimizeToTray(true);
    trayIcon_->OnStartup = TStartupEvent(this, &TMainWindow::KeepHiddenAtStart);

    trayMenu_ = loader.Create<TPopupMenu>("TrayMenu");
    trayMenu_->SetBottomToTop(true);
    auto item = [&](const char* name, const char* caption, TMenuItem* parent) {
        TMenuItem* menuItem = loader.Create<TMenuItem>(name);
        menuItem->SetCaption(caption);
        parent->Add(menuItem);
        return menuItem;
    };
    TMenuItem* top = trayMenu_->Items();
    showItem_ = item("ShowDesktopItem", "Show Desktop", top);
    showItem_->SetShortCut(ShortCut(VK_F12, scCtrl));
    showItem_->SetVisible(false);
    hideItem_ = item("HideDesktopItem", "Hide Desktop", top);
    hideItem_->SetShortCut(ShortCut(VK_F12, scCtrl));
    // The caption colours' submenu; its name on the menu is older than the
    // program's own words for it.
    TMenuItem* captionColours = item("CaptionColoursItem", "Custom Icons", top);
    TMenuItem* chooseColour = item("ChooseColourItem", "Colour", captionColours);
    TMenuItem* transparent = item("TransparentItem", "Transparent", captionColours);
    transparent->SetChecked(true);
    item("CaptionColoursSeparator", "-", captionColours);
    TMenuItem* defaultColours = item("DefaultColoursItem", "Default", captionColours);
    item("AboutSeparator", "-", top);
    TMenuItem* settingsItem = item("SettingsItem", "Settings\u2026", top);
    TMenuItem* aboutItem = item("AboutItem", "About", top);
    item("ExitSeparator", "-", top);
    TMenuItem* exitItem = item("ExitItem", "Exit", top);

    auto* colourChooser = loader.Create<TColorDialog>("ColourChooser");
    colourChooser->SetOptions(CC_FULLOPEN | CC_ANYCOLOR);

    heartbeat_ = std::make_unique<THeartbeat>(loader.Create<TTimer>("Heartbeat"));

    auto* shellIcons = loader.Create<TSysImageList>("ShellIcons");
    loader.Fixup([this, shellIcons] { trayMenu_->SetImages(shellIcons); });

    // The roles, each given what it works on. The heartbeat's subscribers
    // beat in this order: idle hiding, the shell's desktop, the colours.
    desktopEntries_ = std::make_unique<TDesktopEntriesMenu>(this, trayMenu_, shellIcons);
    trayState_ = std::make_unique<TTrayState>(
        TTrayState::TParts{trayIcon_, trayImages, trayMenu_, showItem_, hideItem_, exitItem});
    auto colours = std::make_unique<TCaptionColours>(
        TCaptionColours::TParts{captionColours, chooseColour, transparent, defaultColours, colourChooser},
        *heartbeat_);
    desktop_ = std::make_unique<TDesktopSwitch>(this, *trayState_, *colours);
    idleHiding_ = std::make_unique<TIdleHiding>(this, *desktop_, *heartbeat_);
    heartbeat_->Subscribe([this] {
        if (desktop_->Settled()) desktop_->FollowShellDesktop();
    });
    captionColours_ = std::move(colours);
    captionColours_->SubscribeToHeartbeat();
    trayState_->SetSlots({desktop_->HideSlot(), desktop_->ShowSlot(), desktopEntries_->ListSlot(),
                          desktopEntries_->ClearSlot()});
    hotKey_ = std::make_unique<THotKeyRegistration>(this);
    doubleClick_ = std::make_unique<TDesktopDoubleClick>(this, *desktop_);
    settings_ = std::make_unique<TSettingsWindow>(TSettingsWindow::TSlots{
        [this] { return hotKey_->Registered(); }, [this] { return ApplyStoredSettings().hotKeyRegistered; }});
    settingsItem->OnClick = settings_->OpenSlot();

    trayIcon_->OnClick = desktop_->HideSlot();
    showItem_->OnClick = desktop_->ShowSlot();
    hideItem_->OnClick = desktop_->HideSlot();
    aboutItem->OnClick = about_->ShowSlot();
    exitItem->OnClick = TNotifyEvent(this, &TMainWindow::ExitClick);
    about_->ShownBy(trayIcon_);
    trayPictures_->ShowIn({trayIcon_, trayState_.get(), showItem_, hideItem_, aboutItem, exitItem});

    loader.Finish();
    // The creation handler runs inside the construction, once everything is
    // loaded.
    DoCreate();
    // Commands from other copies are taken from now on; one that came while
    // the window was being made was told to ask again.
    desktop_->BecomeReady();
    // Let exactly what a copy of Brivane running elevated must still hear
    // through User Interface Privilege Isolation: the commands of a copy at
    // normal integrity, and the shell's "TaskbarCreated" broadcast.
    AllowMessageFromLowerIntegrity(Handle(), WM_COPYDATA);
    AllowMessageFromLowerIntegrity(Handle(), TTrayIcon::TaskbarCreatedMessage());
}

// --- life cycle ---------------------------------------------------------------------

void TMainWindow::AfterCreate(TObject*) {
    // A background that a copy which ended unexpectedly left off comes back.
    TDesktopBackground::RepairLeftOver();
    // Each step may raise for a value of the wrong type; the steps after it
    // are then skipped, and the stored description's state stands.
    captionColours_->ReadTransparency();
    captionColours_->FindListView();
    trayState_->ShowStartingLook();
    captionColours_->Load();
    // Another program may hold the hot key; the tray icon and menu still work.
    ApplyStoredSettings();
    desktop_->TakeStartingState();
}

void TMainWindow::BeforeDestroy(TObject*) {
    hotKey_->Release();
    idleHiding_->Release();
    // Whichever way the program ends (a quit message from anyone, the end of
    // the logon), it does not leave the user without a desktop.
    desktop_->ShowBeforeLeaving();
}

void TMainWindow::KeepHiddenAtStart(TObject*, bool& showMainForm) { showMainForm = false; }

void TMainWindow::ExitClick(TObject*) { desktop_->Exit(); }

TSettingsReply TMainWindow::ApplyStoredSettings() {
    const THotKeySetting hotKey = ReadHotKeySetting();
    if (!hotKey.problem.empty()) ReportToDebugger(hotKey.problem);
    const TAutoHideSetting autoHide = ReadAutoHideSetting();
    if (!autoHide.problem.empty()) ReportToDebugger(autoHide.problem);
    idleHiding_->SetSeconds(autoHide.seconds);
    const TSwitchSetting keepWallpaper = ReadSwitchSetting(kKeepWallpaperValue);
    const TSwitchSetting doubleClick = ReadSwitchSetting(kDoubleClickValue);
    for (const TSwitchSetting* setting : {&keepWallpaper, &doubleClick})
        if (!setting->problem.empty()) ReportToDebugger(setting->problem);
    desktop_->KeepWallpaper(keepWallpaper.on);
    doubleClick_->SetEnabled(doubleClick.on);
    const bool registered = hotKey_->Take(hotKey.hotKey);
    const std::optional<THotKey> inForce = hotKey_->Registered();
    for (TMenuItem* item : {hideItem_, showItem_}) {
        item->SetShortCut(0);
        item->SetShortCutText(inForce ? HotKeyText(*inForce) : std::string());
    }
    return TSettingsReply{desktop_->Hidden(), registered};
}

bool TMainWindow::Dispatch(TMessage& message) {
    // While the stored description is read the roles are still being made:
    // a command is told to ask again, anything else gets default handling.
    if (!desktop_) {
        if (message.Msg != WM_COPYDATA) return false;
        AnswerCommand(message);
        return true;
    }
    switch (message.Msg) {
        case WM_HOTKEY:
            desktop_->Toggle();
            message.Result = 0;
            return true;
        case WM_ENDSESSION:
            // wParam FALSE: the shutdown was cancelled, and the session goes on
            // as it was.
            if (message.WParam) desktop_->ShowDesktop(this);
            DefaultHandler(message);
            return true;
        case WM_COPYDATA:
            AnswerCommand(message);
            return true;
        case WM_WTSSESSION_CHANGE:
            idleHiding_->SessionChanged(message.WParam);
            return false;
        case WM_CLOSE:
            // From the taskbar, from taskkill, from any program: the program
            // ends as Exit ends it, with the desktop shown first.
            desktop_->Exit();
            message.Result = 0;
            return true;
        case TDesktopSwitch::kRunWaitingActions:
            desktop_->RunWaitingActions();
            message.Result = 0;
            return true;
        case TDesktopDoubleClick::kPressed:
            doubleClick_->Pressed(message.WParam, message.LParam);
            return true;
        case TSettingsWindow::kOpen:
            settings_->Open();
            return true;
        case WM_SETTINGCHANGE:
            if (message.WParam == SPI_SETDESKWALLPAPER) desktop_->WallpaperChanged();
            trayPictures_->Follow();
            return false;
        case WM_DISPLAYCHANGE:
        case WM_SYSCOLORCHANGE:
            // Broadcast to every top-level window; default handling follows.
            trayPictures_->Follow();
            return false;
        default:
            // Broadcast to every top-level window; default handling follows.
            // Explorer also makes its taskbar anew after a change of scaling.
            if (message.Msg == TTrayIcon::TaskbarCreatedMessage() && message.Msg != 0) {
                desktop_->ShellRestarted();
                trayPictures_->Follow();
            }
            return false;
    }
}

void TMainWindow::WndProc(TMessage& message) {
    TForm::WndProc(message);
    // The About window has laid itself out for its monitor; the tray images
    // follow the taskbar's.
    if (message.Msg == WM_DPICHANGED) trayPictures_->Follow();
}

// --- commands from a second copy -----------------------------------------------------

void TMainWindow::AnswerCommand(TMessage& message) {
    // Anything may arrive here from any program: all that is not a well-formed
    // command from this desktop is ignored, with the answer 0.
    message.Result = 0;
    const auto* data = CarriedPointer<const COPYDATASTRUCT*>(message.LParam);
    if (!data || !SentFromThisDesktop(CarriedPointer<HWND>(message.WParam))) return;
    const std::optional<TCommand> command =
        DecodeRemoteCommand(data->dwData, static_cast<const uint8_t*>(data->lpData), data->cbData);
    if (!command) return;
    // Until the start-up state is chosen there is no state to answer with.
    if (!desktop_ || !desktop_->Ready()) {
        message.Result = static_cast<LRESULT>(kRemoteReplyStarting);
        return;
    }
    message.Result = static_cast<LRESULT>(QueueCommand(*command));
}

int64_t TMainWindow::QueueCommand(TCommand command) {
    // The command is done from the message loop, not inside the message that
    // brought it: the sender is answered at once, and an error box opened by
    // the command never keeps it waiting.
    using TAction = TDesktopSwitch::TAction;
    switch (command) {
        case TCommand::Hide:
            desktop_->Ask(TAction::Hide);
            break;
        case TCommand::Show:
            desktop_->Ask(TAction::Show);
            break;
        case TCommand::Toggle:
            // As a click would, after the commands before it.
            desktop_->Ask(desktop_->PredictedHidden() ? TAction::Show : TAction::Hide);
            break;
        case TCommand::Exit:
            desktop_->Ask(TAction::Exit);
            break;
        case TCommand::ReloadSettings:
            return EncodeSettingsReply(ApplyStoredSettings());
        case TCommand::Settings:
            PostMessageW(Handle(), TSettingsWindow::kOpen, 0, 0);
            break;
        case TCommand::None:
        case TCommand::Status:
        case TCommand::AutostartOn:
        case TCommand::AutostartOff:
        case TCommand::HotKey:
        case TCommand::AutoHide:
        case TCommand::KeepWallpaper:
        case TCommand::DoubleClick:
            break;
    }
    return EncodeRemoteReply(desktop_->PredictedHidden());
}
