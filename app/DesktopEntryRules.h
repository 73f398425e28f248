// The rules behind the desktop items menu, kept free of Win32 so they are
// tested natively: captions from entry names, which entries a listing skips,
// the names tried when an entry is opened, and where menu columns break.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The caption of a desktop entry: the name less its extension when that is
// exactly ".lnk" (a shortcut), ".rnk" (a Dial-Up Networking connection's
// shortcut, as Windows 95 and 98 put them on the desktop) or ".url" (an
// Internet shortcut), compared with case.
std::string EntryCaption(const std::string& name);

// File attribute bits as the file system reports them.
constexpr uint32_t kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrVolume = 0x08, kAttrDirectory = 0x10;
// An entry is skipped when it has one of the attributes hidden, system, volume
// label or directory that the mask lacks; "." and ".." are always skipped.
bool SkipListedEntry(const std::string& name, uint32_t attributes, uint32_t mask);

// The paths tried in turn to open an item with this caption: the caption
// itself, then with ".lnk", ".rnk" and ".url" put back. None for the
// program's own name "Brivane".
std::vector<std::string> OpenCandidates(const std::string& folder, const std::string& caption);

// Column breaks of the entry items: the running height starts at five item
// heights, what the fixed items take in the hidden state (Show Desktop,
// Custom Icons, Settings…, About and Exit; the two separators are thin and
// Hide Desktop is not shown); each entry adds one item height, and an entry that takes it
// past the usable height starts a new column, with the running height reset
// to 0.
class TMenuColumns {
public:
    explicit TMenuColumns(int itemHeight) : itemHeight_(itemHeight), running_(5 * itemHeight) {}
    // True when the next entry starts a new column. `fullScreenHeight` is read
    // afresh for each entry; 50 pixels are kept free.
    bool NextStartsColumn(int fullScreenHeight);

private:
    int itemHeight_;
    int running_;
};
