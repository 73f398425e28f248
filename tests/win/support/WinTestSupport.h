// Helpers for in-process tests under Wine: an application object per test,
// message pumping, and recorders for the error box and the notification area.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "TrayIcon/TrayIcon.h"
#include "core/Utf.h"
#include "support/Pump.h"
#include "win/Application.h"

// An application object for one test, whose error boxes are recorded rather
// than shown.
struct TTestApplication {
    TTestApplication() {
        app.SetTitle("Brivane");
        app.SetErrorBoxHook([this](const std::string& text, const std::string& caption) {
            errorBoxes.push_back(text);
            captions.push_back(caption);
        });
    }
    TApplication app;
    std::vector<std::string> errorBoxes;
    std::vector<std::string> captions;
};

// One Shell_NotifyIconW call as the component made it.
struct TNotifyCall {
    DWORD message;
    UINT id;
    HWND window;
    UINT flags;
    UINT callback;
    HICON icon;
    std::wstring tip;
    bool tipAllZero;
    UINT version;
    DWORD size;
};

// Records the component's notification-area calls; with `forward` they also
// reach the real shell.
class TNotifyRecorder {
public:
    explicit TNotifyRecorder(bool forward = false) {
        NotifyIconSeam.Replace([this, forward](DWORD message, NOTIFYICONDATAW& data) -> BOOL {
            TNotifyCall call{message,    data.uID,   data.hWnd, data.uFlags,   data.uCallbackMessage,
                             data.hIcon, data.szTip, true,      data.uVersion, data.cbSize};
            for (wchar_t c : data.szTip) call.tipAllZero = call.tipAllZero && c == 0;
            calls.push_back(call);
            if (answer) return answer(message);
            if (forward) return Shell_NotifyIconW(message, &data);
            return message != NIM_SETVERSION || data.uVersion <= NOTIFYICON_VERSION_4;
        });
    }
    ~TNotifyRecorder() { NotifyIconSeam.Replace(nullptr); }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> m;
        for (const auto& c : calls) m.push_back(c.message);
        return m;
    }
    std::vector<TNotifyCall> calls;
    // When set, what the notification area answers.
    std::function<BOOL(DWORD message)> answer;
};

inline std::string WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return Narrow(text);
}
