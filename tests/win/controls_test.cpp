// The controls of the About window against the real Win32 API: the list box's
// lines, visibility, line height and colours; clicks routed to windowless
// controls; and what the panel, the picture and the label put on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "resource.h"
#include "support/Capture.h"
#include "support/Win32Helpers.h"
#include "win/Application.h"
#include "win/ExtCtrls.h"
#include "win/Forms.h"
#include "win/StdCtrls.h"

namespace {

using capture::TPixels;

constexpr COLORREF kBlue = RGB(0, 0, 255);

struct ClickRecorder : TObject {
    std::vector<TObject*> clicks;
    void Clicked(TObject* sender) { clicks.push_back(sender); }
    TNotifyEvent Slot() { return TNotifyEvent(this, &ClickRecorder::Clicked); }
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override { application_ = std::make_unique<TApplication>(); }

    TForm* MakeForm(int width, int height) {
        form_.Reset(new TForm(nullptr));
        form_->SetClientSize(width, height);
        return form_.Get();
    }

    std::unique_ptr<TApplication> application_;
    TOwned<TForm> form_;  // declared last: goes before the application
};

// --- list box ----------------------------------------------------------------

TEST_F(Controls, ListBoxKeepsItsLinesAndMirrorsThemInItsWindow) {
    TForm* form = MakeForm(300, 200);
    auto* box = new TListBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 108);

    // Lines added before the window exists are kept and handed over later.
    EXPECT_EQ(box->Items().Add("first"), 0);
    EXPECT_EQ(box->Items().Add("Gr\xC3\xBC\xC3\x9F"
                               "e"),
              1);
    EXPECT_EQ(box->Items().Count(), 2);
    EXPECT_FALSE(box->HandleAllocated());

    HWND list = box->Handle();
    ASSERT_TRUE(IsWindow(list));
    wchar_t className[32] = {};
    GetClassNameW(list, className, 32);
    EXPECT_EQ(CompareStringOrdinal(className, -1, L"LISTBOX", -1, TRUE), CSTR_EQUAL) << className;
    EXPECT_EQ(GetParent(list), form->Handle());
    EXPECT_EQ(ListBoxLines(list), (std::vector<std::wstring>{L"first",
                                                             L"Gr\u00FC\u00DF"
                                                             L"e"}));

    EXPECT_EQ(box->Items().Add(""), 2);
    EXPECT_EQ(box->Items().Add("last"), 3);
    EXPECT_EQ(ListBoxLines(list).size(), 4u);
    EXPECT_EQ(ListBoxLines(list)[2], L"");
    EXPECT_EQ(box->Items().Item(3), "last");

    box->Items().Clear();
    EXPECT_EQ(box->Items().Count(), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(box->Items().Add("again"), 0);
    EXPECT_EQ(ListBoxLines(list), std::vector<std::wstring>{L"again"});
}

// A hidden list box gets its window only when it is needed: its class comes
// from comctl32 6 under the program's manifest.
TEST_F(Controls, ListBoxStartsHiddenWithoutAWindowAndFollowsShowAndHide) {
    TForm* form = MakeForm(300, 200);
    auto* box = new TListBox(form);
    box->SetVisible(false);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 108);
    form->SetVisible(true);
    EXPECT_FALSE(box->HandleAllocated());

    HWND list = box->Handle();
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(list));

    box->Show();
    EXPECT_TRUE(box->Visible());
    EXPECT_TRUE(IsWindowVisible(list));

    box->Hide();
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(IsWindowVisible(list));
}

TEST_F(Controls, ListBoxLineHeightIsScaledAndIntegralHeightShowsWholeLines) {
    TForm* form = MakeForm(300, 200);
    auto* box = new TListBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 245, 108);
    box->SetItemHeight(13);
    box->SetIntegralHeight(true);
    for (int i = 0; i < 20; ++i) box->Items().Add("line " + std::to_string(i));
    HWND list = box->Handle();

    const int line = 13 * form->Dpi() / 96;
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), line);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(client.bottom % line, 0) << "client height " << client.bottom;
    // 108 pixels less the 2-pixel sunken edge on either side, in whole lines: 8 at 96 DPI.
    EXPECT_EQ(client.bottom, (form->Scale(108) - 4) / line * line);

    // A height between whole lines is cut down to the lines that fit.
    box->SetBounds(10, 10, 245, 100);
    GetClientRect(list, &client);
    EXPECT_EQ(client.bottom % line, 0) << "client height " << client.bottom;
    EXPECT_LE(client.bottom, form->Scale(100) - 4);

    // Without integral height the list keeps the height it is given. The
    // style needs a new window, which gets the lines and the line height.
    box->SetIntegralHeight(false);
    box->SetBounds(10, 10, 245, 101);
    list = box->Handle();
    RECT window;
    GetWindowRect(list, &window);
    EXPECT_EQ(window.bottom - window.top, form->Scale(101));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 20);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), line);
    EXPECT_EQ(GetParent(list), form->Handle());
}

