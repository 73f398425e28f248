#include "DesktopDoubleClick.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <cwchar>

#include "core/Exception.h"
#include "win/CarriedPointer.h"

namespace {

// The window the hook posts to: one hook in the process at most.
HWND gTarget = nullptr;

// Memory in another process, released with it.
class TRemoteBuffer {
public:
    TRemoteBuffer(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    TRemoteBuffer(const TRemoteBuffer&) = delete;
    TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;
    ~TRemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    void* Address() const { return address_; }

private:
    HANDLE process_;  // borrowed
    void* address_;
};

bool ClassIs(HWND window, const wchar_t* name) {
    wchar_t found[32] = {};
    return window && GetClassNameW(window, found, 32) && _wcsicmp(found, name) == 0;
}

// Whether the desktop's list view (owned by the shell's process) has an item,
// icon or label, at the screen point. LVM_HITTEST takes an LVHITTESTINFO
// pointer that the list view reads in its own process, so the structure is
// written into memory allocated there; the answer is the item's index, -1 for
// none. A list view that can't be reached counts as hit: nothing happens.
bool ItemAt(HWND listView, POINT point) {
    LVHITTESTINFO info{};
    info.pt = point;
    ScreenToClient(listView, &info.pt);
    DWORD process = 0;
    GetWindowThreadProcessId(listView, &process);
    const TUniqueKernelHandle shell(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process));
    if (!shell) {
        ReportIgnoredFailure("OpenProcess", GetLastError());
        return true;
    }
    const TRemoteBuffer remote(shell.Get(), sizeof info);
    DWORD_PTR item = 0;
    if (!remote.Address() ||
        !WriteProcessMemory(shell.Get(), remote.Address(), &info, sizeof info, nullptr) ||
        !SendMessageTimeoutW(listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote.Address()),
                             SMTO_ABORTIFHUNG, 2000, &item)) {
        ReportIgnoredFailure("LVM_HITTEST", GetLastError());
        return true;
    }
    return static_cast<int>(item) != -1;
}

}  // namespace

void TDesktopDoubleClick::SetEnabled(bool on) {
    if (on == Hooked()) return;
    pending_ = false;
    if (!on) {
        hook_.Reset();
        gTarget = nullptr;
        return;
    }
    gTarget = window_->Handle();
    hook_.Reset(SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0));
    if (!hook_) ReportIgnoredFailure("SetWindowsHookExW", GetLastError());
}

LRESULT CALLBACK TDesktopDoubleClick::MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == WM_LBUTTONDOWN && gTarget) {
        const auto* press = CarriedPointer<const MSLLHOOKSTRUCT*>(lParam);
        PostMessageW(gTarget, kPressed, press->time,
                     MAKELPARAM(static_cast<WORD>(press->pt.x), static_cast<WORD>(press->pt.y)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TDesktopDoubleClick::Pressed(WPARAM wParam, LPARAM lParam) {
    const auto time = static_cast<DWORD>(wParam);
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // A double-click as Windows counts one: the second press within the
    // double-click time and inside the double-click rectangle around the first.
    const bool second = pending_ && time - lastTime_ <= GetDoubleClickTime() &&
                        std::abs(point.x - lastPoint_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                        std::abs(point.y - lastPoint_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    pending_ = !second;
    lastTime_ = time;
    lastPoint_ = point;
    if (!second || !Hooked() || !desktop_.Settled() || !OnEmptyDesktop(point)) return;
    desktop_.Ask(desktop_.PredictedHidden() ? TDesktopSwitch::TAction::Show : TDesktopSwitch::TAction::Hide);
}

bool TDesktopDoubleClick::OnEmptyDesktop(POINT point) {
    HWND window = WindowFromPoint(point);
    // The desktop's list view: SHELLDLL_DefView's child, "FolderView".
    if (ClassIs(window, WC_LISTVIEWW) && ClassIs(GetParent(window), L"SHELLDLL_DefView"))
        return !ItemAt(window, point);
    // The bare desktop: what is left once the desktop window is hidden, or
    // its frame around the list view.
    return window == GetDesktopWindow() || ClassIs(window, L"Progman") || ClassIs(window, L"WorkerW") ||
           ClassIs(window, L"SHELLDLL_DefView");
}
