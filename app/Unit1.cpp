#include "Unit1.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "DesktopEntries.h"
#include "SysImg/SysImg.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "resource.h"
#include "win/Application.h"
#include "win/Registry.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kHintShown[] = "Click to hide desktop";
const char kHintHidden[] = "Click to show desktop. Right click For menu";

HWND ShellDesktopWindow() { return FindWindowW(L"ProgMan", nullptr); }

// Every lookup below passes a null window name: the shell's list view is
// named "FolderView", and an empty name would match only untitled windows.
HWND DefViewIn(HWND parent) {
    return parent ? FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
}

// The top-level window that holds the desktop icons' "SHELLDLL_DefView".
// It is "Progman" on classic desktops and on Windows 11 24H2 and later
// (which keep a child "WorkerW" beside it); on Windows 10 and 11 after a
// wallpaper slideshow or a peek at the desktop it is a top-level "WorkerW",
// with Progman left empty. Hiding Progman alone would then leave the icons up.
HWND DesktopIconHost() {
    HWND progman = ShellDesktopWindow();
    if (DefViewIn(progman)) return progman;
    HWND worker = nullptr;
    while ((worker = FindWindowExW(nullptr, worker, L"WorkerW", nullptr)) != nullptr) {
        if (DefViewIn(worker)) return worker;
    }
    return nullptr;
}

// Hides or shows the shell's desktop window and, where it is another one,
// the window that holds the icons.
void ShowDesktopWindows(bool show) {
    HWND progman = ShellDesktopWindow();
    HWND host = DesktopIconHost();
    ShowWindow(progman, show ? SW_RESTORE : SW_HIDE);
    if (host && host != progman) ShowWindow(host, show ? SW_SHOWNA : SW_HIDE);
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// How long the shell may take to answer a list-view message.
UINT& ShellAnswerLimit() {
    static UINT limit = 2000;
    return limit;
}

TForm1::TDesktopParameterFunction& DesktopParameterFunction() {
    static TForm1::TDesktopParameterFunction function;
    return function;
}

void SetDesktopParameter(UINT action, const std::string& value) {
    if (DesktopParameterFunction()) {
        DesktopParameterFunction()(action, value);
        return;
    }
    // fWinIni 0: for the running logon only, neither stored nor broadcast.
    std::wstring wide = Widen(value);
    SystemParametersInfoW(action, 0, wide.data(), 0);
}

std::string ShellDesktopDirectory() {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return Narrow(path);
    }
    return {};
}

// An entry item remembers the name it was listed from, so that it opens that
// very entry even where captions repeat (a folder "Report" beside "Report.lnk").
class TDesktopEntryItem : public TMenuItem {
public:
    TDesktopEntryItem(TComponent* owner, std::string entryName)
        : TMenuItem(owner), entryName_(std::move(entryName)) {}
    const std::string& EntryName() const { return entryName_; }

private:
    std::string entryName_;
};

// The height of one menu item on the monitor where the menu opens: SM_CYMENU
// at 96 DPI on the primary monitor, that monitor's own figure elsewhere.
int MenuItemHeightAt(HMONITOR monitor) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    const int dpi = MonitorDpi(monitor);
    TWindowDc screen(nullptr);
    if (forDpi && dpi != GetDeviceCaps(screen.Get(), LOGPIXELSY))
        return forDpi(SM_CYMENU, static_cast<UINT>(dpi));
    return GetSystemMetrics(SM_CYMENU);
}

// The height a full-screen window's client area has on that monitor:
// SM_CYFULLSCREEN, read afresh, less what that monitor's work area lacks
// against the primary one's.
int FullScreenHeightAt(HMONITOR monitor) {
    int height = GetSystemMetrics(SM_CYFULLSCREEN);
    HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{}, primaryInfo{};
    info.cbSize = primaryInfo.cbSize = sizeof(MONITORINFO);
    if (monitor != primary && GetMonitorInfoW(monitor, &info) && GetMonitorInfoW(primary, &primaryInfo)) {
        height +=
            (info.rcWork.bottom - info.rcWork.top) - (primaryInfo.rcWork.bottom - primaryInfo.rcWork.top);
    }
    return height;
}

