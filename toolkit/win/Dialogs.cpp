#include "win/Dialogs.h"

#include <commdlg.h>

#include "win/Application.h"
#include "win/SystemLibrary.h"

namespace {

// comdlg32 is loaded when the chooser first runs, not at start-up: it brings
// the printing DLLs with it, megabytes committed before the tray icon is up,
// for a command that is rarely used. Once loaded it stays.
TSystemFunction<decltype(ChooseColorW)>& ChooseColorFunction() {
    static TSystemFunction<decltype(ChooseColorW)> function("comdlg32.dll", "ChooseColorW");
    return function;
}

// Centres the chooser on the screen when it opens.
UINT_PTR CALLBACK CentreHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        RECT r;
        GetWindowRect(dialog, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    return 0;
}

std::optional<COLORREF> RunColourChooser(COLORREF initial, DWORD flags) {
    // Throws, before anything else, when comdlg32 can't be loaded.
    decltype(ChooseColorW)* const chooseColor = ChooseColorFunction().Get();
    // Not kept between runs: every opening starts with the custom colours unset.
    COLORREF custom[16];
    for (COLORREF& c : custom) c = 0xFFFFFFFF;
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = Application ? Application->Handle() : nullptr;
    cc.rgbResult = initial;
    cc.lpCustColors = custom;
    cc.Flags = flags;
    cc.lpfnHook = &CentreHook;
    if (!chooseColor(&cc)) return std::nullopt;
    return cc.rgbResult;
}

}  // namespace

TSeam<std::optional<COLORREF>(COLORREF, DWORD)> ColourChooserSeam(&RunColourChooser);

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner) {}

bool TColorDialog::Execute() {
    const std::optional<COLORREF> chosen = ColourChooserSeam(color_, CC_RGBINIT | CC_ENABLEHOOK | options_);
    if (!chosen) return false;
    color_ = *chosen;
    return true;
}
