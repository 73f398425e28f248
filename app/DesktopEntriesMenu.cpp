#include "DesktopEntriesMenu.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DesktopEntryRules.h"
#include "Settings.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/Forms.h"
#include "win/Handles.h"

namespace {

// The fixed items above the entries: Show, Hide, Custom Icons, a separator,
// Settings…, About, a separator, Exit.
constexpr int kFixedItemCount = 8;

// Every attribute a listing can skip (read-only, hidden, system, volume
// label, directory, archive): nothing is skipped, hidden and system files and
// subfolders are listed too.
constexpr unsigned kListEverything = 0x3F;

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

// The names in a folder that a listing with the attribute mask keeps. A
// folder that can't be read lists what was read before the failure.
std::vector<std::string> ListDirectoryEntries(const std::string& pattern, unsigned attributeMask) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    TUniqueFind find(FindFirstFileW(Widen(pattern).c_str(), &data));
    if (!find) return names;
    do {
        const std::string name = Narrow(data.cFileName);
        if (!SkipListedEntry(name, data.dwFileAttributes, attributeMask)) names.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) ReportIgnoredFailure("FindNextFileW", GetLastError());
    return names;
}

std::string ShellDesktopDirectory() {
    Application->EnterComApartment();
    wchar_t path[MAX_PATH] = {};
    const HRESULT result =
        SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
    if (SUCCEEDED(result)) return Narrow(path);
    ReportIgnoredFailure("SHGetFolderPathW", static_cast<unsigned long>(result));
    return {};
}

}  // namespace

TDesktopEntriesMenu::TDesktopEntriesMenu(TWinControl* owner, TPopupMenu* menu, TSysImageList* shellIcons)
    : owner_(owner), menu_(menu), shellIcons_(shellIcons) {}

void TDesktopEntriesMenu::ReadFolder() {
    folder_ = ReadDesktopFolderValue();
    if (folder_.empty()) folder_ = ShellDesktopDirectory();
}

void TDesktopEntriesMenu::Clear(TObject*) {
    TMenuItem* items = menu_->Items();
    while (items->Count() > kFixedItemCount) TComponent::Free(items->Items(items->Count() - 1));
}

void TDesktopEntriesMenu::List(TObject*) {
    int insertAt = kFixedItemCount + 1;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
    TMenuColumns columns(SystemMetricAtDpi(SM_CYMENU, MonitorDpi(monitor)));
    Clear(menu_);
    // An empty path lists nothing (not the root of the current drive).
    const std::vector<std::string> names = folder_.empty()
                                               ? std::vector<std::string>()
                                               : ListDirectoryEntries(folder_ + "\\*.*", kListEverything);
    auto* separator = new TMenuItem(menu_);
    separator->SetCaption("-");
    menu_->Items()->Insert(kFixedItemCount, separator);
    for (const std::string& name : names) {
        auto* entry = new TDesktopEntryItem(menu_, name);
        entry->SetCaption(EntryCaption(name));
        entry->OnClick = TNotifyEvent(this, &TDesktopEntriesMenu::Open);
        if (columns.NextStartsColumn(FullScreenHeightAt(monitor))) entry->SetBreak(TMenuBreak::mbBarBreak);
        entry->SetImageIndex(shellIcons_->FileIconIndex(name, false));
        menu_->Items()->Insert(insertAt++, entry);
    }
}

void TDesktopEntriesMenu::Open(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    // An entry named like the program itself is never opened from its menu:
    // on the desktop that is Brivane's own shortcut, which would only start a
    // second copy that ends at once.
    if (!item || item->Caption() == "Brivane") return;
    std::vector<std::string> candidates;
    if (auto* entry = dynamic_cast<TDesktopEntryItem*>(item)) {
        candidates.push_back(folder_ + "\\" + entry->EntryName());
    } else {
        candidates = OpenCandidates(folder_, item->Caption());
    }
    Application->EnterComApartment();
    for (const std::string& path : candidates) {
        const auto result = reinterpret_cast<UINT_PTR>(
            ShellExecuteW(owner_->Handle(), nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
    }
    ReportIgnoredFailure("ShellExecuteW", GetLastError());
}
