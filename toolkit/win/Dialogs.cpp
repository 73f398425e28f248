#include "win/Dialogs.h"

#include <commdlg.h>

#include "win/Application.h"

namespace {

TColorDialog::TAnswer& Answer() {
    static TColorDialog::TAnswer answer;
    return answer;
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

}  // namespace

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner) {}

void TColorDialog::SetAnswerForTesting(TAnswer answer) { Answer() = std::move(answer); }

bool TColorDialog::Execute() {
    const DWORD flags = CC_RGBINIT | CC_ENABLEHOOK | options_;
    if (Answer()) {
        const std::optional<COLORREF> chosen = Answer()(color_, flags);
        if (!chosen) return false;
        color_ = *chosen;
        return true;
    }
    // Not kept between runs: every opening starts with the custom colours unset.
    COLORREF custom[16];
    for (COLORREF& c : custom) c = 0xFFFFFFFF;
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = Application ? Application->Handle() : nullptr;
    cc.rgbResult = color_;
    cc.lpCustColors = custom;
    cc.Flags = flags;
    cc.lpfnHook = &CentreHook;
    if (!ChooseColorW(&cc)) return false;
    color_ = cc.rgbResult;
    return true;
}