// The resources the stored description reads. LoadImageW answers a missing
// one with a null handle; a damaged program is reported, not drawn blank.
void RequireStoredResources(HINSTANCE module) {
    auto require = [module](const wchar_t* name, const wchar_t* type, const std::string& label) {
        if (!FindResourceW(module, name, type)) throw EReadError(Format("Resource %s not found", {label}));
    };
    require(MAKEINTRESOURCEW(IDI_MAINICON), RT_GROUP_ICON, "IDI_MAINICON");
    for (int i = 0; i < IDI_IMAGELIST2_COUNT; ++i) {
        require(MAKEINTRESOURCEW(IDI_IMAGELIST2_FIRST + i), RT_GROUP_ICON,
                "IDI_IMAGELIST2_" + std::to_string(i));
    }
    require(MAKEINTRESOURCEW(IDB_ABOUT), RT_BITMAP, "IDB_ABOUT");
    require(IDC_HARROW_NAME_W, RT_GROUP_CURSOR, IDC_HARROW_NAME);
}

}  // namespace

void TForm1::SetDesktopParameterFunction(TDesktopParameterFunction function) {
    DesktopParameterFunction() = std::move(function);
}

void TForm1::SetShellAnswerLimit(UINT milliseconds) { ShellAnswerLimit() = milliseconds; }

// --- the stored description -----------------------------------------------------

TForm1::TForm1(TComponent* owner) : TForm(owner) { ReadStoredDescription(); }

TForm1::~TForm1() = default;

void TForm1::ReadStoredDescription() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    RequireStoredResources(module);
    TFormLoader loader(this);
    SetName("Form1");
    SetClientSize(405, 262);
    SetColor(GetSysColor(COLOR_BTNFACE));
    Font().Name = "MS Sans Serif";
    Font().Height = -11;
    OnCreate = TNotifyEvent(this, &TForm1::FormCreate);
    OnDestroy = TNotifyEvent(this, &TForm1::FormDestroy);

    ReadAboutControls(loader);

    // The tray icon and the menu images are as large as the system's small
    // icons: SM_CXSMICON, which follows the DPI (16 px at 100 %, 20 at 125 %,
    // 24 at 150 %, 32 at 200 %) since the manifest declares the program DPI
    // aware. Each .ico holds its image drawn at those sizes, so LoadImageW
    // picks the matching one rather than stretching the 16-pixel drawing.
    const int smallIconSize = GetSystemMetrics(SM_CXSMICON);
    ImageList2 = loader.Create<TImageList>("ImageList2");
    ImageList2->SetSize(smallIconSize, smallIconSize);
    for (int i = 0; i < IDI_IMAGELIST2_COUNT; ++i) {
        ImageList2->AddIconResource(module, MAKEINTRESOURCEW(IDI_IMAGELIST2_FIRST + i));
    }

    TrayIcon1 = loader.Create<TTrayIcon>("TrayIcon1");
    loader.Fixup([this] { TrayIcon1->SetIconList(ImageList2); });
    TrayIcon1->SetCycleInterval(1000);
    {
        TIcon stored;
        stored.LoadFromResource(module, MAKEINTRESOURCEW(IDI_MAINICON), smallIconSize);
        TrayIcon1->SetIcon(stored);
    }
    TrayIcon1->SetIconVisible(true);
    TrayIcon1->SetIconIndex(0);
    loader.Fixup([this] { TrayIcon1->SetPopupMenu(PopupMenu1); });
    TrayIcon1->SetMinimizeToTray(true);
    TrayIcon1->OnClick = TNotifyEvent(this, &TForm1::HideClick);
    TrayIcon1->OnStartup = TStartupEvent(this, &TForm1::TrayIcon1Startup);

    PopupMenu1 = loader.Create<TPopupMenu>("PopupMenu1");
    loader.Fixup([this] { PopupMenu1->SetImages(SysImageList1); });
    PopupMenu1->SetBottomToTop(true);
    auto item = [&](const char* name, const char* caption, TMenuItem* parent,
                    void (TForm1::*click)(TObject*)) {
        TMenuItem* menuItem = loader.Create<TMenuItem>(name);
        menuItem->SetCaption(caption);
        if (click) menuItem->OnClick = TNotifyEvent(this, click);
        parent->Add(menuItem);
        return menuItem;
    };
    TMenuItem* top = PopupMenu1->Items();
    Show1 = item("Show1", "Show Desktop", top, &TForm1::ShowClick);
    Show1->SetShortCut(ShortCut(VK_F12, scCtrl));
    Show1->SetVisible(false);
    Hide1 = item("Hide1", "Hide Desktop", top, &TForm1::HideClick);
    Hide1->SetShortCut(ShortCut(VK_F12, scCtrl));
    CustomIcons1 = item("CustomIcons1", "Custom Icons", top, nullptr);
    Colour1 = item("Colour1", "Colour", CustomIcons1, &TForm1::Colourclick);
    Transparent1 = item("Transparent1", "Transparent", CustomIcons1, &TForm1::Transparent1click);
    Transparent1->SetChecked(true);
    N2 = item("N2", "-", CustomIcons1, nullptr);
    Default1 = item("Default1", "Default", CustomIcons1, &TForm1::Defaultclick);
    N1 = item("N1", "-", top, nullptr);
    MenuItem3 = item("MenuItem3", "About", top, &TForm1::About1click);
    MenuItem2 = item("MenuItem2", "-", top, nullptr);
    Exit1 = item("Exit1", "Exit", top, &TForm1::Exit1click);

    ColorDialog1 = loader.Create<TColorDialog>("ColorDialog1");
    ColorDialog1->SetOptions(CC_FULLOPEN | CC_ANYCOLOR);

    CheckColourTimer = loader.Create<TTimer>("CheckColourTimer");
    CheckColourTimer->SetInterval(3000);
    CheckColourTimer->SetOnTimer(TNotifyEvent(this, &TForm1::CheckColourTimerTimer));

    SysImageList1 = loader.Create<TSysImageList>("SysImageList1");

    loader.Finish();
    // The creation handler runs inside the construction, once everything is
    // loaded.
    DoCreate();
}

