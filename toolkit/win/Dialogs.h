// The standard colour chooser.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "core/Component.h"
#include "core/Seam.h"

// The modal colour chooser: given the starting colour and the flags, the
// chosen colour, or nothing for "cancel"; tests answer it.
extern TSeam<std::optional<COLORREF>(COLORREF initial, DWORD flags)> ColourChooserSeam;

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

private:
    COLORREF color_ = 0;
    DWORD options_ = 0;
};
