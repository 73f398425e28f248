// A Win32 probe for the end-to-end tests and benchmarks: it looks at the Wine
// session from inside (windows, registry, system parameters, hot keys, the
// notification area, other processes' memory and CPU time) and sends or posts
// window messages, for drivers that otherwise work from outside.
//
// Usage:
//   probe.exe <command> [arguments...]   runs one command and exits
//   probe.exe serve                      reads commands from stdin, one per line,
//                                        arguments separated by tabs
// Every command prints zero or more data lines and then one status line:
// "ok" or "err <message>". Numbers are decimal, window handles hexadecimal.
// The serving probe keeps state between commands: processes it started and a
// hot key it holds. Text is UTF-8 on both sides.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct ProbeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// Tabs and line breaks would break the line protocol.
std::string Clean(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Wine 8 under heavy load now and then fails a start with
// ERROR_INTERNAL_ERROR (1359) before the program runs at all; such a start is
// made again, a few times, and any other failure is final.
void StartProcess(std::wstring& commandLine, STARTUPINFOW& startup, PROCESS_INFORMATION& info) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info))
            return;
        if (GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    throw ProbeError("CreateProcess failed: " + std::to_string(GetLastError()));
}

struct KeyCloser {
    void operator()(HKEY key) const {
        if (key) RegCloseKey(key);
    }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string Hex(uint64_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string HwndText(HWND window) { return Hex(reinterpret_cast<uintptr_t>(window)); }

uint64_t Number(const std::string& text) {
    if (text.empty()) throw ProbeError("empty number");
    char* end = nullptr;
    const int base = text.rfind("0x", 0) == 0 ? 16 : 10;
    const unsigned long long value = std::strtoull(text.c_str() + (base == 16 ? 2 : 0), &end, base);
    if (*end) throw ProbeError("not a number: " + text);
    return value;
}

int64_t SignedNumber(const std::string& text) {
    if (!text.empty() && text[0] == '-') return -static_cast<int64_t>(Number(text.substr(1)));
    return static_cast<int64_t>(Number(text));
}

HWND HwndArg(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 16);
    if (text.empty() || *end) throw ProbeError("not a window handle: " + text);
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

void Need(const Args& args, size_t count, const char* usage) {
    if (args.size() < count) throw ProbeError(std::string("usage: ") + usage);
}

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string Ms(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return buffer;
}

// ---------------------------------------------------------------- windows

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Narrow(name);
}

std::string TitleOf(HWND window) {
    wchar_t title[512] = {};
    // Asking with a time-out: a hung window must not hang the probe.
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 500,
                            &length)) {
        return Clean(Narrow(std::wstring(title, std::min<size_t>(length, 511))));
    }
    return {};
}

std::string Describe(HWND window) {
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT r{};
    GetWindowRect(window, &r);
    return HwndText(window) + "\t" + std::to_string(pid) + "\t" + std::to_string(tid) + "\t" +
           ClassOf(window) + "\t" + TitleOf(window) + "\t" + (IsWindowVisible(window) ? "1" : "0") + "\t" +
           HwndText(GetWindow(window, GW_OWNER)) + "\t" + std::to_string(r.left) + "," +
           std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND after = nullptr; (after = FindWindowExW(HWND_MESSAGE, after, nullptr, nullptr)) != nullptr;) {
        windows.push_back(after);
    }
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

struct TrayIcon {
    std::string tip;
    RECT rect{};
};

// The notification area of Wine 8's explorer: the taskbar ("Shell_TrayWnd")
// draws the icons itself, without a window per icon, and gives each icon a
// tooltip control of its own (tooltips_class32, owned by the taskbar) with
// one tool whose rectangle is the icon's place and whose text is the icon's
// tip. A deleted icon's tooltip control stays behind with an empty
// rectangle, so the number of tooltip controls grows by one for each icon
// added.
// The tools are read with TTM_ENUMTOOLSW through a buffer in explorer's own
// memory: the tooltip control's messages are not marshalled between
// processes.
std::vector<HWND> TrayTooltips() {
    std::vector<HWND> tooltips;
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return tooltips;
    for (HWND after = nullptr;
         (after = FindWindowExW(nullptr, after, L"tooltips_class32", nullptr)) != nullptr;) {
        if (GetWindow(after, GW_OWNER) == tray) tooltips.push_back(after);
    }
    return tooltips;
}

int ToolCount(HWND tooltip) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return 0;
    return static_cast<int>(count);
}

