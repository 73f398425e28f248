// TWebLabel: a label that opens a web address in the user's browser when
// clicked and shows a pointing hand while the mouse is over it. The hand is
// cursor 1 of the application's cursor table, which the label installs when
// it is made and destroys when it goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/Seam.h"
#include "win/StdCtrls.h"

// The shell call of a click (ShellExecuteW's signature); tests observe the
// target with it.
extern TSeam<HINSTANCE(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int)>
    LinkShellExecuteSeam;

class TWebLabel : public TLabel {
public:
    // The application's cursor table slot that holds the link cursor.
    static constexpr int kLinkCursor = 1;

    explicit TWebLabel(TComponent* owner);
    ~TWebLabel() override;

    // The address, stored and returned exactly as set; the scheme is added
    // when the label is clicked (WebLabelTarget).
    const std::string& URL() const { return url_; }
    void SetURL(const std::string& url) { url_ = url; }
    // Whether a click opens the address.
    bool UseLink() const { return useLink_; }
    void SetUseLink(bool useLink) { useLink_ = useLink; }

    // Fires OnClick, then opens the address when UseLink is on.
    void Click() override;
    // A label read from a stored description takes the link cursor.
    void Loaded() override;

private:
    std::string url_;
    bool useLink_ = true;
};
