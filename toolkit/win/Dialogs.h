// The standard colour chooser.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "core/Component.h"

class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color) { color_ = color; }
    // CC_* flags besides those the dialog always uses.
    DWORD Options() const { return options_; }
    void SetOptions(DWORD options) { options_ = options; }

    // Runs the modal chooser, centred on the screen, starting at Color with
    // the sixteen custom colours unset; true when a colour was chosen (it
    // becomes Color).
    bool Execute();

    // Tests answer the modal chooser through this seam: given the starting
    // colour, return the chosen colour, or nothing for "cancel". An empty
    // function restores the real dialog.
    using TAnswer = std::function<std::optional<COLORREF>(COLORREF initial, DWORD flags)>;
    static void SetAnswerForTesting(TAnswer answer);

private:
    COLORREF color_ = 0;
    DWORD options_ = 0;
};
