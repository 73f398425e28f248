// The About window: a borderless picture with a web link, and a list of
// version lines that a click on the product's name in the picture shows and
// hides. The window is the main window itself; the tray menu's "About" shows
// it and a click on the picture hides it into the notification area again.
#include "MainWindow.h"

#include "FileVersionInfo.h"
#include "WebLabel/WebLabel.h"
#include "resource.h"
#include "win/Application.h"
#include "win/ExtCtrls.h"
#include "win/StdCtrls.h"

void TMainWindow::ReadAboutControls(TFormLoader& loader) {
    // Stacked from the bottom up in this order; the list box, being a window,
    // lies above all the windowless controls anyway.
    AboutPanel = loader.Create<TPanel>("AboutPanel");
    AboutPanel->SetBounds(0, 0, 405, 262);
    AboutPanel->SetParent(this);
    AboutPanel->SetAlign(TAlign::alClient);
    AboutPanel->SetBevelInner(TBevelCut::bvRaised);
    AboutPanel->SetBevelOuter(TBevelCut::bvNone);
    AboutPanel->SetBevelWidth(3);

    AboutPicture = loader.Create<TImage>("AboutPicture");
    AboutPicture->SetParent(AboutPanel);
    AboutPicture->SetBounds(3, 3, 399, 256);
    AboutPicture->SetCenter(true);
    AboutPicture->LoadFromResource(GetModuleHandleW(nullptr), IDB_ABOUT);
    AboutPicture->OnClick = TNotifyEvent(this, &TMainWindow::HideAboutWindow);

    // The label's Loaded gives it the link cursor once everything is read.
    WebLink = loader.Create<TWebLabel>("WebLink");
    WebLink->SetParent(AboutPanel);
    WebLink->SetBounds(144, 226, 117, 19);
    WebLink->SetCaption("Olmar on the Web");
    WebLink->Font().Name = "Arial";
    WebLink->Font().Height = -16;
    WebLink->Font().Bold = true;
    WebLink->Font().Color = RGB(255, 0, 0);
    WebLink->FontChanged();
    WebLink->SetTransparent(true);
    WebLink->SetUseLink(true);
    WebLink->SetURL("www.example.com");

    // A click area over the product's name drawn in the picture.
    VersionLinesButton = loader.Create<TSpeedButton>("VersionLinesButton");
    VersionLinesButton->SetParent(AboutPanel);
    VersionLinesButton->SetBounds(80, 62, 243, 48);
    VersionLinesButton->SetFlat(true);
    VersionLinesButton->OnClick = TNotifyEvent(this, &TMainWindow::ShowVersionLines);

    // Opens just below the product's name: eight whole lines of 13 pixels in
    // a 108-pixel box with its 2-pixel sunken edge.
    VersionLines = loader.Create<TListBox>("VersionLines");
    VersionLines->SetVisible(false);
    VersionLines->SetParent(AboutPanel);
    VersionLines->SetBounds(80, 110, 245, 108);
    VersionLines->SetItemHeight(13);
    VersionLines->SetIntegralHeight(true);
    VersionLines->SetParentColor(true);
    VersionLines->Font().Name = "Default";
    VersionLines->Font().Height = -11;
    VersionLines->Font().Bold = true;
    VersionLines->FontChanged();
}

void TMainWindow::ShowAboutWindow(TObject*) { TrayIcon->ShowApplicationWindow(); }

void TMainWindow::HideAboutWindow(TObject* sender) {
    HideVersionLines(sender);
    TrayIcon->HideApplicationWindow();
    Application->Minimize();
}

void TMainWindow::ShowVersionLines(TObject*) {
    // The slot is the state: from here on the button hides the lines. It is
    // switched first, so that a version resource that cannot be read leaves
    // the next click to reset it.
    VersionLinesButton->OnClick = TNotifyEvent(this, &TMainWindow::HideVersionLines);
    FillVersionLines();
    VersionLines->Show();
}

void TMainWindow::HideVersionLines(TObject*) {
    VersionLinesButton->OnClick = TNotifyEvent(this, &TMainWindow::ShowVersionLines);
    VersionLines->Hide();
}

void TMainWindow::FillVersionLines() {
    // The reader lives on this frame: it goes also when a step throws.
    const TFileVersionInfo versionInfo(Application->ExeName());
    TListBoxStrings& lines = VersionLines->Items();
    lines.Clear();
    const std::string productName = versionInfo.PredefinedValue(TFileVersionInfo::kProductName);
    lines.Add(productName + " " + versionInfo.PredefinedValue(TFileVersionInfo::kFileVersion));
    lines.Add("");
    lines.Add(versionInfo.PredefinedValue(TFileVersionInfo::kFileDescription));
    lines.Add("");
    lines.Add("Copyright: " + versionInfo.PredefinedValue(TFileVersionInfo::kLegalCopyright));
    lines.Add("");
    lines.Add("Author: The Brivane team, " + versionInfo.PredefinedValue(TFileVersionInfo::kCompanyName));
    lines.Add("");
    lines.Add("With thanks to:");
    lines.Add("The testers of Olmar");
    lines.Add("The translators of Olmar");
    lines.Add("and to absent friends");
    lines.Add("");
}