TEST_F(Controls, ListBoxTakesItsParentsColourAndItsOwnFontColour) {
    TForm* form = MakeForm(300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetAlign(TAlign::alClient);
    panel->SetBevelOuter(TBevelCut::bvNone);
    const COLORREF panelColour = RGB(40, 160, 90);
    panel->SetColor(panelColour);
    auto* box = new TListBox(form);
    box->SetParent(panel);
    box->SetBounds(20, 20, 200, 108);
    box->SetParentColor(true);
    box->Font().Color = RGB(0, 0, 128);
    box->Items().Add("x");
    form->SetVisible(true);
    HWND list = box->Handle();

    // The list asks its parent for colours; the panel hands the question back
    // to the list box object.
    HDC dc = GetDC(list);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        panel->Handle(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list)));
    ASSERT_NE(brush, nullptr);
    LOGBRUSH logBrush{};
    GetObjectW(brush, sizeof(logBrush), &logBrush);
    EXPECT_EQ(logBrush.lbColor, panelColour);
    EXPECT_EQ(GetBkColor(dc), panelColour);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 128));
    ReleaseDC(list, dc);

    // On the screen: the empty part of the list shows the panel's colour.
    TPixels shot = capture::CaptureWindow(form->Handle());
    ASSERT_FALSE(shot.Empty());
    const RECT inside = capture::ClientRectIn(list, form->Handle());
    EXPECT_EQ(shot.At(inside.right - 3, inside.bottom - 3), TPixels::Rgb(panelColour));
    EXPECT_EQ(shot.At(inside.left + 2, inside.bottom - 3), TPixels::Rgb(panelColour));

    // An own colour replaces the parent's.
    box->SetColor(RGB(250, 250, 210));
    shot = capture::CaptureWindow(form->Handle());
    EXPECT_EQ(shot.At(inside.right - 3, inside.bottom - 3), TPixels::Rgb(RGB(250, 250, 210)));
}

// --- click routing -----------------------------------------------------------

TEST_F(Controls, AClickGoesToTheTopmostVisibleControlUnderThePointer) {
    TForm* form = MakeForm(300, 200);
    auto* lower = new TSpeedButton(form);
    lower->SetParent(form);
    lower->SetBounds(10, 10, 100, 100);
    lower->SetFlat(true);
    auto* upper = new TSpeedButton(form);
    upper->SetParent(form);
    upper->SetBounds(50, 50, 100, 100);
    upper->SetFlat(true);
    ClickRecorder recorder, other;
    lower->OnClick = recorder.Slot();
    upper->OnClick = recorder.Slot();
    form->Handle();

    ClickAt(form, 75, 75);  // where both lie: the later one is on top
    ASSERT_EQ(recorder.clicks.size(), 1u);
    EXPECT_EQ(recorder.clicks[0], upper);

    ClickAt(form, 20, 20);
    ASSERT_EQ(recorder.clicks.size(), 2u);
    EXPECT_EQ(recorder.clicks[1], lower);

    ClickAt(form, 250, 180);          // over no control
    ClickAt(form, 20, 20, 140, 140);  // pressed on one, released on another
    EXPECT_EQ(recorder.clicks.size(), 2u);

    upper->Hide();  // a hidden control lets the click through
    ClickAt(form, 75, 75);
    ASSERT_EQ(recorder.clicks.size(), 3u);
    EXPECT_EQ(recorder.clicks[2], lower);

    // Re-pointing the slot at run time moves the next click elsewhere.
    upper->Show();
    upper->OnClick = other.Slot();
    ClickAt(form, 140, 140);
    EXPECT_EQ(recorder.clicks.size(), 3u);
    ASSERT_EQ(other.clicks.size(), 1u);
    EXPECT_EQ(other.clicks[0], upper);
}