// --- life cycle ---------------------------------------------------------------------

void TForm1::FormCreate(TObject*) {
    {
        TRegistry registry;
        registry.OpenKey(kShellFoldersKey, false);
        DesktopFolderPath = registry.ReadString("Desktop");
        registry.CloseKey();
        // A profile without the legacy "Shell Folders" value still has a
        // desktop: ask the shell where it is.
        if (DesktopFolderPath.empty()) DesktopFolderPath = ShellDesktopDirectory();
        registry.OpenKey(kDesktopKey, true);
        if (registry.ValueExists("TransparentIcon"))
            Transparent1->SetChecked(registry.ReadBool("TransparentIcon"));
        registry.CloseKey();
    }
    ColourCheckPending = true;
    DesktopListView = FindDesktopListView();
    TrayIcon1->SetHint(kHintShown);
    ImageList2->GetIcon(0, *TrayIcon1->Icon());
    TrayIcon1->RefreshIcon();
    LoadIconColours();
    RegisterHotKey(Handle(), kHotKeyId, MOD_CONTROL, VK_F12);
    ImageList2->GetBitmap(1, Show1->Bitmap());
    ImageList2->GetBitmap(0, Hide1->Bitmap());
    ImageList2->GetBitmap(2, MenuItem3->Bitmap());
    ImageList2->GetBitmap(3, Exit1->Bitmap());
    HWND desktop = ShellDesktopWindow();
    if (desktop && IsWindowVisible(desktop)) return;
    // A desktop left hidden (by a copy that was killed, say): offer "Show
    // Desktop" at once, without touching wallpaper or pattern.
    EnterHiddenInterface();
}

void TForm1::FormDestroy(TObject*) { UnregisterHotKey(Handle(), kHotKeyId); }

void TForm1::TrayIcon1Startup(TObject*, bool& showMainForm) { showMainForm = false; }

void TForm1::Exit1click(TObject*) { Application->Terminate(); }

bool TForm1::Dispatch(TMessage& message) {
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
        default:
            // Broadcast to every top-level window; default handling follows.
            if (message.Msg == TaskbarCreatedMessage() && message.Msg != 0) ShellRestarted();
            return false;
    }
}

void TForm1::WMHotKey(TMessage& message) {
    // Whatever a tray click would do now: hide or show.
    const TNotifyEvent click = TrayIcon1->OnClick;
    click(this);
    message.Result = 0;
}

void TForm1::WMEndSession(TMessage& message) {
    ShowClick(this);
    DefaultHandler(message);
}

// --- desktop hide and show -------------------------------------------------------------

void TForm1::EnterHiddenInterface() {
    TrayIcon1->OnClick = TNotifyEvent(this, &TForm1::ShowClick);
    TrayIcon1->SetHint(kHintHidden);
    ImageList2->GetIcon(1, *TrayIcon1->Icon());
    TrayIcon1->RefreshIcon();
    PopupMenu1->OnPopup = TNotifyEvent(this, &TForm1::Popupmenu1popup);
    Exit1->SetEnabled(false);
    Hide1->SetVisible(false);
    Show1->SetVisible(true);
}

