// The program body: one copy per logon, the application titled "Brivane",
// the main window, the message loop.
#include <windows.h>

#include <exception>

#include "Unit1.h"
#include "win/Application.h"
#include "win/Handles.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The mutex marks a running copy until the process ends; its handle is
    // never closed before that. A second copy leaves before it makes any
    // window, and does not disturb the first.
    // The last error is read at once: constructing a function-local static
    // runs guard code that may reset it.
    HANDLE handle = CreateMutexW(nullptr, FALSE, L"BrivaneMutex");
    const DWORD error = GetLastError();
    static TUniqueKernelHandle mutex(handle);
    if (error == ERROR_ALREADY_EXISTS) return 0;
    TApplication application;
    application.Initialize();
    application.SetTitle("Brivane");
    // An error while the main window is made (a resource missing from a
    // damaged copy, a window that can't be created) gets the error box, and
    // the program ends: without a main window there is nothing to run.
    try {
        application.CreateForm<TForm1>();
    } catch (const std::exception& error) {
        application.HandleException(error);
        return 1;
    }
    application.Run();
    return 0;
}