TEST_F(Controls, ClicksReachWindowlessControlsInsideAPanel) {
    TForm* form = MakeForm(200, 100);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetAlign(TAlign::alClient);
    auto* image = new TImage(form);
    image->SetParent(panel);
    image->SetBounds(0, 0, 200, 100);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    label->SetBounds(10, 10, 50, 20);
    ClickRecorder recorder;
    image->OnClick = recorder.Slot();
    label->OnClick = recorder.Slot();
    form->Handle();

    ClickAt(panel, 20, 15);
    ClickAt(panel, 150, 80);
    ASSERT_EQ(recorder.clicks.size(), 2u);
    EXPECT_EQ(recorder.clicks[0], label);
    EXPECT_EQ(recorder.clicks[1], image);
}

// --- painting ----------------------------------------------------------------

TEST_F(Controls, BevelsAreLightAboveAndLeftAndDarkBelowAndRight) {
    const uint32_t light = TPixels::Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
    const uint32_t dark = TPixels::Rgb(GetSysColor(COLOR_BTNSHADOW));
    const uint32_t blue = TPixels::Rgb(kBlue);
    RECT inner{};
    TPixels raised = capture::RenderOver(kBlue, 20, 20, [&](HDC dc) {
        inner = RECT{0, 0, 20, 20};
        DrawBevel(dc, inner, TBevelCut::bvRaised, 3);
    });
    EXPECT_EQ(inner.left, 3);
    EXPECT_EQ(inner.top, 3);
    EXPECT_EQ(inner.right, 17);
    EXPECT_EQ(inner.bottom, 17);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(raised.At(i, 10), light) << "left ring " << i;
        EXPECT_EQ(raised.At(10, i), light) << "top ring " << i;
        EXPECT_EQ(raised.At(19 - i, 10), dark) << "right ring " << i;
        EXPECT_EQ(raised.At(10, 19 - i), dark) << "bottom ring " << i;
    }
    EXPECT_EQ(raised.At(0, 0), light);
    EXPECT_EQ(raised.At(19, 0), dark);
    EXPECT_EQ(raised.At(0, 19), dark);
    EXPECT_EQ(raised.At(10, 10), blue);  // the inside is left alone
    EXPECT_EQ(raised.At(3, 3), blue);

    TPixels lowered = capture::Render(20, 20, [&](HDC dc) {
        RECT all{0, 0, 20, 20};
        DrawBevel(dc, all, TBevelCut::bvLowered, 2);
    });
    EXPECT_EQ(lowered.At(1, 10), dark);
    EXPECT_EQ(lowered.At(18, 10), light);
}