bool TForm1::DesktopHidden() { return TrayIcon1->OnClick == TNotifyEvent(this, &TForm1::ShowClick); }

void TForm1::ShellRestarted() {
    // Explorer has made its desktop windows anew, shown and with its own
    // caption colours: the list view is another window now. A desktop that
    // was hidden is hidden again, so that the tray's state still holds.
    DesktopListView = FindDesktopListView();
    ColourCheckPending = true;
    if (DesktopHidden()) {
        ShowDesktopWindows(false);
        SetDesktopParameter(SPI_SETDESKPATTERN, "");
        SetDesktopParameter(SPI_SETDESKWALLPAPER, "");
    }
    LoadIconColours();
}

void TForm1::HideClick(TObject*) {
    ShowDesktopWindows(false);
    SetDesktopParameter(SPI_SETDESKPATTERN, "");
    SetDesktopParameter(SPI_SETDESKWALLPAPER, "");
    EnterHiddenInterface();
}

void TForm1::ShowClick(TObject*) {
    std::string wallpaper, pattern;
    {
        TRegistry registry;
        registry.OpenKey(kDesktopKey, false);
        wallpaper = registry.ReadString("Wallpaper");
        pattern = registry.ReadString("Pattern");
        registry.CloseKey();
    }
    SetDesktopParameter(SPI_SETDESKPATTERN, pattern);
    SetDesktopParameter(SPI_SETDESKWALLPAPER, wallpaper);
    ShowDesktopWindows(true);
    LoadIconColours();
    Exit1->SetEnabled(true);
    TrayIcon1->OnClick = TNotifyEvent(this, &TForm1::HideClick);
    PopupMenu1->OnPopup = TNotifyEvent(this, &TForm1::Clearmenu);
    TrayIcon1->SetHint(kHintShown);
    ImageList2->GetIcon(0, *TrayIcon1->Icon());
    TrayIcon1->RefreshIcon();
    Hide1->SetVisible(true);
    Show1->SetVisible(false);
}

