// The Win32 side of brivane.exe's command line: reading it, the per-user Run
// value, finding the running copy and carrying a command to it. The rules
// themselves (switches, message format) are in CommandLine.h.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>
#include <string>

#include "CommandLine.h"

// Held by the running copy for as long as it runs: one copy per logon.
inline constexpr wchar_t kInstanceMutexName[] = L"BrivaneMutex";

// Runs what the command line asks for that needs no main window of this
// process: a usage error, /autostart, and /exit and /status (which never start
// a copy). Returns the exit code when the process is done; otherwise none, with
// `command` set to what the started (or already running) copy should do.
std::optional<int> RunCommandLineBeforeStart(TCommand& command);

// Sends a command to the running copy, waiting for it while it is still
// starting; for /exit also until it has ended. The process's exit code.
int SendToRunningCopy(TCommand command);

// Sends a command to the running copy, waiting for it while it is still
// starting, and returns its answer as it came; none when no copy runs
// (`running` false) or the copy did not answer.
std::optional<int64_t> AskRunningCopy(TCommand command, bool& running);

// One line for the user: on the standard error (TellUser) or output (Print)
// a parent handed over, else on the parent's console; a command never opens a
// message box.
void TellUser(const std::string& line);
void Print(const std::string& line);
// What the command-line copy tells the user of an error that ended its
// command: the message, and a registry error's code.
std::string FailureText(const std::exception& error);

// /hotkey and /autohide (SettingsCommands.cpp): stores the setting and has
// the running copy take it; the process's exit code.
int RunSettingCommand(const TCommandRequest& request);

// Whether a WM_COPYDATA sender (the message's wParam) is on this thread's
// desktop: that desktop's own window, or a window that is on it.
bool SentFromThisDesktop(HWND sender);