TEST_F(Controls, PanelAndCentredPictureShowThePicturesPixelsOnScreen) {
    TForm* form = MakeForm(405, 262);
    ASSERT_NE(form->Handle(), nullptr);
    ASSERT_EQ(form->Dpi(), 96) << "this check compares pixels one to one";
    auto* panel = new TPanel(form);
    panel->SetBounds(0, 0, 10, 10);
    panel->SetParent(form);
    panel->SetAlign(TAlign::alClient);
    panel->SetBevelInner(TBevelCut::bvRaised);
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetBevelWidth(3);
    auto* image = new TImage(form);
    image->SetParent(panel);
    image->SetBounds(3, 3, 399, 256);
    image->SetCenter(true);
    image->LoadFromResource(GetModuleHandleW(nullptr), IDB_ABOUT);
    ASSERT_EQ(image->Picture().Width(), ABOUT_BITMAP_WIDTH);
    ASSERT_EQ(image->Picture().Height(), ABOUT_BITMAP_HEIGHT);
    form->SetVisible(true);

    // The panel fills the form's client area.
    RECT panelClient;
    GetClientRect(panel->Handle(), &panelClient);
    EXPECT_EQ(panelClient.right, 405);
    EXPECT_EQ(panelClient.bottom, 262);
    EXPECT_EQ(panel->Width(), 405);
    EXPECT_EQ(panel->Height(), 262);

    TPixels shot = capture::CaptureWindow(form->Handle());
    ASSERT_EQ(shot.width, 405);
    ASSERT_EQ(shot.height, 262);
    const uint32_t light = TPixels::Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
    const uint32_t dark = TPixels::Rgb(GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(0, 100), light);
    EXPECT_EQ(shot.At(2, 100), light);
    EXPECT_EQ(shot.At(200, 1), light);
    EXPECT_EQ(shot.At(404, 100), dark);
    EXPECT_EQ(shot.At(402, 100), dark);
    EXPECT_EQ(shot.At(200, 261), dark);

    // Centred in 399 x 256: one column cut on the right, three rows above and
    // four below; the picture's row 0 lies under the top bevel.
    const RECT placed = image->PictureRect(RECT{3, 3, 402, 259}, 96);
    EXPECT_EQ(placed.left, 3);
    EXPECT_EQ(placed.top, 0);
    const TPixels picture = capture::BitmapPixels(image->Picture().Handle());
    int mismatches = 0;
    for (int y = 3; y < 259; ++y) {
        for (int x = 3; x < 402; ++x) {
            if (shot.At(x, y) != picture.At(x - placed.left, y - placed.top)) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(capture::DistinctColours(shot, RECT{3, 3, 402, 259}), 16u);
}

// The picture is decoded when it is first needed; its resource is checked
// when it is chosen, so a damaged one is still reported then.
TEST_F(Controls, APictureResourceIsCheckedWhenChosen) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDB_ABOUT), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    const std::vector<uint8_t> about(bytes, bytes + SizeofResource(module, resource));
    const auto size = static_cast<DWORD>(about.size());
    EXPECT_TRUE(IsPictureResource(about.data(), size));
    EXPECT_FALSE(IsPictureResource(about.data(), size - 1));  // cut short
    std::vector<uint8_t> changed = about;
    changed[changed.size() / 2] ^= 1;  // a pixel of the compressed data
    EXPECT_FALSE(IsPictureResource(changed.data(), size));
    EXPECT_FALSE(IsPictureResource(nullptr, 0));
    // Data that the imaging component cannot decode gives no picture.
    const std::vector<uint8_t> signatureOnly(about.begin(), about.begin() + 40);
    EXPECT_FALSE(DecodePngPicture(signatureOnly.data(), signatureOnly.size()));

    // The picture as drawn: its size, and the colours of its 64-colour palette.
    TOwned<TImage> decoded(new TImage(nullptr));
    decoded->LoadFromResource(module, IDB_ABOUT);
    const TPixels ours = capture::BitmapPixels(decoded->Picture().Handle());
    EXPECT_EQ(ours.width, ABOUT_BITMAP_WIDTH);
    EXPECT_EQ(ours.height, ABOUT_BITMAP_HEIGHT);
    const size_t colours =
        capture::DistinctColours(ours, RECT{0, 0, ABOUT_BITMAP_WIDTH, ABOUT_BITMAP_HEIGHT});
    EXPECT_GT(colours, 32u);
    EXPECT_LE(colours, 64u);

    TOwned<TImage> image(new TImage(nullptr));
    try {
        image->LoadFromResource(module, 9999);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Picture resource 9999 not found");
    }
    EXPECT_TRUE(image->Picture().Empty());
}

TEST_F(Controls, PictureIsSmoothlyScaledAndCentredAtHigherDpi) {
    TOwned<TImage> image(new TImage(nullptr));
    image->SetCenter(true);
    image->LoadFromResource(GetModuleHandleW(nullptr), IDB_ABOUT);
    const TPixels original = capture::BitmapPixels(image->Picture().Handle());

    // 399 x 256 at 144 DPI is 599 x 384; the picture becomes 600 x 395.
    const RECT bounds{0, 0, 599, 384};
    const RECT placed = image->PictureRect(bounds, 144);
    EXPECT_EQ(placed.right - placed.left, 600);
    EXPECT_EQ(placed.bottom - placed.top, 395);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, -5);

    auto paint = [&](int dpi) {
        return capture::RenderOver(kBlue, 600, 400, [&](HDC dc) { image->Paint(dc, bounds, dpi); });
    };
    const TPixels scaled = paint(144);
    // The filter blends neighbouring pixels: many more tones than the 64 of
    // the picture's palette. Plain pixel doubling would add none.
    const size_t originalColours =
        capture::DistinctColours(original, RECT{0, 0, original.width, original.height});
    EXPECT_LE(originalColours, 64u);
    EXPECT_GT(capture::DistinctColours(scaled, RECT{0, 0, 600, 390}), 2 * originalColours);
    // The picture ends at row 390; below it the background is untouched.
    EXPECT_EQ(scaled.At(300, 395), TPixels::Rgb(kBlue));
    EXPECT_NE(scaled.At(300, 385), TPixels::Rgb(kBlue));

    // The scaled picture keeps the original's tones: the mean colour of a
    // block matches the mean of the block it was scaled from.
    auto mean = [](const TPixels& p, int x0, int y0, int x1, int y1, int shift) {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) sum += (p.At(x, y) >> shift) & 0xFF;
        return sum / ((x1 - x0) * (y1 - y0));
    };
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(mean(scaled, 30, 25, 570, 385, shift), mean(original, 20, 20, 380, 260, shift), 4.0)
            << "channel at bit " << shift;
    }

    // Painted again at the same DPI from the kept copy: the same pixels.
    EXPECT_EQ(paint(144).data, scaled.data);
    // At 96 DPI the picture is copied as it is.
    const TPixels plain = paint(96);
    const RECT placed96 = image->PictureRect(bounds, 96);
    EXPECT_EQ(placed96.left, (599 - 400) / 2);
    EXPECT_EQ(placed96.top, (384 - 263) / 2);
    EXPECT_EQ(plain.At(placed96.left + 10, placed96.top + 20), original.At(10, 20));
    EXPECT_EQ(plain.At(placed96.left + 399, placed96.top + 262), original.At(399, 262));
    EXPECT_EQ(plain.At(placed96.left - 1, placed96.top), TPixels::Rgb(kBlue));
}

