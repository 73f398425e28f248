// The program body: the command line, one copy per logon, the application
// titled "Brivane", the main window, the message loop.
#include <windows.h>

#include <exception>

#include "MainWindow.h"
#include "RemoteCommand.h"
#include "win/Application.h"
#include "win/Handles.h"
#include "win/Window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    TCommand command = TCommand::Run;
    if (const std::optional<int> exitCode = RunCommandLineBeforeStart(command)) return *exitCode;
    // The mutex marks a running copy until the process ends; its handle is
    // never closed before that. A second copy leaves before it makes any
    // window: without a command it does not disturb the first, with one it
    // hands the command over.
    // The last error is read at once: constructing a function-local static
    // runs guard code that may reset it.
    HANDLE handle = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    const DWORD mutexError = GetLastError();
    static TUniqueKernelHandle mutex(handle);
    if (mutexError == ERROR_ALREADY_EXISTS) return command == TCommand::Run ? 0 : SendToRunningCopy(command);
    TApplication application;
    application.SetTitle("Brivane");
    // An error while the main window is made (a resource missing from a
    // damaged copy, a window that can't be created) gets the error box, and
    // the program ends: without a main window there is nothing to run.
    TMainWindow* form = nullptr;
    try {
        form = application.CreateForm<TMainWindow>();
    } catch (const std::exception& error) {
        application.HandleException(error);
        return 1;
    }
    // A copy started for a command does it once its main window exists.
    if (command != TCommand::Run) GuardBoundary([&] { form->ExecuteCommand(command); });
    application.Run();
    return 0;
}
