// The program body: the command line, one copy per logon, the application
// titled "Brivane", the main window, the message loop.
#include <windows.h>

#include <exception>

#include "MainWindow.h"
#include "RemoteCommand.h"
#include "core/Exception.h"
#include "win/Application.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace {

// The copy started with a command, or a second copy: the exit code when this
// process is done, none when it is the copy that runs (with `command` set to
// what it should do once it has started).
std::optional<int> RunCommandLineCopy(TCommand& command) {
    if (const std::optional<int> exitCode = RunCommandLineBeforeStart(command)) return exitCode;
    // The mutex marks the running copy until its process ends; that copy
    // never closes its handle. A second copy leaves before it makes any
    // window: without a command it asks the first to open its settings
    // window, with one it hands the command over. It closes its own handle first, so that only a
    // copy that really runs keeps the mutex alive; when that copy has ended
    // meanwhile, this one starts in its place and does the command itself.
    static TUniqueKernelHandle mutex;
    const TCommand asked = command;
    for (int attempt = 0;; ++attempt) {
        TUniqueKernelHandle handle(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
        // Read at once, before anything else can change it.
        const DWORD error = GetLastError();
        if (!AnotherCopyRuns(static_cast<bool>(handle), error)) {
            // Any other failure lets this copy run, as if it were the first.
            if (!handle) ReportIgnoredFailure("CreateMutexW", error);
            mutex = std::move(handle);
            command = asked;
            return std::nullopt;
        }
        handle.Reset();
        // Started again without arguments (from the Start menu, say): the
        // running copy opens its settings window, for a user who finds no
        // icon in the notification area.
        if (command == TCommand::None) command = TCommand::Settings;
        const int result = SendToRunningCopy(command);
        if (result != kExitNotRunning || attempt == 2) return result;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // DLLs are looked for in the system folder only, never in the program's
    // folder (a portable copy sits in Downloads beside whatever was saved
    // there) nor in the current one. A failure is reported and the program
    // goes on: its own loads name the system folder themselves.
    if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ReportIgnoredFailure("SetDefaultDllDirectories", GetLastError());
    }
    // The command-line copy's one boundary: an error that ends a command (the
    // registry refused a value, say) is told to the user with exit code 3,
    // and never opens a box.
    TCommand command = TCommand::None;
    try {
        if (const std::optional<int> exitCode = RunCommandLineCopy(command)) return *exitCode;
    } catch (const std::exception& error) {
        TellUser(FailureText(error));
        return kExitFailure;
    }
    TApplication application;
    application.SetTitle("Brivane");
    // An error while the main window is made (a resource missing from a
    // damaged copy, a window that can't be created) gets the error box, and
    // the program ends with kExitFailure: without a main window there is
    // nothing to run. (1 would read as /status "hidden" to a caller.)
    TMainWindow* form = nullptr;
    GuardBoundary([&] { form = application.CreateForm<TMainWindow>(); });
    if (!form) return kExitFailure;
    // A copy started for a command does it once its main window exists.
    if (command != TCommand::None) form->QueueCommand(command);
    application.Run();
    return 0;
}