HWND TForm1::FindDesktopListView() const {
    HWND host = DesktopIconHost();
    HWND view = DefViewIn(host);
    return view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

HWND TForm1::ListView() {
    if (!IsWindow(DesktopListView)) DesktopListView = FindDesktopListView();
    return DesktopListView;
}

bool TForm1::SendToListView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND list = ListView();
    if (!list) return false;
    // The list view belongs to the shell's process: a hung shell must not
    // hang the tray icon with it.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, ShellAnswerLimit(), &answer))
        return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

LRESULT TForm1::SendToListView(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    SendToListView(message, wParam, lParam, &result);
    return result;
}

void TForm1::ApplyIconColours(COLORREF textColour, COLORREF backColour, bool transparent) {
    SendToListView(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(transparent ? CLR_NONE : backColour));
    SendToListView(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(textColour));
    LRESULT count = 0;
    // UpdateWindow waits for the shell's paint without a time limit: only
    // for a shell that has just answered.
    if (!SendToListView(LVM_GETITEMCOUNT, 0, 0, &count)) return;
    SendToListView(LVM_REDRAWITEMS, 0, count - 1);
    UpdateWindow(ListView());
}

void TForm1::LoadIconColours() {
    TRegistry registry;
    registry.OpenKey(kDesktopKey, true);
    if (registry.ValueExists("TessikIconColour")) {
        const COLORREF colour = static_cast<COLORREF>(registry.ReadInteger("TessikIconColour"));
        ApplyIconColours(colour, GetSysColor(COLOR_BACKGROUND), Transparent1->Checked());
        ColorDialog1->SetColor(colour);
    }
    registry.CloseKey();
}

// --- icon caption colours ----------------------------------------------------------------

void TForm1::Colourclick(TObject*) {
    TRegistry registry;
    registry.OpenKey(kDesktopKey, true);
    if (registry.ValueExists("TessikIconColour")) {
        ColorDialog1->SetColor(static_cast<COLORREF>(registry.ReadInteger("TessikIconColour")));
    }
    registry.CloseKey();
    if (!ColorDialog1->Execute()) return;
    registry.OpenKey(kDesktopKey, true);
    registry.WriteInteger("TessikIconColour", static_cast<int>(ColorDialog1->Color()));
    registry.CloseKey();
    ApplyIconColours(ColorDialog1->Color(), GetSysColor(COLOR_BACKGROUND), Transparent1->Checked());
    CustomIcons1->SetChecked(true);
    ColourCheckPending = true;
}

void TForm1::Transparent1click(TObject*) {
    Transparent1->SetChecked(!Transparent1->Checked());
    LoadIconColours();
    TRegistry registry;
    registry.OpenKey(kDesktopKey, false);
    registry.WriteBool("TransparentIcon", Transparent1->Checked());
    registry.CloseKey();
}

void TForm1::ResetDesktopColours() {
    // Setting the desktop colour to itself makes the system send
    // WM_SYSCOLORCHANGE to every top-level window; the shell then puts its
    // own caption colours back.
    const int element = COLOR_BACKGROUND;
    const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
    SetSysColors(1, &element, &colour);
}

void TForm1::Defaultclick(TObject*) {
    ResetDesktopColours();
    ColourCheckPending = true;
    TRegistry registry;
    registry.OpenKey(kDesktopKey, true);
    registry.DeleteValue("TessikIconColour");
    registry.CloseKey();
    CustomIcons1->SetChecked(false);
}

void TForm1::CheckColourTimerTimer(TObject*) {
    // The error box is modal and the timer keeps ticking under it: while a
    // box raised here is open, further ticks do nothing.
    if (watchdogBoxOpen_) return;
    try {
        // A colour that could not be read (the shell did not answer in time,
        // or its list view is gone) is no colour: nothing is captured and
        // nothing repainted until a read succeeds.
        LRESULT read = 0;
        const bool answered = SendToListView(LVM_GETTEXTCOLOR, 0, 0, &read);
        const COLORREF current = static_cast<COLORREF>(read);
        if (ColourCheckPending) {
            if (answered) {
                CapturedTextColour = current;
                ColourCheckPending = false;
            }
            Application->Minimize();
            CheckColourTimer->SetInterval(1000);
            return;
        }
        if (!answered) return;
        if (current != CapturedTextColour) LoadIconColours();
    } catch (const std::exception& error) {
        watchdogBoxOpen_ = true;
        Application->HandleException(error);
        watchdogBoxOpen_ = false;
    }
}

// --- desktop entries in the tray menu --------------------------------------------------------

bool TForm1::ListDirectoryEntries(const std::string& pattern, unsigned attributeMask,
                                  std::vector<std::string>& list) {
    WIN32_FIND_DATAW data;
    TUniqueFind find(FindFirstFileW(Widen(pattern).c_str(), &data));
    if (!find) return false;
    do {
        const std::string name = Narrow(data.cFileName);
        if (!SkipListedEntry(name, data.dwFileAttributes, attributeMask)) list.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

void TForm1::Clearmenu(TObject*) {
    TMenuItem* items = PopupMenu1->Items();
    while (items->Count() > 7) TComponent::Free(items->Items(items->Count() - 1));
}

void TForm1::Popupmenu1popup(TObject*) {
    int insertAt = 8;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
    TMenuColumns columns(MenuItemHeightAt(monitor));
    Clearmenu(this);
    std::vector<std::string> names;
    // An empty path lists nothing (not the root of the current drive).
    if (!DesktopFolderPath.empty()) ListDirectoryEntries(DesktopFolderPath + "\\*.*", 63, names);
    auto* separator = new TMenuItem(PopupMenu1);
    separator->SetCaption("-");
    PopupMenu1->Items()->Insert(7, separator);
    for (const std::string& name : names) {
        auto* entry = new TDesktopEntryItem(PopupMenu1, name);
        entry->SetCaption(EntryCaption(name));
        entry->OnClick = TNotifyEvent(this, &TForm1::Menuclick);
        if (columns.NextStartsColumn(FullScreenHeightAt(monitor))) entry->SetBreak(TMenuBreak::mbBarBreak);
        entry->SetImageIndex(SysImageList1->FileIconIndex(name, false));
        PopupMenu1->Items()->Insert(insertAt++, entry);
    }
}

void TForm1::Menuclick(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || item->Caption() == "Brivane") return;
    std::vector<std::string> candidates;
    if (auto* entry = dynamic_cast<TDesktopEntryItem*>(item)) {
        candidates.push_back(DesktopFolderPath + "\\" + entry->EntryName());
    } else {
        candidates = OpenCandidates(DesktopFolderPath, item->Caption());
    }
    for (const std::string& path : candidates) {
        const auto result = reinterpret_cast<UINT_PTR>(
            ShellExecuteW(Handle(), nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
    }
}
