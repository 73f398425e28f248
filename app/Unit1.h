// The main window: the program's only window (the About window) and the owner
// of every component. Its handlers are where the program's behaviour lives:
// hiding and showing the desktop, the tray menu's desktop entries, the icon
// caption colours with their watchdog, and the About window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "CommandLine.h"
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

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Components, as the stored description creates them.
    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TWebLabel* WebLabel1 = nullptr;
    TSpeedButton* AboutBtn = nullptr;
    TListBox* InfoBox = nullptr;
    TImageList* ImageList2 = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Show1 = nullptr;
    TMenuItem* Hide1 = nullptr;
    TMenuItem* CustomIcons1 = nullptr;
    TMenuItem* Colour1 = nullptr;
    TMenuItem* Transparent1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* Default1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* MenuItem3 = nullptr;
    TMenuItem* MenuItem2 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;
    TTimer* CheckColourTimer = nullptr;
    TSysImageList* SysImageList1 = nullptr;

    // Program-wide state, read once at start-up.
    std::string DesktopFolderPath;
    HWND DesktopListView = nullptr;
    bool ColourCheckPending = false;
    COLORREF CapturedTextColour = 0;

    // Life cycle.
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void TrayIcon1Startup(TObject* sender, bool& showMainForm);
    void Exit1click(TObject* sender);
    void WMHotKey(TMessage& message);
    void WMEndSession(TMessage& message);

    // Commands from the command line (Unit1Commands.cpp).
    void WMCopyData(TMessage& message);
    // Does a hide, show, toggle, exit or status command; returns the answer
    // for the sender: the desktop state after it.
    int64_t ExecuteCommand(TCommand command);
    // The desktop state as the tray icon's click slot holds it.
    bool DesktopHidden();

    // Desktop hide and show.
    void HideClick(TObject* sender);
    void ShowClick(TObject* sender);
    HWND FindDesktopListView() const;
    void ApplyIconColours(COLORREF textColour, COLORREF backColour, bool transparent);
    void LoadIconColours();

    // Icon caption colours.
    void Colourclick(TObject* sender);
    void Transparent1click(TObject* sender);
    void Defaultclick(TObject* sender);
    void ResetDesktopColours();
    void CheckColourTimerTimer(TObject* sender);

    // Desktop entries in the tray menu.
    void Popupmenu1popup(TObject* sender);
    void Clearmenu(TObject* sender);
    void Menuclick(TObject* sender);
    static bool ListDirectoryEntries(const std::string& pattern, unsigned attributeMask,
                                     std::vector<std::string>& list);

    // About window.
    void About1click(TObject* sender);
    void AboutFormclick(TObject* sender);
    void AboutBtnClick(TObject* sender);
    void Doneclick(TObject* sender);
    void ShowAboutLines();

    static constexpr int kHotKeyId = 100000;

    // The pattern and wallpaper calls (SystemParametersInfoW for the running
    // logon) go through this function; tests record them with it. An empty
    // function restores the real call.
    using TDesktopParameterFunction = std::function<void(UINT action, const std::string& value)>;
    static void SetDesktopParameterFunction(TDesktopParameterFunction function);
    // How long a list-view message to the shell may wait for its answer
    // (2000 ms); tests shorten it.
    static void SetShellAnswerLimit(UINT milliseconds);

    // The shell was restarted ("TaskbarCreated"): its desktop windows are new.
    void ShellRestarted();

protected:
    bool Dispatch(TMessage& message) override;

private:
    void ReadStoredDescription();
    void ReadAboutControls(TFormLoader& loader);
    // The desktop list view, looked up again when the handle has gone stale
    // (the shell was restarted since).
    HWND ListView();
    // False when there is no list view or it did not answer in time.
    bool SendToListView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    LRESULT SendToListView(UINT message, WPARAM wParam, LPARAM lParam);
    // The interface steps of hiding: tray slot, hint, image, menu handler and
    // menu items, in that order.
    void EnterHiddenInterface();

    bool watchdogBoxOpen_ = false;
};
