// Runs one test of this test program again in a child process at another
// DPI. The DPI is read once when a process starts, from HKCU
// "Control Panel\Desktop" LogPixels under Wine (on Windows it would be the
// display settings), so a test that needs another DPI runs in a fresh process.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "RegistryBackup.h"
#include "win/Handles.h"

// How long a child run may take before it is ended. The ctest TIMEOUT of a
// program that starts children allows each of them this long: dpi_test's
// 240 s for four, about_test's 400 s for two.
constexpr DWORD kChildRunLimitMs = 45000;

// Whether the GoogleTest report at `path` holds exactly one case, run to its
// end without a failure.
inline bool ReportHoldsOnePassedCase(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    std::string report;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, file)) > 0;) report.append(buffer, read);
    fclose(file);
    const size_t testcase = report.find("<testcase");
    return testcase != std::string::npos && report.find("<testcase", testcase + 1) == std::string::npos &&
           report.find("result=\"completed\"") != std::string::npos &&
           report.find("<failure") == std::string::npos;
}

// Sets LogPixels to `dpi` and `variable` to the DPI's decimal text, runs this
// program with --gtest_filter=`test` (disabled tests included), puts both
// back and returns the child's exit code: 0 when the child's checks passed,
// 0xFFFFFFFF when it could not start, 0xFFFFFFFE when it did not end in time,
// 0xFFFFFFFD when it ended well but its report does not show the one case run
// and passed (a filter that matches nothing runs no case and exits 0).
inline DWORD RunTestAtDpi(int dpi, const wchar_t* variable, const std::wstring& test) {
    TRegistryValueBackup logPixels(L"Control Panel\\Desktop", L"LogPixels");
    SetRegistryDword(L"Control Panel\\Desktop", L"LogPixels", static_cast<DWORD>(dpi));
    SetEnvironmentVariableW(variable, std::to_wstring(dpi).c_str());

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring report = folder + std::to_wstring(GetCurrentProcessId()) + L"-child-report.xml";
    DeleteFileW(report.c_str());
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" +
                           test + L" \"--gtest_output=xml:" + report + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(variable, nullptr);
    if (!started) return 0xFFFFFFFF;
    const TUniqueKernelHandle child(process.hProcess);
    const TUniqueKernelHandle thread(process.hThread);
    DWORD code = 0xFFFFFFFE;
    if (WaitForSingleObject(child.Get(), kChildRunLimitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(child.Get(), &code);
        if (code == 0 && !ReportHoldsOnePassedCase(report)) code = 0xFFFFFFFD;
    } else {
        TerminateProcess(child.Get(), code);
    }
    DeleteFileW(report.c_str());
    return code;
}

// The DPI a child run was started for (0 when this is not a child run).
inline int ChildRunDpi(const wchar_t* variable) {
    wchar_t value[16] = {};
    return GetEnvironmentVariableW(variable, value, 16) > 0 ? _wtoi(value) : 0;
}
