// The tray images follow the taskbar: drawn for its theme (light, dark, high
// contrast) at the small-icon size of the primary monitor's DPI, rebuilt when
// either changes while the program runs (WM_DPICHANGED, WM_DISPLAYCHANGE,
// WM_SETTINGCHANGE, WM_SYSCOLORCHANGE and the shell's "TaskbarCreated") and
// the icon sent again once. The menu's own images are drawn for a light menu
// at the small-icon size of the monitor the menu opens on.
#include "TaskbarLook.h"

#include <cstring>
#include <vector>
#include "MainWindow.h"

#include "resource.h"
#include "win/Registry.h"

namespace {

const char kPersonalizeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

HMONITOR PrimaryMonitor() { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

TMainWindow::TTaskbarLookFunction& TaskbarLookFunction() {
    static TMainWindow::TTaskbarLookFunction function;
    return function;
}

TTaskbarLook TaskbarLookNow() {
    if (TaskbarLookFunction()) return TaskbarLookFunction()();
    return ReadTaskbarLook(MonitorDpi(PrimaryMonitor()));
}

// The resource of a tray image drawn for a theme: images 0 and 1 have a
// drawing for each, the others one for all.
int TrayImageResource(int index, TTaskbarTheme theme) {
    if (index < 2 && theme == TTaskbarTheme::Dark) return IDI_TRAY_DARK_0 + index;
    if (index < 2 && theme == TTaskbarTheme::HighContrast) return IDI_TRAY_CONTRAST_0 + index;
    return IDI_TRAY_IMAGE_FIRST + index;
}

// The menu's images: Show Desktop, Hide Desktop, About, Exit.
constexpr int kMenuImageCount = 4;

}  // namespace

int SmallIconSizeAt(int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi ? forDpi(SM_CXSMICON, static_cast<UINT>(dpi)) : MulDiv(16, dpi, 96);
}

TTaskbarLook ReadTaskbarLook(int primaryDpi) {
    TTaskbarLook look;
    look.iconSize = SmallIconSizeAt(primaryDpi);
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON)) {
        look.theme = TTaskbarTheme::HighContrast;
        look.ink = GetSysColor(COLOR_WINDOWTEXT);
        look.paper = GetSysColor(COLOR_WINDOW);
        return look;
    }
    WithUserKey(kPersonalizeKey, TKeyOpening::OpenExisting, [&look](const TRegistry& personalize) {
        DWORD type = 0;
        std::vector<BYTE> data;
        DWORD light = 0;
        if (personalize.ReadStored("SystemUsesLightTheme", type, data) && type == REG_DWORD &&
            data.size() == sizeof light) {
            std::memcpy(&light, data.data(), sizeof light);
        }
        if (light) look.theme = TTaskbarTheme::Light;
    });
    return look;
}

void TMainWindow::SetTaskbarLookFunction(TTaskbarLookFunction function) {
    TaskbarLookFunction() = std::move(function);
}

void TMainWindow::LoadTrayImages(const TTaskbarLook& look) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    TrayImages->SetSize(look.iconSize, look.iconSize);
    for (int i = 0; i < IDI_TRAY_IMAGE_COUNT; ++i) {
        const wchar_t* name = MAKEINTRESOURCEW(TrayImageResource(i, look.theme));
        if (look.theme == TTaskbarTheme::HighContrast && i < 2) {
            TIcon drawing;
            drawing.LoadFromResource(module, name, look.iconSize);
            const TUniqueIcon twoTone = TwoToneIcon(drawing.Handle(), look.iconSize, look.ink, look.paper);
            // Without the system's colours it is still the right image.
            TrayImages->AddIcon(twoTone ? twoTone.Get() : drawing.Handle());
        } else {
            TrayImages->AddIconResource(module, name);
        }
    }
    taskbarLook_ = look;
}

void TMainWindow::FollowTaskbarLook() {
    const TTaskbarLook look = TaskbarLookNow();
    if (look == taskbarLook_ && TrayImages->Count() > 0) return;
    const bool resized = look.iconSize != taskbarLook_.iconSize;
    LoadTrayImages(look);
    // While the stored description is read, it sets the icon itself.
    if (Loading()) return;
    // The one change of the icon sends it to the shell again.
    TrayImages->GetIcon(DesktopHidden() ? 1 : 0, *TrayIcon->Icon());
    // The menu's images are made when it first opens, for its monitor.
    if (resized && MenuImages->Count() > 0) FitMenuImages(PrimaryMonitor());
}

void TMainWindow::FitMenuImages(HMONITOR monitor) {
    // On the primary monitor, the taskbar's size.
    const int size =
        monitor == PrimaryMonitor() ? taskbarLook_.iconSize : SmallIconSizeAt(MonitorDpi(monitor));
    if (MenuImages->Count() == kMenuImageCount && MenuImages->Width() == size) return;
    MenuImages->SetSize(size, size);
    for (int i = 0; i < kMenuImageCount; ++i)
        MenuImages->AddIconResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i));
    MenuImages->GetBitmap(1, ShowDesktopItem->Bitmap());
    MenuImages->GetBitmap(0, HideDesktopItem->Bitmap());
    MenuImages->GetBitmap(2, AboutItem->Bitmap());
    MenuImages->GetBitmap(3, ExitItem->Bitmap());
}

void TMainWindow::PrepareTrayMenu(TObject*, TMouseButton button, TShiftState, int x, int y) {
    // The right button opens the menu where the cursor is.
    if (button == TMouseButton::mbRight)
        FitMenuImages(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY));
}

void TMainWindow::WndProc(TMessage& message) {
    TForm::WndProc(message);
    // The About window has laid itself out for its monitor; the tray images
    // follow the taskbar's.
    if (message.Msg == WM_DPICHANGED) FollowTaskbarLook();
}
