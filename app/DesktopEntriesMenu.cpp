#include "DesktopEntriesMenu.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DesktopEntryRules.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/Forms.h"
#include "win/Handles.h"
#include "win/SystemLibrary.h"

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
    TDesktopEntryItem(TComponent* owner, std::string path) : TMenuItem(owner), path_(std::move(path)) {}
    // The entry's own path, in the folder it was listed from.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct TEntry {
    std::string name, folder;
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

// The entries of a folder that a listing with the attribute mask keeps. A
// folder that can't be read lists what was read before the failure; an empty
// path lists nothing (not the root of the current drive).
void ListDirectoryEntries(const std::string& folder, unsigned attributeMask, std::vector<TEntry>& entries) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW data;
    TUniqueFind find(FindFirstFileW(Widen(folder + "\\*.*").c_str(), &data));
    if (!find) return;
    do {
        const std::string name = Narrow(data.cFileName);
        if (!SkipListedEntry(name, data.dwFileAttributes, attributeMask)) entries.push_back({name, folder});
    } while (FindNextFileW(find.Get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) ReportIgnoredFailure("FindNextFileW", GetLastError());
}

// The path is freed with the COM task allocator, from ole32, which the
// program loads with its COM apartment rather than at start.
TSystemFunction<decltype(CoTaskMemFree)> gCoTaskMemFree("ole32.dll", "CoTaskMemFree");

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::string folder = SUCCEEDED(result) ? Narrow(path) : std::string();
    // Freed whether or not the call succeeded, as the shell asks.
    if (gCoTaskMemFree.Find()) gCoTaskMemFree.Find()(path);
    if (FAILED(result)) ReportIgnoredFailure("SHGetKnownFolderPath", static_cast<unsigned long>(result));
    return folder;
}

}  // namespace

TDesktopEntriesMenu::TDesktopEntriesMenu(TWinControl* owner, TPopupMenu* menu, TSysImageList* shellIcons)
    : owner_(owner), menu_(menu), shellIcons_(shellIcons) {}

const std::vector<std::string>& TDesktopEntriesMenu::Folders() {
    if (!folders_) {
        Application->EnterComApartment();
        folders_ = {KnownFolder(FOLDERID_Desktop), KnownFolder(FOLDERID_PublicDesktop)};
    }
    return *folders_;
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
    // Both folders in one list: each in the order the file system lists it
    // (by name, case folded, on NTFS), merged by the same rule.
    std::vector<TEntry> entries;
    for (const std::string& folder : Folders()) {
        std::vector<TEntry> listed;
        ListDirectoryEntries(folder, kListEverything, listed);
        std::vector<TEntry> merged;
        size_t a = 0, b = 0;
        while (a < entries.size() || b < listed.size()) {
            const bool fromListed =
                a == entries.size() ||
                (b < listed.size() &&
                 CompareStringOrdinal(Widen(listed[b].name).c_str(), -1, Widen(entries[a].name).c_str(), -1,
                                      TRUE) == CSTR_LESS_THAN);
            merged.push_back(std::move(fromListed ? listed[b++] : entries[a++]));
        }
        entries = std::move(merged);
    }
    auto* separator = new TMenuItem(menu_);
    separator->SetCaption("-");
    menu_->Items()->Insert(kFixedItemCount, separator);
    for (const TEntry& listed : entries) {
        auto* entry = new TDesktopEntryItem(menu_, listed.folder + "\\" + listed.name);
        entry->SetCaption(EntryCaption(listed.name));
        entry->OnClick = TNotifyEvent(this, &TDesktopEntriesMenu::Open);
        if (columns.NextStartsColumn(FullScreenHeightAt(monitor))) entry->SetBreak(TMenuBreak::mbBarBreak);
        entry->SetImageIndex(shellIcons_->FileIconIndex(listed.name, false));
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
        candidates.push_back(entry->Path());
    } else if (!Folders().empty()) {
        candidates = OpenCandidates(Folders().front(), item->Caption());
    }
    Application->EnterComApartment();
    for (const std::string& path : candidates) {
        const auto result = reinterpret_cast<UINT_PTR>(
            ShellExecuteW(owner_->Handle(), nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
    }
    ReportIgnoredFailure("ShellExecuteW", GetLastError());
}