// The icons shown in the notification area.
std::vector<TrayIcon> TrayIcons() {
    std::vector<TrayIcon> icons;
    const std::vector<HWND> tooltips = TrayTooltips();
    if (tooltips.empty()) return icons;
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltips.front(), &pid);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) throw ProbeError("cannot open the taskbar's process");
    constexpr size_t kTextChars = 1024;
    const size_t size = sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) throw ProbeError("VirtualAllocEx failed");
    struct Release {
        HANDLE process;
        void* memory;
        ~Release() { VirtualFreeEx(process, memory, 0, MEM_RELEASE); }
    } release{process.get(), remote};
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(remote) + sizeof(TTTOOLINFOW));
    for (HWND tooltip : tooltips) {
        const int count = ToolCount(tooltip);
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = remoteText;
            std::vector<wchar_t> text(kTextChars, L'\0');
            SIZE_T done = 0;
            if (!WriteProcessMemory(process.get(), remote, &info, sizeof info, &done) ||
                !WriteProcessMemory(process.get(), remoteText, text.data(), text.size() * sizeof(wchar_t),
                                    &done)) {
                throw ProbeError("WriteProcessMemory failed");
            }
            DWORD_PTR found = 0;
            if (!SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &found) ||
                !found) {
                continue;
            }
            if (!ReadProcessMemory(process.get(), remote, &info, sizeof info, &done) ||
                !ReadProcessMemory(process.get(), remoteText, text.data(),
                                   (text.size() - 1) * sizeof(wchar_t), &done)) {
                throw ProbeError("ReadProcessMemory failed");
            }
            if (IsRectEmpty(&info.rect)) continue;  // a deleted or hidden icon
            TrayIcon icon;
            icon.rect = info.rect;
            if (info.lpszText == remoteText) icon.tip = Clean(Narrow(text.data()));
            icons.push_back(icon);
        }
    }
    std::sort(icons.begin(), icons.end(),
              [](const TrayIcon& x, const TrayIcon& y) { return x.rect.left < y.rect.left; });
    return icons;
}

