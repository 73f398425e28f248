// The benchmarks' own probe, run once per command in the bench's Wine
// session. It makes the floor measurements that brivane.exe is compared
// with, and times the tray menu as a user meets it.
//
//   bench-probe.exe floor <folder> <warm-up rounds> <rounds>
//       The floor of the tray menu's build: FindFirstFileW over the folder
//       and one SHGetFileInfoW (system image list index, small icon) per
//       entry. The warm-up rounds are not measured (they fill the system
//       image list, as earlier menus do in the program), then <rounds>
//       measured ones. Prints "<entries> <ms> <ms>...".
//   bench-probe.exe floormem <folder>
//       What the floor loop's first round leaves committed in a fresh
//       process: the shell's system image list and what it loads to make it.
//       Prints "<KB before> <KB after>" (PagefileUsage).
//   bench-probe.exe menu <tray-window> <pid> <rounds>
//       Opens the tray menu <rounds> times as the shell does (the callback
//       message with a right-button press, posted to the tray window) and
//       closes it with Escape. Times each opening from the post until a
//       visible menu window of that process exists. Prints "<ms> <ms>...".
// Output is one data line, then "ok", or "err <message>".
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "win/Handles.h"

namespace {

constexpr UINT kTrayCallback = 0x0800;
constexpr DWORD kMenuTimeoutMs = 120000;

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

unsigned long Number(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    if (!*text || *end) throw std::runtime_error("not a number");
    return value;
}

HWND WindowArg(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text, &end, 16);
    if (!*text || *end) throw std::runtime_error("not a window handle");
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
}

// FindFirstFileW plus one SHGetFileInfoW per entry; the entries seen.
size_t FloorRound(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const TUniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) throw std::runtime_error("FindFirstFile failed");
    size_t entries = 0;
    do {
        if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..")) continue;
        SHFILEINFOW info{};
        SHGetFileInfoW((folder + L"\\" + data.cFileName).c_str(), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        ++entries;
    } while (FindNextFileW(find.Get(), &data));
    return entries;
}

void Floor(const std::wstring& folder, unsigned long warmUps, unsigned long rounds) {
    size_t entries = 0;
    for (unsigned long i = 0; i < warmUps; ++i) entries = FloorRound(folder);
    std::vector<double> times;
    for (unsigned long i = 0; i < rounds; ++i) {
        const double start = NowMs();
        entries = FloorRound(folder);
        times.push_back(NowMs() - start);
    }
    std::printf("%zu", entries);
    for (const double ms : times) std::printf("\t%.3f", ms);
    std::printf("\n");
}

size_t CommittedKb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        throw std::runtime_error("GetProcessMemoryInfo failed");
    return counters.PagefileUsage / 1024;
}

void FloorMemory(const std::wstring& folder) {
    const size_t before = CommittedKb();
    FloorRound(folder);
    std::printf("%zu\t%zu\n", before, CommittedKb());
}

// The visible popup menu window ("#32768") of a process, or null.
HWND VisibleMenuOf(DWORD pid) {
    for (HWND menu = nullptr; (menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == pid && IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

void PostKey(HWND window, WPARAM key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, key, 1 | scan);
    PostMessageW(window, WM_KEYUP, key, 1 | scan | (3LL << 30));
}

void Menu(HWND tray, DWORD pid, unsigned long rounds) {
    for (unsigned long i = 0; i < rounds; ++i) {
        if (VisibleMenuOf(pid)) throw std::runtime_error("a menu is open already");
        const double start = NowMs();
        if (!PostMessageW(tray, kTrayCallback, 1, WM_RBUTTONDOWN))
            throw std::runtime_error("PostMessage failed");
        HWND menu = nullptr;
        while (!(menu = VisibleMenuOf(pid))) {
            if (NowMs() - start > kMenuTimeoutMs) throw std::runtime_error("no menu");
            Sleep(1);
        }
        const double shown = NowMs() - start;
        PostKey(menu, VK_ESCAPE);
        while (VisibleMenuOf(pid)) {
            if (NowMs() - start > 2 * kMenuTimeoutMs) throw std::runtime_error("the menu did not close");
            Sleep(1);
        }
        // A round trip through the program's queue: the menu's clean-up is
        // done before the next opening.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_NORMAL, kMenuTimeoutMs, &result);
        std::printf(i ? "\t%.3f" : "%.3f", shown);
    }
    std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        const std::wstring command = argc > 1 ? argv[1] : L"";
        if (command == L"floor" && argc == 5) {
            Floor(argv[2], Number(argv[3]), Number(argv[4]));
        } else if (command == L"floormem" && argc == 3) {
            FloorMemory(argv[2]);
        } else if (command == L"menu" && argc == 5) {
            Menu(WindowArg(argv[2]), Number(argv[3]), Number(argv[4]));
        } else {
            throw std::runtime_error(
                "usage: floor <folder> <warm-ups> <rounds> | floormem <folder> | menu <tray-window> <pid> "
                "<rounds>");
        }
        std::printf("ok\n");
        return 0;
    } catch (const std::exception& e) {
        std::printf("err %s\n", e.what());
        return 1;
    }
}
