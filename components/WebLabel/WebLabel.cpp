#include "WebLabel/WebLabel.h"

#include <shellapi.h>

#include "WebLabel/WebLabelRules.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/Handles.h"

namespace {

HINSTANCE OpenLink(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                   const wchar_t* directory, int show) {
    return ShellExecuteW(owner, verb, file, parameters, directory, show);
}

}  // namespace

TSeam<HINSTANCE(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int)>
    LinkShellExecuteSeam(&OpenLink);

TWebLabel::TWebLabel(TComponent* owner) : TLabel(owner) {
    if (Application) {
        // LoadCursorW would hand out the module's shared copy, which must not
        // be destroyed; the label owns its cursor and destroys it, so it loads
        // a copy of its own. The table takes it over (destroying what it held
        // at that index); a missing resource leaves the index empty.
        TUniqueCursor cursor(static_cast<HCURSOR>(
            LoadImageW(GetModuleHandleW(nullptr), L"HArrow", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
        Application->SetCursor(kLinkCursor, cursor.Release());  // the table owns it from here
    }
    // The look of a link; the caption and the address are the user's.
    Font().Color = RGB(255, 0, 0);
    Font().Name = "Arial";
    Font().Bold = true;
    Font().Height = -16;  // 12 points at 96 pixels per inch
    FontChanged();
    SetTransparent(true);
    useLink_ = true;
}

TWebLabel::~TWebLabel() {
    // Taken out of the table before it is destroyed, so that the table's own
    // clean-up at exit does not destroy the handle a second time.
    if (Application) {
        TUniqueCursor released(Application->ReleaseCursor(kLinkCursor));
    }
}

void TWebLabel::Loaded() {
    SetCursor(kLinkCursor);
    TLabel::Loaded();
}

void TWebLabel::Click() {
    TLabel::Click();
    if (!useLink_) return;
    const std::wstring target = Widen(WebLabelTarget(url_));
    HWND owner = Application ? Application->Handle() : nullptr;
    EnterComApartmentForShell();
    // The shell hands the address to the user's browser; a failure is not
    // reported.
    LinkShellExecuteSeam(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}
