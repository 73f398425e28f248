// The application object: its own hidden top-level window (which carries the
// taskbar button), the title, the main window, the flag that shows the main
// window when the message loop starts, minimise and restore, the message loop,
// and the one place that turns an exception into the error box.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Component.h"
#include "core/Exception.h"
#include "win/Handles.h"
#include "win/Window.h"

class TForm;

// COM for the thread, single-threaded apartment, for as long as this lives:
// SHGetFileInfoW and ShellExecuteW need it (shell extensions run in it).
// OLE1 DDE is off, as ShellExecute's documentation advises. The application
// enters it before the first such call (EnterComApartment) rather than at
// start-up, which it would slow down noticeably (under Wine by about 30 ms).
// ole32 itself (with combase and rpcrt4) is loaded then too, not when the
// program starts.
class TComApartment {
public:
    TComApartment();
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    // Every successful CoInitializeEx (S_FALSE included) is paired.
    ~TComApartment();

private:
    HRESULT result_ = E_FAIL;
};

class TApplication : public TComponent, private TWindowTarget {
public:
    TApplication();
    ~TApplication() override;

    HWND Handle() const { return WindowHandle(); }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // The main window is known only once its construction has completed.
    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    // Creates a form owned by the application; the first becomes the main
    // window when its constructor returns.
    template <class T, class... Args>
    T* CreateForm(Args&&... args) {
        T* form = new T(this, std::forward<Args>(args)...);
        if (!mainForm_) mainForm_ = form;
        return form;
    }
    // Forgets a main window that is being destroyed outside the application.
    void ForgetForm(TForm* form);

    // Shows the main window if wanted, then dispatches messages until
    // Terminate's quit message arrives.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, waiting for it; false once the quit message came.
    bool HandleMessage();
    // The modeless dialog whose keys (Tab, Enter, Esc, mnemonics) the loop
    // hands to IsDialogMessageW; none when no dialog is open. Borrowed.
    void SetDialogWindow(HWND dialog) { dialog_ = dialog; }

    void Minimize();
    void Restore();

    std::string ExeName() const;

    // Puts the thread into the single-threaded COM apartment, if it is not
    // there yet, for the rest of the application's life. Called before every
    // shell call that may load a shell extension.
    void EnterComApartment();
    bool InComApartment() const { return apartment_.has_value(); }

    // The error box: the message (with a full stop added when its last
    // character sorts after "."), caption = title, error icon, OK.
    void HandleException(const std::exception& error);
    void ShowException(const std::string& message);
    static std::string ErrorBoxText(const std::string& message);
    // Tests observe error boxes through this instead of a modal box.
    using ErrorBoxHook = std::function<void(const std::string& text, const std::string& caption)>;
    void SetErrorBoxHook(ErrorBoxHook hook) { errorBoxHook_ = std::move(hook); }
    // True while an error box is open (boxes are modal; timers still tick).
    bool ErrorBoxOpen() const { return errorBoxDepth_ > 0; }

    // The application's cursor table; an entry replaced or cleared here is
    // destroyed. An empty entry yields the arrow cursor.
    HCURSOR Cursor(int index) const;
    void SetCursor(int index, HCURSOR cursor);
    // Takes an entry out of the table without destroying it.
    HCURSOR ReleaseCursor(int index);

protected:
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // First member: the apartment, once entered, outlives everything the
    // application owns.
    std::optional<TComApartment> apartment_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    HWND dialog_ = nullptr;
    int errorBoxDepth_ = 0;
    ErrorBoxHook errorBoxHook_;
    // (index, cursor) of the cursors set: a handful at most.
    std::vector<std::pair<int, TUniqueCursor>> cursors_;
};

// The path of the program's own file.
std::string ProgramPath();

// The one application object of the process (nullptr when none exists).
extern TApplication* Application;

// For components: enters the application's COM apartment, when there is an
// application, before a shell call that needs it.
inline void EnterComApartmentForShell() {
    if (Application) Application->EnterComApartment();
}