// True when a desktop window ("Progman", or a "WorkerW" of the layouts that
// keep the icons or the wallpaper in one) was above the taskbar and the
// taskbar has been raised over it.
bool RaiseTaskbar() {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return false;
    // Wine's X driver puts a top-level window's X window above the others when
    // it is made or shown, and moves it in X later only when it comes to the
    // top of Wine's own order. A desktop window made anew (a shell restart)
    // and then sent to the bottom therefore lies below the taskbar for
    // WindowFromPoint but above it on screen, where a click lands on the
    // desktop. Taking the taskbar to the bottom and back to the top brings it
    // up in X too, whatever Wine's order says.
    bool desktop = false;
    EnumWindows(
        [](HWND window, LPARAM found) {
            const std::string cls = ClassOf(window);
            if ((cls == "Progman" || cls == "WorkerW") && IsWindowVisible(window)) {
                *reinterpret_cast<bool*>(found) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&desktop));
    if (!desktop) return false;
    constexpr UINT kJustOrder = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(tray, HWND_BOTTOM, 0, 0, 0, 0, kJustOrder);
    SetWindowPos(tray, HWND_TOP, 0, 0, 0, 0, kJustOrder);
    // Handled by the taskbar's thread once it has sent the restacking to X.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    return true;
}

// ---------------------------------------------------------------- registry

struct RegistryPath {
    HKEY root;
    std::wstring subkey;
};

// "HKCU\..." or "HKLM\..."; a path without a root is under HKCU.
RegistryPath ParseKey(const std::string& text) {
    auto strip = [&](const char* prefix) {
        const size_t n = std::strlen(prefix);
        return text.size() >= n && _strnicmp(text.c_str(), prefix, n) == 0 ? text.substr(n) : std::string();
    };
    if (std::string rest = strip("HKCU\\"); !rest.empty()) return {HKEY_CURRENT_USER, Wide(rest)};
    if (std::string rest = strip("HKLM\\"); !rest.empty()) return {HKEY_LOCAL_MACHINE, Wide(rest)};
    return {HKEY_CURRENT_USER, Wide(text)};
}

std::string HexBytes(const std::vector<BYTE>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (BYTE b : data) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::vector<BYTE> BytesFromHex(const std::string& text) {
    if (text.size() % 2) throw ProbeError("odd number of hex digits");
    std::vector<BYTE> out;
    for (size_t i = 0; i < text.size(); i += 2)
        out.push_back(static_cast<BYTE>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

// ---------------------------------------------------------------- processes

struct Started {
    UniqueHandle process;
    double startMs = 0;
};

class Probe {
public:
    int Run(const Args& args);

private:
    using Command = std::function<void(const Args&)>;
    void Out(const std::string& line) { std::fputs((line + "\n").c_str(), stdout); }
    void PumpMessages();
    HANDLE ProcessHandle(DWORD pid, DWORD access, UniqueHandle& owned);
    std::map<std::string, Command> Commands();

    std::map<DWORD, Started> started_;
    std::map<std::string, UniqueHandle> held_;
    bool holdingHotKey_ = false;
    int hotKeyMessages_ = 0;
};

void Probe::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_HOTKEY) ++hotKeyMessages_;
        DispatchMessageW(&msg);
    }
}

HANDLE Probe::ProcessHandle(DWORD pid, DWORD access, UniqueHandle& owned) {
    if (auto it = started_.find(pid); it != started_.end()) return it->second.process.get();
    owned.reset(OpenProcess(access, FALSE, pid));
    if (!owned) throw ProbeError("cannot open process " + std::to_string(pid));
    return owned.get();
}

std::map<std::string, Probe::Command> Probe::Commands() {
    std::map<std::string, Command> c;

    // windows: every top-level and message-only window:
    // hwnd pid tid class title visible owner rect
    c["windows"] = [this](const Args&) {
        for (HWND w : TopLevelWindows()) Out(Describe(w));
    };
    c["children"] = [this](const Args& a) {
        Need(a, 2, "children <hwnd>");
        for (HWND w : ChildWindows(HwndArg(a[1]))) Out(Describe(w));
    };
    // find <class|-> <title|->: FindWindowW, "-" for a null pointer.
    c["find"] = [this](const Args& a) {
        Need(a, 3, "find <class|-> <title|->");
        const std::wstring cls = Wide(a[1]), title = Wide(a[2]);
        Out(HwndText(
            FindWindowW(a[1] == "-" ? nullptr : cls.c_str(), a[2] == "-" ? nullptr : title.c_str())));
    };
    // prop <hwnd> <name>: the window's property, as a number.
    c["prop"] = [this](const Args& a) {
        Need(a, 3, "prop <hwnd> <name>");
        const std::wstring name = Wide(a[2]);
        Out(std::to_string(reinterpret_cast<uintptr_t>(GetPropW(HwndArg(a[1]), name.c_str()))));
    };
    c["iswindow"] = [this](const Args& a) {
        Need(a, 2, "iswindow <hwnd>");
        Out(IsWindow(HwndArg(a[1])) ? "1" : "0");
    };
    c["visible"] = [this](const Args& a) {
        Need(a, 2, "visible <hwnd>");
        HWND w = HwndArg(a[1]);
        Out(!IsWindow(w) ? "-1" : IsWindowVisible(w) ? "1" : "0");
    };
    c["style"] = [this](const Args& a) {
        Need(a, 2, "style <hwnd>");
        HWND w = HwndArg(a[1]);
        Out(Hex(static_cast<uint32_t>(GetWindowLongW(w, GWL_STYLE))) + "\t" +
            Hex(static_cast<uint32_t>(GetWindowLongW(w, GWL_EXSTYLE))));
    };
    // show <hwnd> <SW_ value>: ShowWindow from this process.
    c["show"] = [this](const Args& a) {
        Need(a, 3, "show <hwnd> <command>");
        Out(ShowWindow(HwndArg(a[1]), static_cast<int>(Number(a[2]))) ? "1" : "0");
    };
    // redrawdesktop: has the desktop window and every visible top-level
    // window repaint, whichever process owns it.
    c["redrawdesktop"] = [](const Args&) {
        const UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
        if (!RedrawWindow(GetDesktopWindow(), nullptr, nullptr, flags)) {
            throw ProbeError("RedrawWindow failed: " + std::to_string(GetLastError()));
        }
        EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                if (IsWindowVisible(window))
                    RedrawWindow(window, nullptr, nullptr, static_cast<UINT>(lParam));
                return TRUE;
            },
            static_cast<LPARAM>(flags));
    };
    c["post"] = [](const Args& a) {
        Need(a, 5, "post <hwnd> <msg> <wparam> <lparam>");
        if (!PostMessageW(HwndArg(a[1]), static_cast<UINT>(Number(a[2])),
                          static_cast<WPARAM>(SignedNumber(a[3])), static_cast<LPARAM>(SignedNumber(a[4])))) {
            throw ProbeError("PostMessage failed: " + std::to_string(GetLastError()));
        }
    };
    c["send"] = [this](const Args& a) {
        Need(a, 5, "send <hwnd> <msg> <wparam> <lparam> [timeout-ms]");
        DWORD_PTR result = 0;
        const UINT timeout = a.size() > 5 ? static_cast<UINT>(Number(a[5])) : 10000;
        if (!SendMessageTimeoutW(HwndArg(a[1]), static_cast<UINT>(Number(a[2])),
                                 static_cast<WPARAM>(SignedNumber(a[3])),
                                 static_cast<LPARAM>(SignedNumber(a[4])), SMTO_NORMAL, timeout, &result)) {
            throw ProbeError("SendMessageTimeout failed: " + std::to_string(GetLastError()));
        }
        Out(std::to_string(static_cast<int64_t>(result)));
    };
    // keys <hwnd> <vk>...: WM_KEYDOWN and WM_KEYUP for each key, posted.
    c["keys"] = [](const Args& a) {
        Need(a, 3, "keys <hwnd> <vk>...");
        HWND w = HwndArg(a[1]);
        for (size_t i = 2; i < a.size(); ++i) {
            const WPARAM vk = static_cast<WPARAM>(Number(a[i]));
            const UINT scan = MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
            PostMessageW(w, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
            PostMessageW(w, WM_KEYUP, vk, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
        }
    };
    // menu: the open popup menu window ("#32768"), 0 when none is shown.
    c["menu"] = [this](const Args&) {
        HWND found = nullptr;
        for (HWND after = nullptr; (after = FindWindowExW(nullptr, after, L"#32768", nullptr)) != nullptr;) {
            if (IsWindowVisible(after)) {
                found = after;
                break;
            }
        }
        Out(HwndText(found));
    };

    // tray: the icons of the notification area, one line each:
    // "<left>,<top>,<right>,<bottom> <tip>" with the icon's place on the screen.
    c["tray"] = [this](const Args&) {
        HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
        for (TrayIcon& icon : TrayIcons()) {
            MapWindowPoints(tray, nullptr, reinterpret_cast<POINT*>(&icon.rect), 2);
            const RECT& r = icon.rect;
            Out(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                std::to_string(r.bottom) + "\t" + icon.tip);
        }
    };
    // taskbar-up: puts the taskbar above the desktop windows again, on
    // screen too (RaiseTaskbar).
    c["taskbar-up"] = [this](const Args&) { Out(RaiseTaskbar() ? "1" : "0"); };
    // taskbar-keep <seconds>: does that every 100 ms for so long (0: forever).
    c["taskbar-keep"] = [this](const Args& a) {
        Need(a, 2, "taskbar-keep <seconds>");
        const double t0 = NowMs(), ms = static_cast<double>(Number(a[1])) * 1000.0;
        while (ms == 0 || NowMs() - t0 < ms) {
            RaiseTaskbar();
            PumpMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
    };

    // regget <key> <name>: "<type> <hex bytes>", or "missing".
    c["regget"] = [this](const Args& a) {
        Need(a, 3, "regget <key> <name>");
        const RegistryPath path = ParseKey(a[1]);
        HKEY raw = nullptr;
        if (RegOpenKeyExW(path.root, path.subkey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
            Out("missing");
            return;
        }
        UniqueKey key(raw);
        const std::wstring name = Wide(a[2]);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            Out("missing");
            return;
        }
        std::vector<BYTE> data(size);
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            throw ProbeError("RegQueryValueEx failed");
        }
        data.resize(size);
        Out(std::to_string(type) + "\t" + HexBytes(data));
    };
    // regset <key> <name> <type> <hex bytes>: creates the key when missing.
    c["regset"] = [](const Args& a) {
        Need(a, 5, "regset <key> <name> <type> <hex>");
        const RegistryPath path = ParseKey(a[1]);
        HKEY raw = nullptr;
        if (RegCreateKeyExW(path.root, path.subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                            nullptr) != ERROR_SUCCESS) {
            throw ProbeError("cannot create the key");
        }
        UniqueKey key(raw);
        const std::vector<BYTE> data = BytesFromHex(a[4]);
        if (RegSetValueExW(key.get(), Wide(a[2]).c_str(), 0, static_cast<DWORD>(Number(a[3])), data.data(),
                           static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
            throw ProbeError("RegSetValueEx failed");
        }
    };
    c["regdel"] = [this](const Args& a) {
        Need(a, 3, "regdel <key> <name>");
        const RegistryPath path = ParseKey(a[1]);
        HKEY raw = nullptr;
        if (RegOpenKeyExW(path.root, path.subkey.c_str(), 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) {
            Out("0");
            return;
        }
        UniqueKey key(raw);
        Out(RegDeleteValueW(key.get(), Wide(a[2]).c_str()) == ERROR_SUCCESS ? "1" : "0");
    };

    // wallpaper: SPI_GETDESKWALLPAPER, the wallpaper in force.
    c["wallpaper"] = [this](const Args&) {
        wchar_t path[MAX_PATH + 1] = {};
        if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0))
            throw ProbeError("SPI_GETDESKWALLPAPER failed");
        Out(Clean(Narrow(path)));
    };
    // spi wallpaper|pattern <text> <flags>: SPI_SETDESKWALLPAPER / SPI_SETDESKPATTERN.
    c["spi"] = [](const Args& a) {
        Need(a, 4, "spi wallpaper|pattern <text> <flags>");
        std::wstring text = Wide(a[2]);
        const UINT action = a[1] == "wallpaper" ? SPI_SETDESKWALLPAPER : SPI_SETDESKPATTERN;
        if (!SystemParametersInfoW(action, 0, text.data(), static_cast<UINT>(Number(a[3])))) {
            throw ProbeError("SystemParametersInfo failed: " + std::to_string(GetLastError()));
        }
    };

    // hotkey test|hold|release|count [<modifiers> <vk>]: a hot key (Ctrl+F12
    // unless given, as RegisterHotKey takes it) for this probe's thread.
    // "test" registers and releases it at once: "free" or "taken".
    c["hotkey"] = [this](const Args& a) {
        Need(a, 2, "hotkey test|hold|release|count [<modifiers> <vk>]");
        constexpr int kId = 0x4242;
        const UINT modifiers = a.size() > 3 ? static_cast<UINT>(Number(a[2])) : MOD_CONTROL;
        const UINT key = a.size() > 3 ? static_cast<UINT>(Number(a[3])) : VK_F12;
        if (a[1] == "test") {
            if (holdingHotKey_) throw ProbeError("this probe holds a hot key");
            if (RegisterHotKey(nullptr, kId, modifiers, key)) {
                UnregisterHotKey(nullptr, kId);
                PumpMessages();
                Out("free");
            } else {
                Out("taken");
            }
        } else if (a[1] == "hold") {
            if (!holdingHotKey_ && !RegisterHotKey(nullptr, kId, modifiers, key)) throw ProbeError("taken");
            holdingHotKey_ = true;
            hotKeyMessages_ = 0;
        } else if (a[1] == "release") {
            if (holdingHotKey_) UnregisterHotKey(nullptr, kId);
            holdingHotKey_ = false;
        } else if (a[1] == "count") {
            PumpMessages();
            Out(std::to_string(hotKeyMessages_));
        } else {
            throw ProbeError("hotkey test|hold|release|count");
        }
    };

    // memory <pid>: pagefile (committed) bytes, working set, peak pagefile.
    c["memory"] = [this](const Args& a) {
        Need(a, 2, "memory <pid>");
        UniqueHandle owned;
        HANDLE process = ProcessHandle(static_cast<DWORD>(Number(a[1])),
                                       PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, owned);
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                  sizeof counters)) {
            throw ProbeError("GetProcessMemoryInfo failed");
        }
        Out(std::to_string(counters.PagefileUsage) + "\t" + std::to_string(counters.WorkingSetSize) + "\t" +
            std::to_string(counters.PeakPagefileUsage));
    };
    // modules <pid>: the file names of the modules a process has loaded.
    c["modules"] = [this](const Args& a) {
        Need(a, 2, "modules <pid>");
        UniqueHandle owned;
        HANDLE process = ProcessHandle(static_cast<DWORD>(Number(a[1])),
                                       PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, owned);
        std::vector<HMODULE> modules(256);
        DWORD needed = 0;
        if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                                &needed)) {
            throw ProbeError("EnumProcessModules failed");
        }
        modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
        for (HMODULE module : modules) {
            wchar_t name[MAX_PATH] = {};
            if (GetModuleBaseNameW(process, module, name, MAX_PATH)) Out(Narrow(name));
        }
    };
    // hold <file>: keeps the file open, shared for reading only, as a program
    // that uses it would, until release <file>.
    c["hold"] = [this](const Args& a) {
        held_[a.at(1)].reset(CreateFileW(Wide(a.at(1)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    };
    c["release"] = [this](const Args& a) { held_.erase(a.at(1)); };
    // env <name> <value>: an environment variable of the programs started next.
    c["env"] = [](const Args& a) { SetEnvironmentVariableW(Wide(a.at(1)).c_str(), Wide(a.at(2)).c_str()); };
    // suspend <pid> / resume <pid>: every thread of a process, as a program
    // that hangs.
    for (const bool suspend : {true, false}) {
        c[suspend ? "suspend" : "resume"] = [suspend](const Args& a) {
            UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
            THREADENTRY32 entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = Thread32First(snapshot.get(), &entry); more;
                 more = Thread32Next(snapshot.get(), &entry)) {
                UniqueHandle thread(entry.th32OwnerProcessID == Number(a.at(1))
                                        ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)
                                        : nullptr);
                if (thread) suspend ? SuspendThread(thread.get()) : ResumeThread(thread.get());
            }
        };
    }
    // cpu <pid>: kernel and user time in milliseconds.
    c["cpu"] = [this](const Args& a) {
        Need(a, 2, "cpu <pid>");
        UniqueHandle owned;
        HANDLE process = ProcessHandle(static_cast<DWORD>(Number(a[1])), PROCESS_QUERY_INFORMATION, owned);
        FILETIME creation, exit, kernel, user;
        if (!GetProcessTimes(process, &creation, &exit, &kernel, &user))
            throw ProbeError("GetProcessTimes failed");
        auto ms = [](const FILETIME& t) {
            return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
        };
        Out(Ms(ms(kernel)) + "\t" + Ms(ms(user)));
    };
    // launch <exe> [arguments]: starts a program; prints its pid.
    c["launch"] = [this](const Args& a) {
        Need(a, 2, "launch <exe> [arguments...]");
        std::wstring commandLine = L"\"" + Wide(a[1]) + L"\"";
        for (size_t i = 2; i < a.size(); ++i) commandLine += L" " + Wide(a[i]);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const double t0 = NowMs();
        StartProcess(commandLine, startup, info);
        CloseHandle(info.hThread);
        started_[info.dwProcessId] = Started{UniqueHandle(info.hProcess), t0};
        Out(std::to_string(info.dwProcessId));
    };
    // startup <exe> <timeout-ms> [arguments]: starts a program and times, from
    // CreateProcess, its icon's arrival in the notification area and the
    // message loop's first idle wait (WaitForInputIdle). Prints
    // "<pid> <icon-ms> <idle-ms>"; -1 for what did not happen in time.
    c["startup"] = [this](const Args& a) {
        Need(a, 3, "startup <exe> <timeout-ms> [arguments...]");
        // A new icon brings a new tooltip control: counting those is cheap
        // enough to poll without slowing the program under measurement.
        const size_t iconsBefore = TrayTooltips().size();
        std::wstring commandLine = L"\"" + Wide(a[1]) + L"\"";
        for (size_t i = 3; i < a.size(); ++i) commandLine += L" " + Wide(a[i]);
        const double timeout = static_cast<double>(Number(a[2]));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const double t0 = NowMs();
        StartProcess(commandLine, startup, info);
        CloseHandle(info.hThread);
        started_[info.dwProcessId] = Started{UniqueHandle(info.hProcess), t0};
        double icon = -1, idle = -1;
        while (NowMs() - t0 < timeout && (icon < 0 || idle < 0)) {
            if (idle < 0 && WaitForInputIdle(info.hProcess, 0) == 0) idle = NowMs() - t0;
            if (icon < 0 && TrayTooltips().size() > iconsBefore) icon = NowMs() - t0;
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
            Sleep(1);
        }
        Out(std::to_string(info.dwProcessId) + "\t" + Ms(icon) + "\t" + Ms(idle));
    };
    // wait <pid> <timeout-ms>: the exit code of a process this probe started
    // (or can open), or "running".
    c["wait"] = [this](const Args& a) {
        Need(a, 3, "wait <pid> <timeout-ms>");
        UniqueHandle owned;
        HANDLE process =
            ProcessHandle(static_cast<DWORD>(Number(a[1])), SYNCHRONIZE | PROCESS_QUERY_INFORMATION, owned);
        if (WaitForSingleObject(process, static_cast<DWORD>(Number(a[2]))) != WAIT_OBJECT_0) {
            Out("running");
            return;
        }
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        Out(std::to_string(code));
    };

    // idle <pid> <timeout-ms>: WaitForInputIdle; prints "idle", "timeout" or
    // "failed".
    c["idle"] = [this](const Args& a) {
        Need(a, 3, "idle <pid> <timeout-ms>");
        UniqueHandle owned;
        HANDLE process =
            ProcessHandle(static_cast<DWORD>(Number(a[1])), SYNCHRONIZE | PROCESS_QUERY_INFORMATION, owned);
        const DWORD result = WaitForInputIdle(process, static_cast<DWORD>(Number(a[2])));
        Out(result == 0 ? "idle" : result == WAIT_TIMEOUT ? "timeout" : "failed");
    };
    // kill <pid>: ends a process that this probe started (a last resort for
    // a test's clean-up).
    c["kill"] = [this](const Args& a) {
        Need(a, 2, "kill <pid>");
        auto it = started_.find(static_cast<DWORD>(Number(a[1])));
        if (it == started_.end()) throw ProbeError("not started by this probe");
        TerminateProcess(it->second.process.get(), 1);
        WaitForSingleObject(it->second.process.get(), 5000);
    };

    // lvcolour <hwnd> <n>: n LVM_GETTEXTCOLOR round trips; prints the colour
    // and the mean time of one in microseconds.
    c["lvcolour"] = [this](const Args& a) {
        Need(a, 3, "lvcolour <hwnd> <n>");
        HWND w = HwndArg(a[1]);
        const uint64_t n = std::max<uint64_t>(1, Number(a[2]));
        LRESULT colour = 0;
        const double t0 = NowMs();
        for (uint64_t i = 0; i < n; ++i) colour = SendMessageW(w, 0x1023 /* LVM_GETTEXTCOLOR */, 0, 0);
        const double total = NowMs() - t0;
        Out(Hex(static_cast<uint32_t>(colour)) + "\t" + Ms(total * 1000.0 / static_cast<double>(n)));
    };
    // lvitem <hwnd> <index>: the item's icon and label in screen coordinates
    // (LVM_GETITEMRECT, LVIR_BOUNDS), through a buffer in the list view's
    // process.
    c["lvitem"] = [this](const Args& a) {
        Need(a, 3, "lvitem <hwnd> <index>");
        HWND w = HwndArg(a[1]);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process) throw ProbeError("OpenProcess failed");
        void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        const bool ok = remote && WriteProcessMemory(process, remote, &r, sizeof r, nullptr) &&
                        SendMessageW(w, LVM_GETITEMRECT, static_cast<WPARAM>(Number(a[2])),
                                     reinterpret_cast<LPARAM>(remote)) &&
                        ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        if (!ok) throw ProbeError("LVM_GETITEMRECT failed");
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Out(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
            std::to_string(r.bottom));
    };
    // sendmany <hwnd> <msg> <wparam> <lparam> <n>: n synchronous sends; prints
    // the total time in milliseconds.
    c["sendmany"] = [this](const Args& a) {
        Need(a, 6, "sendmany <hwnd> <msg> <wparam> <lparam> <n>");
        HWND w = HwndArg(a[1]);
        const UINT msg = static_cast<UINT>(Number(a[2]));
        const WPARAM wp = static_cast<WPARAM>(SignedNumber(a[3]));
        const LPARAM lp = static_cast<LPARAM>(SignedNumber(a[4]));
        const uint64_t n = Number(a[5]);
        const double t0 = NowMs();
        for (uint64_t i = 0; i < n; ++i) {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, 10000, &result)) {
                throw ProbeError("SendMessageTimeout failed at " + std::to_string(i));
            }
        }
        Out(Ms(NowMs() - t0));
    };
    // pairs <desktop-hwnd> <wallpaper> <pattern> <n>: n times the platform
    // calls of hiding and showing the desktop (ShowWindow SW_HIDE, pattern and
    // wallpaper cleared for the logon; both put back, ShowWindow SW_RESTORE),
    // made from this process; prints the mean time of one pair in ms.
    c["pairs"] = [this](const Args& a) {
        Need(a, 5, "pairs <desktop-hwnd> <wallpaper> <pattern> <n>");
        HWND desktop = HwndArg(a[1]);
        std::wstring wallpaper = Wide(a[2]), pattern = Wide(a[3]), empty;
        const uint64_t n = std::max<uint64_t>(1, Number(a[4]));
        const double t0 = NowMs();
        for (uint64_t i = 0; i < n; ++i) {
            ShowWindow(desktop, SW_HIDE);
            empty.assign(1, L'\0');
            SystemParametersInfoW(SPI_SETDESKPATTERN, 0, empty.data(), 0);
            SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, empty.data(), 0);
            SystemParametersInfoW(SPI_SETDESKPATTERN, 0, pattern.data(), 0);
            SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wallpaper.data(), 0);
            ShowWindow(desktop, SW_RESTORE);
        }
        Out(Ms((NowMs() - t0) / static_cast<double>(n)));
    };
    // trayupdates <n>: n times the other platform calls of a hide-and-show
    // pair: per state change the three NIM_MODIFY of the tray icon's hint,
    // image and refresh (on an icon of this probe's), and the desktop key's
    // reads (the colour value on both, wallpaper and pattern on showing).
    // Prints the mean time of one pair in ms.
    c["trayupdates"] = [this](const Args& a) {
        Need(a, 2, "trayupdates <n>");
        const uint64_t n = std::max<uint64_t>(1, Number(a[1]));
        HWND owner =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        if (!owner) throw ProbeError("CreateWindowEx failed: " + std::to_string(GetLastError()));
        const HICON icons[2] = {LoadIconW(nullptr, IDI_APPLICATION), LoadIconW(nullptr, IDI_INFORMATION)};
        const wchar_t* tips[2] = {L"Hide the desktop", L"Show the desktop"};
        NOTIFYICONDATAW data{};
        data.cbSize = NOTIFYICONDATAW_V2_SIZE;
        data.hWnd = owner;
        data.uID = 1;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_APP;
        data.hIcon = icons[0];
        if (!Shell_NotifyIconW(NIM_ADD, &data)) throw ProbeError("NIM_ADD failed");
        const auto readDesktopKey = [](bool showing) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key)) return;
            wchar_t value[MAX_PATH];
            for (const wchar_t* name : {L"Wallpaper", L"Pattern", L"TessikIconColour"}) {
                if (!showing && std::wcscmp(name, L"TessikIconColour")) continue;
                DWORD size = sizeof value;
                RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
            }
            RegCloseKey(key);
        };
        const double t0 = NowMs();
        for (uint64_t i = 0; i < 2 * n; ++i) {
            const bool showing = i % 2 == 1;
            readDesktopKey(showing);
            wcsncpy(data.szTip, tips[showing ? 0 : 1], 127);
            Shell_NotifyIconW(NIM_MODIFY, &data);
            data.hIcon = icons[showing ? 0 : 1];
            Shell_NotifyIconW(NIM_MODIFY, &data);
            Shell_NotifyIconW(NIM_MODIFY, &data);
        }
        const double ms = (NowMs() - t0) / static_cast<double>(n);
        Shell_NotifyIconW(NIM_DELETE, &data);
        DestroyWindow(owner);
        Out(Ms(ms));
    };
    // sleep <ms>: waits while still answering this probe's own messages.
    c["sleep"] = [this](const Args& a) {
        Need(a, 2, "sleep <ms>");
        const double t0 = NowMs(), ms = static_cast<double>(Number(a[1]));
        while (NowMs() - t0 < ms) {
            PumpMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    };
    // copydata <hwnd> <sender-hwnd> <tag> [hex-bytes]: one WM_COPYDATA, sent;
    // prints the answer.
    c["copydata"] = [this](const Args& a) {
        Need(a, 4, "copydata <hwnd> <sender-hwnd> <tag> [hex-bytes]");
        std::vector<BYTE> bytes = a.size() > 4 ? BytesFromHex(a[4]) : std::vector<BYTE>();
        COPYDATASTRUCT data{static_cast<ULONG_PTR>(Number(a[3])), static_cast<DWORD>(bytes.size()),
                            bytes.empty() ? nullptr : bytes.data()};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(HwndArg(a[1]), WM_COPYDATA, reinterpret_cast<WPARAM>(HwndArg(a[2])),
                                 reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &result)) {
            throw ProbeError("SendMessageTimeout failed: " + std::to_string(GetLastError()));
        }
        Out(std::to_string(static_cast<int64_t>(result)));
    };
    // garbage <hwnd> <n> <seed>: n WM_COPYDATA messages of random size (mostly
    // small, some up to 4 KB), contents, tag and sender window; about half
    // carry the program's own tag, some begin as its format does. Prints how
    // many got a non-zero answer.
    c["garbage"] = [this](const Args& a) {
        Need(a, 4, "garbage <hwnd> <n> <seed>");
        HWND target = HwndArg(a[1]);
        const uint64_t n = Number(a[2]);
        uint64_t state = Number(a[3]) | 1;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        const HWND senders[] = {nullptr, GetDesktopWindow(), FindWindowW(L"Shell_TrayWnd", nullptr), target};
        uint64_t answered = 0;
        std::vector<BYTE> bytes;
        for (uint64_t i = 0; i < n; ++i) {
            const uint64_t shape = next() % 8;
            const size_t size = static_cast<size_t>(shape == 0 ? next() % 4097 : next() % 17);
            bytes.resize(size);
            for (BYTE& b : bytes) b = static_cast<BYTE>(next());
            if (shape == 1 && size >= 6) std::memcpy(bytes.data(), "BRVN\x01\x00", 6);
            const ULONG_PTR tag = next() % 2 ? 0x4E565242 : static_cast<ULONG_PTR>(next());
            const uint64_t pick = next() % 5;
            const HWND sender =
                pick < 4 ? senders[pick] : reinterpret_cast<HWND>(static_cast<uintptr_t>(next() & 0xFFFFFF));
            COPYDATASTRUCT data{tag, static_cast<DWORD>(size), size ? bytes.data() : nullptr};
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                                     reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &result)) {
                throw ProbeError("SendMessageTimeout failed at " + std::to_string(i) + ": " +
                                 std::to_string(GetLastError()));
            }
            if (result) ++answered;
        }
        Out(std::to_string(answered));
    };
    // regkey <key>: whether a key under HKCU exists.
    c["regkey"] = [this](const Args& a) {
        Need(a, 2, "regkey <key>");
        const RegistryPath path = ParseKey(a[1]);
        HKEY raw = nullptr;
        const bool exists = RegOpenKeyExW(path.root, path.subkey.c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS;
        UniqueKey key(raw);
        Out(exists ? "1" : "0");
    };
    // waitchildren <pid> <timeout-ms>: waits for the processes that <pid>
    // started (an NSIS uninstaller runs on as a copy of itself in %TEMP%);
    // prints how many there were, or "running".
    c["waitchildren"] = [this](const Args& a) {
        Need(a, 3, "waitchildren <pid> <timeout-ms>");
        const DWORD parent = static_cast<DWORD>(Number(a[1]));
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.get() == INVALID_HANDLE_VALUE) throw ProbeError("CreateToolhelp32Snapshot failed");
        std::vector<UniqueHandle> children;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
             more = Process32NextW(snapshot.get(), &entry)) {
            if (entry.th32ParentProcessID != parent) continue;
            if (HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID))
                children.emplace_back(child);
        }
        const DWORD timeout = static_cast<DWORD>(Number(a[2]));
        for (const UniqueHandle& child : children) {
            if (WaitForSingleObject(child.get(), timeout) != WAIT_OBJECT_0) {
                Out("running");
                return;
            }
        }
        Out(std::to_string(children.size()));
    };
    // shellwindow <hwnd>: makes the window the shell's, as Explorer does with
    // its "Progman" (SetShellWindow; Wine's desktop sets none), so that
    // GetShellWindow returns it.
    c["shellwindow"] = [](const Args& a) {
        using SetShell = BOOL(WINAPI*)(HWND);
        const auto set = reinterpret_cast<SetShell>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
        if (set) set(HwndArg(a.at(1)));
        if (GetShellWindow() != HwndArg(a.at(1))) throw ProbeError("SetShellWindow failed");
    };
    // fault <pid>: a thread of that process raises an exception that none of
    // its code handles, as a crashing shell extension would (kernel32, where
    // RaiseException lives, is at the same address in every process).
    c["fault"] = [](const Args& a) {
        UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(Number(a.at(1)))));
        const auto raise = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "RaiseException")));
        void* code = reinterpret_cast<void*>(static_cast<uintptr_t>(EXCEPTION_ACCESS_VIOLATION));
        UniqueHandle thread(process ? CreateRemoteThread(process.get(), nullptr, 0, raise, code, 0, nullptr)
                                    : nullptr);
        if (!thread) throw ProbeError("CreateRemoteThread failed: " + std::to_string(GetLastError()));
    };
    // focus: a window of the probe's own, made the foreground window; prints
    // it. foreground: the foreground window now.
    c["focus"] = [this](const Args&) {
        HWND w = CreateWindowExW(0, L"STATIC", L"Brivane probe focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(w);
        Out(HwndText(w));
    };
    c["foreground"] = [this](const Args&) { Out(HwndText(GetForegroundWindow())); };
    // idletime: milliseconds since the last keyboard or mouse input.
    c["idletime"] = [this](const Args&) {
        LASTINPUTINFO input{sizeof input, 0};
        GetLastInputInfo(&input);
        Out(std::to_string(GetTickCount() - input.dwTime));
    };
    // mutex <name>: whether a named mutex exists.
    c["mutex"] = [this](const Args& a) {
        Need(a, 2, "mutex <name>");
        UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, Wide(a[1]).c_str()));
        Out(mutex ? "1" : "0");
    };
    // regmsg <name>: the number of a registered window message.
    c["regmsg"] = [this](const Args& a) {
        Need(a, 2, "regmsg <name>");
        Out(std::to_string(RegisterWindowMessageW(Wide(a[1]).c_str())));
    };
    // metric <index>: GetSystemMetrics.
    c["metric"] = [this](const Args& a) {
        Need(a, 2, "metric <index>");
        Out(std::to_string(GetSystemMetrics(static_cast<int>(Number(a[1])))));
    };
    // syscolours: sets the desktop colour to itself with SetSysColors, which
    // sends WM_SYSCOLORCHANGE to every top-level window.
    c["syscolours"] = [](const Args&) {
        const int element = COLOR_BACKGROUND;
        const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
        if (!SetSysColors(1, &element, &colour)) throw ProbeError("SetSysColors failed");
    };
    c["ping"] = [this](const Args&) { Out("pong"); };
    return c;
}

