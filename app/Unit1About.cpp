// The About window: a borderless picture with a web link, and a list of
// version lines that a click on the product's name in the picture shows and
// hides. The window is the main window itself; the tray menu's "About" shows
// it and a click on the picture hides it into the notification area again.
#include "Unit1.h"

#include "FileVersionInfo.h"
#include "WebLabel/WebLabel.h"
#include "resource.h"
#include "win/Application.h"
#include "win/ExtCtrls.h"
#include "win/StdCtrls.h"

void TForm1::ReadAboutControls(TFormLoader& loader) {
    // Stacked from the bottom up in this order; the list box, being a window,
    // lies above all the windowless controls anyway.
    Panel1 = loader.Create<TPanel>("Panel1");
    Panel1->SetBounds(0, 0, 405, 262);
    Panel1->SetParent(this);
    Panel1->SetAlign(TAlign::alClient);
    Panel1->SetBevelInner(TBevelCut::bvRaised);
    Panel1->SetBevelOuter(TBevelCut::bvNone);
    Panel1->SetBevelWidth(3);

    Image1 = loader.Create<TImage>("Image1");
    Image1->SetParent(Panel1);
    Image1->SetBounds(3, 3, 399, 256);
    Image1->SetCenter(true);
    Image1->LoadFromResource(GetModuleHandleW(nullptr), IDB_ABOUT);
    Image1->OnClick = TNotifyEvent(this, &TForm1::AboutFormclick);

    // The label's Loaded gives it the link cursor once everything is read.
    WebLabel1 = loader.Create<TWebLabel>("WebLabel1");
    WebLabel1->SetParent(Panel1);
    WebLabel1->SetBounds(144, 226, 117, 19);
    WebLabel1->SetCaption("Olmar on the Web");
    WebLabel1->Font().Name = "Arial";
    WebLabel1->Font().Height = -16;
    WebLabel1->Font().Bold = true;
    WebLabel1->Font().Color = RGB(255, 0, 0);
    WebLabel1->FontChanged();
    WebLabel1->SetTransparent(true);
    WebLabel1->SetUseLink(true);
    WebLabel1->SetURL("www.example.com");

    // A click area over the product's name drawn in the picture.
    AboutBtn = loader.Create<TSpeedButton>("AboutBtn");
    AboutBtn->SetParent(Panel1);
    AboutBtn->SetBounds(80, 62, 243, 48);
    AboutBtn->SetFlat(true);
    AboutBtn->OnClick = TNotifyEvent(this, &TForm1::AboutBtnClick);

    // Opens just below the product's name: eight whole lines of 13 pixels in
    // a 108-pixel box with its 2-pixel sunken edge.
    InfoBox = loader.Create<TListBox>("InfoBox");
    InfoBox->SetVisible(false);
    InfoBox->SetParent(Panel1);
    InfoBox->SetBounds(80, 110, 245, 108);
    InfoBox->SetItemHeight(13);
    InfoBox->SetIntegralHeight(true);
    InfoBox->SetParentColor(true);
    InfoBox->Font().Name = "Default";
    InfoBox->Font().Height = -11;
    InfoBox->Font().Bold = true;
    InfoBox->FontChanged();
}

void TForm1::About1click(TObject*) { TrayIcon1->ShowApplicationWindow(); }

void TForm1::AboutFormclick(TObject* sender) {
    Doneclick(sender);
    TrayIcon1->HideApplicationWindow();
    Application->Minimize();
}

void TForm1::AboutBtnClick(TObject*) {
    // The slot is the state: from here on the button hides the lines. It is
    // switched first, so that a version resource that cannot be read leaves
    // the next click to reset it.
    AboutBtn->OnClick = TNotifyEvent(this, &TForm1::Doneclick);
    ShowAboutLines();
    InfoBox->Show();
}

void TForm1::Doneclick(TObject*) {
    AboutBtn->OnClick = TNotifyEvent(this, &TForm1::AboutBtnClick);
    InfoBox->Hide();
}

void TForm1::ShowAboutLines() {
    // The reader lives on this frame: it goes also when a step throws.
    const TFileVersionInfo versionInfo(Application->ExeName());
    TListBoxStrings& lines = InfoBox->Items();
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
