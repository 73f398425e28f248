// The main window: the program's only window (the About window) and the owner
// of every component. Its handlers are where the program's behaviour lives,
// one file a role:
//   MainWindow.cpp          the components it makes, start-up, the hot key,
//                           the end of the logon, the desktop's two interface
//                           states, Exit
//   ShellDesktop.cpp        hiding and showing the shell's desktop
//   CaptionColours.cpp      the desktop icons' caption colours and their watchdog
//   DesktopEntriesMenu.cpp  the tray menu's desktop entries
//   AboutWindow.cpp         the About window's controls and handlers
//   IncomingCommands.cpp    commands sent by a second copy from the command line
//   HotKey.cpp, AutoHide.cpp  the user's settings: hot key, hiding when idle
//   TaskbarLook.cpp         the tray and menu images for the taskbar's theme and DPI
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "TaskbarLook.h"
#include "TrayIcon/TrayIcon.h"
#include "win/Dialogs.h"
#include "win/Forms.h"
#include "win/ImgList.h"
#include "win/Menus.h"
#include "win/Timer.h"

class TSysImageList;
class TPanel;
class TImage;
class TWebLabel;
class TSpeedButton;
class TListBox;

class TMainWindow : public TForm {
public:
    explicit TMainWindow(TComponent* owner);
    ~TMainWindow() override;

    // The About window's controls.
    TPanel* AboutPanel = nullptr;
    TImage* AboutPicture = nullptr;
    TWebLabel* WebLink = nullptr;
    TSpeedButton* VersionLinesButton = nullptr;
    TListBox* VersionLines = nullptr;
    // Tray icon and menu images: 0 desktop shown, 1 desktop hidden, 2 About,
    // 3 Exit.
    TImageList* TrayImages = nullptr;
    // The menu's own images 0 to 3, for a light menu, at the size of the
    // monitor the menu opens on.
    TImageList* MenuImages = nullptr;
    TTrayIcon* TrayIcon = nullptr;
    TPopupMenu* TrayMenu = nullptr;
    // The tray menu's seven fixed items, top to bottom; the desktop entries
    // follow them while the desktop is hidden.
    TMenuItem* ShowDesktopItem = nullptr;
    TMenuItem* HideDesktopItem = nullptr;
    TMenuItem* CaptionColoursItem = nullptr;
    TMenuItem* ChooseColourItem = nullptr;
    TMenuItem* TransparentItem = nullptr;
    TMenuItem* CaptionColoursSeparator = nullptr;
    TMenuItem* DefaultColoursItem = nullptr;
    TMenuItem* AboutSeparator = nullptr;
    TMenuItem* AboutItem = nullptr;
    TMenuItem* ExitSeparator = nullptr;
    TMenuItem* ExitItem = nullptr;
    TColorDialog* ColourChooser = nullptr;
    TTimer* ColourWatchdog = nullptr;
    TSysImageList* ShellIcons = nullptr;

    // Program-wide state, read once at start-up.
    std::string DesktopFolderPath;
    HWND DesktopListView = nullptr;
    bool ColourCheckPending = false;
    COLORREF CapturedTextColour = 0;

    // Life cycle.
    void AfterCreate(TObject* sender);
    void BeforeDestroy(TObject* sender);
    void KeepHiddenAtStart(TObject* sender, bool& showMainForm);
    void ExitClick(TObject* sender);
    void WMHotKey(TMessage& message);
    void WMEndSession(TMessage& message);
    // Hides or shows the desktop, whichever a click on the tray icon would do
    // once everything asked for before has been done.
    void ToggleDesktop();
    // The desktop state as the tray icon's click slot holds it.
    bool DesktopHidden();

    // What changes the desktop runs one action at a time, in the order asked
    // for: an action asked for while another is under way (a message that
    // arrives while the shell is being waited for) waits for it to finish.
    enum class TDesktopAction { Hide, Show, Exit, ShellRestarted };
    void Perform(TDesktopAction action);
    // The desktop state once every action asked for so far has been done.
    bool PredictedHidden();
    // Runs the actions waiting, unless one is under way or the window is
    // still starting.
    void RunWaitingActions();

    // Commands from the command line (IncomingCommands.cpp).
    void WMCopyData(TMessage& message);
    // Queues a hide, show, toggle or exit command, to be done from the
    // message loop; returns the answer for the sender: the desktop state once
    // it has been done.
    int64_t QueueCommand(TCommand command);

    // Desktop hide and show (ShellDesktop.cpp). The two handlers are what the
    // tray icon's click slot holds; they ask for the action.
    void HideDesktop(TObject* sender);
    void ShowDesktop(TObject* sender);
    // The shell was restarted ("TaskbarCreated"): its desktop windows are new.
    void ShellRestarted();
    // While the desktop is hidden, a desktop window that the shell shows
    // again or makes anew is hidden again; a desktop that the shell made only
    // after a start that found none is taken as shown.
    void FollowShellDesktop();

