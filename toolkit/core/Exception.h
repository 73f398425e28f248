// The program's error model: exceptions carrying a formatted message. Event
// handlers throw them; the boundary that called the handler (a window
// procedure, a timer tick, a menu command) hands them to the application,
// which shows the message in its error box and goes on.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A stream or resource could not be read (for instance an icon's image).
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// Raised by the registry wrapper, with the Win32 error code of the call that
// failed (0 when the data was there but of another type).
class ERegistryException : public Exception {
public:
    ERegistryException(const std::string& message, long errorCode)
        : Exception(message), errorCode_(errorCode) {}
    long ErrorCode() const { return errorCode_; }

private:
    long errorCode_;
};

// A Win32 call failed; the message carries the last-error code and text.
class EWin32Error : public Exception {
public:
    using Exception::Exception;
};

// Base of the errors of the components (the version reader's, say): an
// error of a component's own rules, as opposed to a failed platform call
// (EWin32Error) or registry access (ERegistryException).
class ESupportError : public Exception {
public:
    using Exception::Exception;
};

#ifdef _WIN32
// The exception for a failed Win32 call with last-error code: "Win32 Error.
// Code: %d.\n%s" with the system's text for the code, or "A Win32 API
// function failed" when the code is 0.
EWin32Error Win32ErrorFromCode(unsigned long code);

// The system's text for a last-error code, without its closing line break.
std::string SystemErrorText(unsigned long code);

// A failure the program deliberately lets pass (a hot key that another
// program holds, an icon the notification area refused) is still told to a
// debugger or DebugView: "Brivane: <call> failed, error <code>: <text>",
// through OutputDebugStringW.
void ReportIgnoredFailure(const char* call, unsigned long code);
// The same for any other line: "Brivane: <line>".
void ReportToDebugger(const std::string& line);
#endif

// Fills "%s" and "%d" placeholders in order with the given texts ("%%" is a
// literal percent sign). Missing arguments leave the placeholder out.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);
