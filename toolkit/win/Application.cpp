#include "win/Application.h"

#include <algorithm>

#include "core/Utf.h"
#include "win/Forms.h"
#include "win/SystemLibrary.h"

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
    Application = this;
    RegisterRoutedClass(L"TApplication", 0, nullptr,
                        LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    // Zero-sized and centred like any owner of taskbar buttons; it is shown
    // only while the main window is (a taskbar button), never as a window.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    CreateRoutedWindow(0, L"TApplication", L"",
                       WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                       nullptr);
}

TApplication::~TApplication() {
    DestroyComponents();
    DestroyRoutedWindow();
    cursors_.clear();
    if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (Handle()) SetWindowTextW(Handle(), Widen(title).c_str());
}

void TApplication::ForgetForm(TForm* form) {
    if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Run() {
    if (mainForm_ && showMainForm_) mainForm_->SetVisible(true);
    while (!terminated_) HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::HandleMessage() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return false;
    }
    if (dialog_ && IsDialogMessageW(dialog_, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        if (dialog_ && IsDialogMessageW(dialog_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TApplication::Minimize() {
    if (!IsIconic(Handle())) ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
}

namespace {
TSystemFunction<decltype(CoInitializeEx)> gCoInitializeEx("ole32.dll", "CoInitializeEx");
TSystemFunction<decltype(CoUninitialize)> gCoUninitialize("ole32.dll", "CoUninitialize");
}  // namespace

TComApartment::TComApartment() {
    try {
        result_ = gCoInitializeEx.Get()(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    } catch (const EWin32Error&) {
        result_ = HRESULT_FROM_WIN32(GetLastError());
    }
    if (FAILED(result_)) ReportIgnoredFailure("CoInitializeEx", static_cast<unsigned long>(result_));
}

TComApartment::~TComApartment() {
    if (SUCCEEDED(result_)) gCoUninitialize.Get()();
}

void TApplication::EnterComApartment() {
    if (!apartment_) apartment_.emplace();
}

std::string TApplication::ExeName() const { return ProgramPath(); }

std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) throw Win32ErrorFromCode(GetLastError());
        if (n < path.size()) {
            path.resize(n);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string TApplication::ErrorBoxText(const std::string& message) {
    // The last character is compared as a whole code point: a multi-byte
    // UTF-8 character always sorts after ".".
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

void TApplication::HandleException(const std::exception& error) { ShowException(error.what()); }

void TApplication::ShowException(const std::string& message) {
    const std::string text = ErrorBoxText(message);
    ++errorBoxDepth_;
    if (errorBoxHook_) {
        errorBoxHook_(text, title_);
    } else {
        MessageBoxW(nullptr, Widen(text).c_str(), Widen(title_).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    --errorBoxDepth_;
}

HCURSOR TApplication::Cursor(int index) const {
    for (const auto& [at, cursor] : cursors_) {
        if (at == index && cursor) return cursor.Get();
    }
    return LoadCursorW(nullptr, IDC_ARROW);
}

void TApplication::SetCursor(int index, HCURSOR cursor) {
    // The cursor it replaces is destroyed, unless it is the same one.
    HCURSOR previous = ReleaseCursor(index);
    TUniqueCursor replaced(previous != cursor ? previous : nullptr);
    if (cursor) cursors_.emplace_back(index, TUniqueCursor(cursor));
}

HCURSOR TApplication::ReleaseCursor(int index) {
    auto it = std::find_if(cursors_.begin(), cursors_.end(),
                           [index](const auto& set) { return set.first == index; });
    if (it == cursors_.end()) return nullptr;
    HCURSOR cursor = it->second.Release();
    cursors_.erase(it);
    return cursor;
}

LRESULT TApplication::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // Closing the application closes its main window, which decides
            // how the program ends; without one the program just ends.
            if (mainForm_ && mainForm_->HandleAllocated()) {
                PostMessageW(mainForm_->Handle(), WM_CLOSE, 0, 0);
            } else {
                Terminate();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The logon is really ending: leave the loop; the main window gets
            // its own WM_ENDSESSION to put things back.
            if (wParam) Terminate();
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_MINIMIZE:
                    Minimize();
                    return 0;
                case SC_RESTORE:
                    Restore();
                    return 0;
            }
            break;
    }
    return DefWindowProcW(Handle(), message, wParam, lParam);
}
