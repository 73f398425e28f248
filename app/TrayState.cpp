#include "TrayState.h"

namespace {
const char kHintShown[] = "Click to hide desktop";
const char kHintHidden[] = "Click to show desktop. Right click For menu";
}  // namespace

void TTrayState::ShowLook(bool hidden) {
    parts_.icon->SetHint(hidden ? kHintHidden : kHintShown);
    parts_.images->GetIcon(hidden ? 1 : 0, *parts_.icon->Icon());
    parts_.icon->RefreshIcon();
}

void TTrayState::ShowStartingLook() { ShowLook(false); }

void TTrayState::Enter(bool hidden) {
    ++changes_;
    parts_.icon->OnClick = hidden ? slots_.show : slots_.hide;
    parts_.menu->OnPopup = hidden ? slots_.listEntries : slots_.clearEntries;
    ShowLook(hidden);
    // A hidden desktop can't be left behind: Exit waits for Show.
    parts_.exitItem->SetEnabled(!hidden);
    parts_.hideItem->SetVisible(!hidden);
    parts_.showItem->SetVisible(hidden);
}