TEST_F(Controls, LabelDrawsItsCaptionTransparentlyOrOnItsOwnBackground) {
    TOwned<TLabel> label(new TLabel(nullptr));
    label->SetCaption("Olmar on the Web");
    label->Font().Name = "Arial";
    label->Font().Height = -16;
    label->Font().Bold = true;
    label->Font().Color = RGB(255, 0, 0);
    const RECT area{0, 0, 140, 24};
    auto paint = [&] {
        return capture::RenderOver(kBlue, 140, 24, [&](HDC dc) { label->Paint(dc, area, 96); });
    };
    auto count = [](const TPixels& p, uint32_t colour) {
        int n = 0;
        for (uint32_t c : p.data) n += c == colour;
        return n;
    };

    label->SetTransparent(true);
    TPixels transparent = paint();
    EXPECT_GT(capture::RedPixels(transparent, area), 40);
    EXPECT_GT(count(transparent, TPixels::Rgb(kBlue)), 140 * 24 / 2);

    label->SetTransparent(false);
    label->SetColor(RGB(0, 200, 0));
    TPixels opaque = paint();
    EXPECT_GT(capture::RedPixels(opaque, area), 40);
    EXPECT_EQ(count(opaque, TPixels::Rgb(kBlue)), 0);
    EXPECT_GT(count(opaque, TPixels::Rgb(RGB(0, 200, 0))), 140 * 24 / 2);

    label->SetCaption("");
    label->SetTransparent(true);
    EXPECT_EQ(count(paint(), TPixels::Rgb(kBlue)), 140 * 24);
}

TEST_F(Controls, AnAutoSizedLabelTakesTheSizeOfItsTextAtItsParentsDpi) {
    TForm* form = MakeForm(300, 100);
    form->Handle();
    auto* label = new TLabel(form);
    label->SetBounds(10, 20, 5, 5);
    label->SetParent(form);
    label->Font().Name = "Arial";
    label->Font().Height = -16;
    label->Font().Bold = true;
    label->SetCaption("Olmar on the Web");
    label->FontChanged();

    auto measure = [&](const std::wstring& text) {
        HDC dc = GetDC(nullptr);
        TUniqueFont font = label->Font().Create(form->Dpi());
        HGDIOBJ old = SelectObject(dc, font.Get());
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size;
    };
    const SIZE text = measure(L"Olmar on the Web");
    EXPECT_EQ(label->Left(), 10);
    EXPECT_EQ(label->Top(), 20);
    EXPECT_GE(form->Scale(label->Width()), text.cx);
    EXPECT_LE(form->Scale(label->Width()), text.cx + 2);
    EXPECT_GE(form->Scale(label->Height()), text.cy);

    const int width = label->Width();
    label->SetCaption("Olmar on the World Wide Web");
    EXPECT_GT(label->Width(), width);

    // Without AutoSize the bounds stay as set.
    label->SetAutoSize(false);
    label->SetBounds(10, 20, 40, 10);
    label->SetCaption("a much longer caption than forty pixels");
    EXPECT_EQ(label->Width(), 40);
    EXPECT_EQ(label->Height(), 10);
}

TEST_F(Controls, FlatSpeedButtonWithoutCaptionDrawsNothing) {
    TOwned<TSpeedButton> button(new TSpeedButton(nullptr));
    const RECT area{0, 0, 40, 20};
    auto paint = [&] {
        return capture::RenderOver(kBlue, 40, 20, [&](HDC dc) { button->Paint(dc, area, 96); });
    };
    button->SetFlat(true);
    for (uint32_t c : paint().data) ASSERT_EQ(c, TPixels::Rgb(kBlue));
    button->SetFlat(false);
    EXPECT_NE(paint().At(20, 10), TPixels::Rgb(kBlue));
}

}  // namespace
