#include "RemoteCommand.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "Settings.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"
#include "win/Handles.h"

namespace {

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

// One line for the user on a standard stream a parent handed over (a pipe,
// a file or a console), else on the console of the parent (a command
// prompt). A GUI program gets no console of its own: AttachConsole borrows
// the parent's for the one line. Without either (started by Task Scheduler,
// an installer or a shortcut) the exit code alone tells: a command never
// opens a message box, so nothing that started it silently is ever left
// waiting on one.
void WriteLine(DWORD stream, const std::string& line) {
    const std::wstring wide = Widen(line + "\r\n");
    HANDLE handle = GetStdHandle(stream);
    DWORD mode = 0, written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        if (GetConsoleMode(handle, &mode)) {
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            const std::string bytes = line + "\n";
            WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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

void TellUser(const std::string& line) { WriteLine(STD_ERROR_HANDLE, line); }

void Print(const std::string& line) { WriteLine(STD_OUTPUT_HANDLE, line); }

std::string FailureText(const std::exception& error) {
    std::string text = error.what();
    if (const auto* registry = dynamic_cast<const ERegistryException*>(&error))
        text += " (error " + std::to_string(registry->ErrorCode()) + ")";
    return text;
}

namespace {

int SetAutostart(bool on) {
    WriteAutostart(on, ProgramPath());
    return kExitOk;
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
        case TCommand::KeepWallpaper:
        case TCommand::DoubleClick:
            return RunSettingCommand(*parsed);
        case TCommand::ReloadSettings:  // sent by a copy, never a switch
        case TCommand::Settings:
        case TCommand::None:
        case TCommand::Hide:
        case TCommand::Show:
        case TCommand::Toggle:
            break;
    }
    return std::nullopt;
}

namespace {

// One exchange with the running copy: its main window, waited for while the
// copy is still starting, and its answer. `window` is none when no copy runs
// or it made no window in time; `reply` none when it did not answer.
struct TExchange {
    HWND window = nullptr;
    // Opened before the command is sent, so that /exit can wait for the end
    // of this very process.
    TUniqueKernelHandle process;
    std::optional<int64_t> reply;
};

TExchange Exchange(TCommand command, ULONGLONG start) {
    std::array<uint8_t, kRemoteCommandSize> payload = EncodeRemoteCommand(command);
    COPYDATASTRUCT data{kRemoteCommandTag, static_cast<DWORD>(payload.size()), payload.data()};
    for (;;) {
        TExchange exchange;
        exchange.window = WaitForMainWindow(start);
        if (!exchange.window) return exchange;
        DWORD process = 0;
        GetWindowThreadProcessId(exchange.window, &process);
        exchange.process.Reset(OpenProcess(SYNCHRONIZE, FALSE, process));
        // The user started this copy, so it may come to the foreground: the
        // settings window it asks for may too. Without it, it opens behind.
        if (!AllowSetForegroundWindow(process))
            ReportIgnoredFailure("AllowSetForegroundWindow", GetLastError());
        // This process has no window of its own: it names its desktop's window
        // as the sender, which the running copy checks is on its own desktop.
        DWORD_PTR reply = 0;
        if (SendMessageTimeoutW(exchange.window, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                                reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &reply))
            exchange.reply = static_cast<int64_t>(reply);
        // A copy whose window exists but that is still choosing its start-up
        // state asks to be asked again.
        if (exchange.reply != kRemoteReplyStarting || GetTickCount64() - start >= kStartingTimeoutMs)
            return exchange;
        Sleep(50);
    }
}

}  // namespace

int SendToRunningCopy(TCommand command) {
    const TExchange exchange = Exchange(command, GetTickCount64());
    if (!exchange.window) {
        if (!CopyIsRunning()) return kExitNotRunning;
        TellUser("Brivane is running but did not answer");
        return kExitFailure;
    }
    const std::optional<bool> hidden = exchange.reply ? DecodeRemoteReply(*exchange.reply) : std::nullopt;
    if (!hidden) {
        // A copy that ended meanwhile is no longer running.
        if (!IsWindow(exchange.window)) return kExitNotRunning;
        TellUser("Brivane is running but did not answer");
        return kExitFailure;
    }
    if (command == TCommand::Status) return *hidden ? kExitStatusHidden : kExitOk;
    if (command != TCommand::Exit) return kExitOk;
    // /exit says it is done only once the copy has ended.
    const bool ended = exchange.process
                           ? WaitForSingleObject(exchange.process.Get(), kExitTimeoutMs) == WAIT_OBJECT_0
                           : WaitForWindowToGo(exchange.window, kExitTimeoutMs);
    if (ended) return kExitOk;
    TellUser("Brivane was asked to end but is still running");
    return kExitFailure;
}

std::optional<int64_t> AskRunningCopy(TCommand command, bool& running) {
    const TExchange exchange = Exchange(command, GetTickCount64());
    running = exchange.window && (exchange.reply || IsWindow(exchange.window));
    return exchange.reply;
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