    // Caption colours (CaptionColours.cpp).
    void ApplyIconColours(COLORREF textColour, COLORREF backColour, bool transparent);
    void LoadIconColours();
    void ChooseCaptionColour(TObject* sender);
    void ToggleTransparentCaptions(TObject* sender);
    void RestoreDefaultCaptionColours(TObject* sender);
    void ResetDesktopColours();
    void WatchCaptionColour(TObject* sender);

    // Desktop entries in the tray menu (DesktopEntriesMenu.cpp).
    void ListDesktopEntries(TObject* sender);
    void ClearDesktopEntries(TObject* sender);
    void OpenDesktopEntry(TObject* sender);
    static bool ListDirectoryEntries(const std::string& pattern, unsigned attributeMask,
                                     std::vector<std::string>& list);

    // The taskbar's look (TaskbarLook.cpp): the tray images drawn for the
    // taskbar's theme at its DPI's small-icon size, rebuilt when either
    // changes; the menu's images made for the monitor it opens on (just
    // before the tray icon opens it, on the right button's press), and
    // resized with the tray's on the primary monitor once they exist.
    void FollowTaskbarLook();
    void FitMenuImages(HMONITOR monitor);
    void PrepareTrayMenu(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    const TTaskbarLook& TaskbarLook() const { return taskbarLook_; }
    // The look is read through this function; tests change it with it (a
    // Wine session reads its DPI once, at start, and has no high contrast).
    // An empty function restores the real one.
    using TTaskbarLookFunction = std::function<TTaskbarLook()>;
    static void SetTaskbarLookFunction(TTaskbarLookFunction function);

    // The user's settings (HotKey.cpp): the hot key, registered as the
    // settings say, and hiding when idle (AutoHide.cpp). Read at start-up and
    // again on ReloadSettings; the answer for the sender.
    TSettingsReply ApplyStoredSettings();
    // The hot key registered now; none when off or refused.
    std::optional<THotKey> RegisteredHotKey() const { return registeredHotKey_; }
    uint32_t AutoHideSeconds() const { return autoHideSeconds_; }
    // On the watchdog's tick: hides the desktop after the idle time, and shows
    // it again at the first input when it was hidden that way.
    void WatchIdleTime();

    // About window (AboutWindow.cpp).
    void ShowAboutWindow(TObject* sender);
    void HideAboutWindow(TObject* sender);
    void ShowVersionLines(TObject* sender);
    void HideVersionLines(TObject* sender);
    void FillVersionLines();

    static constexpr int kHotKeyId = 100000;
    // Posted to the main window: run the actions waiting.
    static constexpr UINT kRunWaitingActions = WM_APP + 1;

    // The pattern and wallpaper calls (SystemParametersInfoW for the running
    // logon) go through this function; tests record them with it. An empty
    // function restores the real call.
    using TDesktopParameterFunction = std::function<void(UINT action, const std::string& value)>;
    static void SetDesktopParameterFunction(TDesktopParameterFunction function);
    // How long a list-view message to the shell may wait for its answer
    // (2000 ms); tests shorten it.
    static void SetShellAnswerLimit(UINT milliseconds);

protected:
    bool Dispatch(TMessage& message) override;
    void WndProc(TMessage& message) override;

private:
    void ReadStoredDescription();
    void ReadAboutControls(TFormLoader& loader);
    // The desktop list view, looked up again when the handle has gone stale
    // (the shell was restarted since).
    HWND ListView();
    // False when there is no list view or it did not answer in time.
    bool SendToListView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    LRESULT SendToListView(UINT message, WPARAM wParam, LPARAM lParam);
    // The interface steps of the two desktop states: tray slot, hint, image,
    // menu handler and menu items.
    void EnterHiddenInterface();
    void EnterShownInterface();
    void Do(TDesktopAction action);
    void DoHideDesktop();
    void DoShowDesktop();
    void DoShellRestarted();
    // Shows a hidden desktop on the way out; what fails is told to a
    // debugger, never in a box, so that leaving never waits on one.
    void ShowDesktopBeforeLeaving();

    void LoadTrayImages(const TTaskbarLook& look);

    bool watchdogBoxOpen_ = false;
    // The watchdog's capture minimises the application once, however many
    // ticks it takes to read the colour.
    bool captureMinimised_ = false;
    std::deque<TDesktopAction> waiting_;
    std::optional<TDesktopAction> underWay_;
    // Set once the window has been made and its start-up state chosen.
    bool ready_ = false;
    // The program hid the desktop's windows, or found them hidden at start-up.
    bool desktopTakenAway_ = false;
    TTaskbarLook taskbarLook_;
    std::optional<THotKey> registeredHotKey_;
    uint32_t autoHideSeconds_ = 0;
    // Set when the idle time hid the desktop, with the time of the last input
    // then; any other hide or show clears it.
    bool desktopHiddenWhenIdle_ = false;
    DWORD lastInputWhenHidden_ = 0;
};
