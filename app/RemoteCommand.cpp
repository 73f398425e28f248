#include "RemoteCommand.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Utf.h"
#include "win/CarriedPointer.h"
#include "win/Handles.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"Brivane";
// A copy that holds the mutex but has no main window yet is still starting.
constexpr DWORD kStartingTimeoutMs = 15000;
constexpr DWORD kAnswerTimeoutMs = 15000;
constexpr DWORD kExitTimeoutMs = 15000;

struct LocalFreeDeleter {
    void operator()(wchar_t** block) const { LocalFree(block); }
};

std::vector<std::string> Arguments() {
    int count = 0;
    std::unique_ptr<wchar_t*, LocalFreeDeleter> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    // The first entry is the program itself.
    for (int i = 1; argv && i < count; ++i) arguments.push_back(Narrow(argv.get()[i]));
    return arguments;
}

}  // namespace

// One line for the user: on the standard error a parent handed over (a pipe
// or file), else on the console of the parent (a command prompt). A GUI
// program gets no console of its own: AttachConsole borrows the parent's for
// the one line. Without either (started by Task Scheduler, an installer or a
// shortcut) the exit code alone tells: a command never opens a message box,
// so nothing that started it silently is ever left waiting on one.
void TellUser(const std::string& line) {
    const std::wstring wide = Widen(line + "\r\n");
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0, written = 0;
    if (error && error != INVALID_HANDLE_VALUE) {
        if (GetConsoleMode(error, &mode)) {
            WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            const std::string bytes = line + "\n";
            WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        TUniqueKernelHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        if (console && console.Get() != INVALID_HANDLE_VALUE) {
            WriteConsoleW(console.Get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            console.Release();  // INVALID_HANDLE_VALUE is not a handle to close
        }
        FreeConsole();
    }
}

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int SetAutostart(bool on) {
    HKEY raw = nullptr;
    LONG result =
        RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
    TUniqueKey key(result == ERROR_SUCCESS ? raw : nullptr);
    if (result == ERROR_SUCCESS) {
        if (on) {
            const std::wstring path = ModulePath();
            const std::wstring quoted = L"\"" + path + L"\"";
            result = path.empty() ? static_cast<LONG>(GetLastError())
                                  : RegSetValueExW(key.Get(), kRunValue, 0, REG_SZ,
                                                   reinterpret_cast<const BYTE*>(quoted.c_str()),
                                                   static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
        } else {
            result = RegDeleteValueW(key.Get(), kRunValue);
            if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
        }
    }
    if (result == ERROR_SUCCESS) return kExitOk;
    TellUser(std::string("Brivane could not ") + (on ? "write" : "remove") +
             " the value \"Brivane\" under "
             "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
             " (error " +
             std::to_string(result) + ")");
    return kExitFailure;
}

// Called only once this process has closed its own handle to the mutex, so
// that only a copy that runs keeps it alive. A mutex that exists but may not
// be opened belongs to a copy running elevated or as another user.
bool CopyIsRunning() {
    TUniqueKernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return mutex || AnotherCopyRuns(false, GetLastError());
}

// The running copy's main window: a "TForm" window owned by the application
// window, class "TApplication", titled "Brivane", of the same process.
HWND FindMainWindow() {
    for (HWND app = nullptr; (app = FindWindowExW(nullptr, app, L"TApplication", L"Brivane")) != nullptr;) {
        DWORD appProcess = 0;
        GetWindowThreadProcessId(app, &appProcess);
        for (HWND form = nullptr; (form = FindWindowExW(nullptr, form, L"TForm", nullptr)) != nullptr;) {
            DWORD formProcess = 0;
            GetWindowThreadProcessId(form, &formProcess);
            if (GetWindow(form, GW_OWNER) == app && formProcess == appProcess) return form;
        }
    }
    return nullptr;
}

// The main window, waited for while a copy holds the mutex but is still
// starting; none when no copy runs or it did not make its window in time.
HWND WaitForMainWindow(ULONGLONG start) {
    for (;;) {
        if (HWND window = FindMainWindow()) return window;
        if (!CopyIsRunning() || GetTickCount64() - start > kStartingTimeoutMs) return nullptr;
        Sleep(50);
    }
}

// For a process this one may not wait on (running elevated): its window
// going is the sign that it ended.
bool WaitForWindowToGo(HWND window, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (IsWindow(window)) {
        if (GetTickCount64() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace

std::optional<int> RunCommandLineBeforeStart(TCommand& command) {
    const std::optional<TCommandRequest> parsed = ParseCommandRequest(Arguments());
    if (!parsed) {
        TellUser(kUsage);
        return kExitUsage;
    }
    command = parsed->command;
    switch (command) {
        case TCommand::AutostartOn:
            return SetAutostart(true);
        case TCommand::AutostartOff:
            return SetAutostart(false);
        case TCommand::Exit:
        case TCommand::Status:
            return SendToRunningCopy(command);
        case TCommand::HotKey:
        case TCommand::AutoHide:
            return RunSettingCommand(*parsed);
        case TCommand::ReloadSettings:  // sent by a copy, never a switch
        case TCommand::Run:
        case TCommand::Hide:
        case TCommand::Show:
        case TCommand::Toggle:
            break;
    }
    return std::nullopt;
}

int SendToRunningCopy(TCommand command) {
    const ULONGLONG start = GetTickCount64();
    std::array<uint8_t, kRemoteCommandSize> payload = EncodeRemoteCommand(command);
    COPYDATASTRUCT data{};
    data.dwData = kRemoteCommandTag;
    data.cbData = static_cast<DWORD>(payload.size());
    data.lpData = payload.data();
    for (;;) {
        HWND window = WaitForMainWindow(start);
        if (!window) {
            if (!CopyIsRunning()) return kExitNotRunning;
            TellUser("Brivane is running but did not answer");
            return kExitFailure;
        }
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        TUniqueKernelHandle processHandle(OpenProcess(SYNCHRONIZE, FALSE, process));
        // This process has no window of its own: it names its desktop's window
        // as the sender, which the running copy checks is on its own desktop.
        DWORD_PTR reply = 0;
        const bool answered =
            SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                                reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                &reply) != 0;
        // A copy whose window exists but that is still choosing its start-up
        // state asks to be asked again.
        if (answered && static_cast<int64_t>(reply) == kRemoteReplyStarting &&
            GetTickCount64() - start < kStartingTimeoutMs) {
            Sleep(50);
            continue;
        }
        const std::optional<bool> hidden =
            answered ? DecodeRemoteReply(static_cast<int64_t>(reply)) : std::nullopt;
        if (!hidden) {
            // A copy that ended meanwhile is no longer running.
            if (!IsWindow(window)) return kExitNotRunning;
            TellUser("Brivane is running but did not answer");
            return kExitFailure;
        }
        if (command == TCommand::Status) return *hidden ? kExitStatusHidden : kExitOk;
        if (command != TCommand::Exit) return kExitOk;
        // /exit says it is done only once the copy has ended.
        const bool ended = processHandle
                               ? WaitForSingleObject(processHandle.Get(), kExitTimeoutMs) == WAIT_OBJECT_0
                               : WaitForWindowToGo(window, kExitTimeoutMs);
        if (ended) return kExitOk;
        TellUser("Brivane was asked to end but is still running");
        return kExitFailure;
    }
}

std::optional<int64_t> AskRunningCopy(TCommand command, bool& running) {
    const ULONGLONG start = GetTickCount64();
    std::array<uint8_t, kRemoteCommandSize> payload = EncodeRemoteCommand(command);
    COPYDATASTRUCT data{kRemoteCommandTag, static_cast<DWORD>(payload.size()), payload.data()};
    for (;;) {
        HWND window = WaitForMainWindow(start);
        running = window != nullptr;
        if (!window) return std::nullopt;
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                                 reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                 &reply)) {
            running = IsWindow(window) != FALSE;
            return std::nullopt;
        }
        // A copy still choosing its start-up state asks to be asked again.
        if (static_cast<int64_t>(reply) != kRemoteReplyStarting ||
            GetTickCount64() - start >= kStartingTimeoutMs)
            return static_cast<int64_t>(reply);
        Sleep(50);
    }
}

namespace {

struct DesktopSearch {
    HWND root;
    bool found;
};

BOOL CALLBACK MatchDesktopWindow(HWND window, LPARAM context) {
    auto* search = CarriedPointer<DesktopSearch*>(context);
    if (window != search->root) return TRUE;
    search->found = true;
    return FALSE;
}

}  // namespace

bool SentFromThisDesktop(HWND sender) {
    if (!sender) return false;
    if (sender == GetDesktopWindow()) return true;
    if (!IsWindow(sender)) return false;
    DesktopSearch search{GetAncestor(sender, GA_ROOT), false};
    EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), MatchDesktopWindow,
                       reinterpret_cast<LPARAM>(&search));
    return search.found;
}
