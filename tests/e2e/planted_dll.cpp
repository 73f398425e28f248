// A DLL planted beside a portable copy under the name of a system DLL: once
// loaded, it leaves a named mutex behind for as long as the process lives,
// even when the loader lets go of it again at once.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) CreateMutexW(nullptr, FALSE, L"BrivanePlantedDllLoaded");
    return TRUE;
}
