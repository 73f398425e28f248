// The tray menu's desktop entries: while the desktop is hidden, every opening
// of the tray menu lists the desktop folder anew below the fixed items, each
// entry with its shell icon, in as many columns as the screen needs; choosing
// one opens it as the shell would. The rules for captions, skipped entries and
// column breaks are in DesktopEntryRules.h.
#include "MainWindow.h"

#include <shellapi.h>

#include <string>

#include "DesktopEntryRules.h"
#include "SysImg/SysImg.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/Handles.h"

namespace {

// The fixed items above the entries: Show, Hide, Custom Icons, a separator,
// About, a separator, Exit.
constexpr int kFixedItemCount = 7;

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

// The height of one menu item on the monitor where the menu opens: SM_CYMENU
// at 96 DPI on the primary monitor, that monitor's own figure elsewhere.
int MenuItemHeightAt(HMONITOR monitor) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    const int dpi = MonitorDpi(monitor);
    TWindowDc screen(nullptr);
    if (forDpi && dpi != GetDeviceCaps(screen.Get(), LOGPIXELSY))
        return forDpi(SM_CYMENU, static_cast<UINT>(dpi));
    return GetSystemMetrics(SM_CYMENU);
}

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

}  // namespace

bool TMainWindow::ListDirectoryEntries(const std::string& pattern, unsigned attributeMask,
                                       std::vector<std::string>& list) {
    WIN32_FIND_DATAW data;
    TUniqueFind find(FindFirstFileW(Widen(pattern).c_str(), &data));
    if (!find) return false;
    do {
        const std::string name = Narrow(data.cFileName);
        if (!SkipListedEntry(name, data.dwFileAttributes, attributeMask)) list.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

void TMainWindow::ClearDesktopEntries(TObject*) {
    TMenuItem* items = TrayMenu->Items();
    while (items->Count() > kFixedItemCount) TComponent::Free(items->Items(items->Count() - 1));
}

void TMainWindow::ListDesktopEntries(TObject*) {
    int insertAt = kFixedItemCount + 1;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
    TMenuColumns columns(MenuItemHeightAt(monitor));
    ClearDesktopEntries(this);
    std::vector<std::string> names;
    // An empty path lists nothing (not the root of the current drive).
    if (!DesktopFolderPath.empty()) ListDirectoryEntries(DesktopFolderPath + "\\*.*", 63, names);
    auto* separator = new TMenuItem(TrayMenu);
    separator->SetCaption("-");
    TrayMenu->Items()->Insert(kFixedItemCount, separator);
    for (const std::string& name : names) {
        auto* entry = new TDesktopEntryItem(TrayMenu, name);
        entry->SetCaption(EntryCaption(name));
        entry->OnClick = TNotifyEvent(this, &TMainWindow::OpenDesktopEntry);
        if (columns.NextStartsColumn(FullScreenHeightAt(monitor))) entry->SetBreak(TMenuBreak::mbBarBreak);
        entry->SetImageIndex(ShellIcons->FileIconIndex(name, false));
        TrayMenu->Items()->Insert(insertAt++, entry);
    }
}

void TMainWindow::OpenDesktopEntry(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || item->Caption() == "Brivane") return;
    std::vector<std::string> candidates;
    if (auto* entry = dynamic_cast<TDesktopEntryItem*>(item)) {
        candidates.push_back(DesktopFolderPath + "\\" + entry->EntryName());
    } else {
        candidates = OpenCandidates(DesktopFolderPath, item->Caption());
    }
    Application->EnterComApartment();
    for (const std::string& path : candidates) {
        const auto result = reinterpret_cast<UINT_PTR>(
            ShellExecuteW(Handle(), nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
    }
}
