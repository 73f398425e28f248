// The About window: a borderless picture with a web link, and a list of
// version lines that a click on the product's name in the picture shows and
// hides. The window is the main window itself; the tray menu's "About" shows
// it and a click on the picture hides it into the notification area again.
#pragma once

#include "TrayIcon/TrayIcon.h"
#include "win/Forms.h"

class TPanel;
class TImage;
class TWebLabel;
class TSpeedButton;
class TListBox;

class TAboutWindow {
public:
    // Reads the About controls into `window` ("AboutPanel", "AboutPicture",
    // "WebLink", "VersionLinesButton", "VersionLines").
    TAboutWindow(TForm* window, TFormLoader& loader);
    // The tray icon that shows and hides the window, once it exists.
    void ShownBy(TTrayIcon* trayIcon) { trayIcon_ = trayIcon; }
    // The "About" item's slot.
    TNotifyEvent ShowSlot() { return TNotifyEvent(this, &TAboutWindow::Show); }

private:
    void Show(TObject* sender);
    void Hide(TObject* sender);
    void ShowVersionLines(TObject* sender);
    void HideVersionLines(TObject* sender);
    void FillVersionLines();

    TForm* window_;
    TTrayIcon* trayIcon_ = nullptr;
    // Controls owned by the window.
    TPanel* panel_ = nullptr;
    TImage* picture_ = nullptr;
    TWebLabel* link_ = nullptr;
    TSpeedButton* linesButton_ = nullptr;
    TListBox* lines_ = nullptr;
};
