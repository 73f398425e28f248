#include "AboutWindow.h"

#include "FileVersionInfo.h"
#include "WebLabel/WebLabel.h"
#include "resource.h"
#include "win/Application.h"
#include "win/ExtCtrls.h"
#include "win/StdCtrls.h"

TAboutWindow::TAboutWindow(TForm* window, TFormLoader& loader) : window_(window) {
    // Stacked from the bottom up in this order; the list box, being a window,
    // lies above all the windowless controls anyway.
    panel_ = loader.Create<TPanel>("AboutPanel");
    panel_->SetBounds(0, 0, 405, 262);
    panel_->SetParent(window_);
    panel_->SetAlign(TAlign::alClient);
    panel_->SetBevelInner(TBevelCut::bvRaised);
    panel_->SetBevelOuter(TBevelCut::bvNone);
    panel_->SetBevelWidth(3);

    picture_ = loader.Create<TImage>("AboutPicture");
    picture_->SetParent(panel_);
    picture_->SetBounds(3, 3, 399, 256);
    picture_->SetCenter(true);
    picture_->LoadFromResource(GetModuleHandleW(nullptr), IDB_ABOUT);
    picture_->OnClick = TNotifyEvent(this, &TAboutWindow::Hide);

    // The label's Loaded gives it the link cursor once everything is read.
    link_ = loader.Create<TWebLabel>("WebLink");
    link_->SetParent(panel_);
    link_->SetBounds(144, 226, 117, 19);
    link_->SetCaption("Olmar on the Web");
    link_->Font().Name = "Arial";
    link_->Font().Height = -16;
    link_->Font().Bold = true;
    link_->Font().Color = RGB(255, 0, 0);
    link_->FontChanged();
    link_->SetTransparent(true);
    link_->SetUseLink(true);
    link_->SetURL("www.example.com");

    // A click area over the product's name drawn in the picture.
    linesButton_ = loader.Create<TSpeedButton>("VersionLinesButton");
    linesButton_->SetParent(panel_);
    linesButton_->SetBounds(80, 62, 243, 48);
    linesButton_->SetFlat(true);
    linesButton_->OnClick = TNotifyEvent(this, &TAboutWindow::ShowVersionLines);

    // Opens just below the product's name: eight whole lines of 13 pixels in
    // a 108-pixel box with its 2-pixel sunken edge.
    lines_ = loader.Create<TListBox>("VersionLines");
    lines_->SetVisible(false);
    lines_->SetParent(panel_);
    lines_->SetBounds(80, 110, 245, 108);
    lines_->SetItemHeight(13);
    lines_->SetIntegralHeight(true);
    lines_->SetParentColor(true);
    lines_->Font().Name = "Default";
    lines_->Font().Height = -11;
    lines_->Font().Bold = true;
    lines_->FontChanged();
}

void TAboutWindow::Show(TObject*) { trayIcon_->ShowApplicationWindow(); }

void TAboutWindow::Hide(TObject* sender) {
    HideVersionLines(sender);
    trayIcon_->HideApplicationWindow();
    Application->Minimize();
}

void TAboutWindow::ShowVersionLines(TObject*) {
    // The slot is the state: from here on the button hides the lines. It is
    // switched first, so that a version resource that cannot be read leaves
    // the next click to reset it.
    linesButton_->OnClick = TNotifyEvent(this, &TAboutWindow::HideVersionLines);
    FillVersionLines();
    lines_->Show();
}

void TAboutWindow::HideVersionLines(TObject*) {
    linesButton_->OnClick = TNotifyEvent(this, &TAboutWindow::ShowVersionLines);
    lines_->Hide();
}

void TAboutWindow::FillVersionLines() {
    // The reader lives on this frame: it goes also when a step throws.
    const TFileVersionInfo versionInfo(Application->ExeName());
    TListBoxStrings& lines = lines_->Items();
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