int Probe::Run(const Args& args) {
    auto commands = Commands();
    auto execute = [&](const Args& line) {
        try {
            auto it = commands.find(line.empty() ? std::string() : line[0]);
            if (it == commands.end()) throw ProbeError("unknown command");
            it->second(line);
            std::fputs("ok\n", stdout);
            std::fflush(stdout);
            return true;
        } catch (const std::exception& e) {
            std::fputs(("err " + Clean(e.what()) + "\n").c_str(), stdout);
            std::fflush(stdout);
            return false;
        }
    };
    if (args.empty() || args[0] != "serve") return execute(args) ? 0 : 1;

    // Serving: commands from stdin; a line "quit" or the end of input ends it.
    char buffer[65536];
    std::string pending;
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        pending += buffer;
        if (pending.empty() || pending.back() != '\n') continue;
        while (!pending.empty() && (pending.back() == '\n' || pending.back() == '\r')) pending.pop_back();
        Args line;
        size_t start = 0;
        for (;;) {
            const size_t tab = pending.find('\t', start);
            line.push_back(pending.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        pending.clear();
        if (line.size() == 1 && line[0] == "quit") break;
        PumpMessages();
        execute(line);
    }
    if (holdingHotKey_) UnregisterHotKey(nullptr, 0x4242);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in "\n" alone, as the drivers on the Unix side expect.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    Args args;
    for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
    Probe probe;
    return probe.Run(args);
}
