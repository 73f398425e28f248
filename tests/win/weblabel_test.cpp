// TWebLabel against the real Win32 API: what a click hands to the shell, the
// shell really opening a target, and the lifetime of the link cursor.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WebLabel/WebLabel.h"
#include "core/Utf.h"
#include "resource.h"
#include "support/Capture.h"
#include "support/Win32Helpers.h"
#include "win/Application.h"
#include "win/Forms.h"

namespace {

struct ShellCall {
    HWND owner;
    std::wstring verb;
    std::wstring file;
    bool hasParameters;
    bool hasDirectory;
    int show;
};

class WebLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        application_ = std::make_unique<TApplication>();
        LinkShellExecuteSeam.Replace([this](HWND owner, const wchar_t* verb, const wchar_t* file,
                                            const wchar_t* parameters, const wchar_t* directory, int show) {
            events_.push_back("shell");
            calls_.push_back(ShellCall{owner, verb ? verb : L"<null>", file ? file : L"<null>",
                                       parameters != nullptr, directory != nullptr, show});
            return reinterpret_cast<HINSTANCE>(42);
        });
    }
    void TearDown() override { LinkShellExecuteSeam.Replace(nullptr); }

    // Notes OnClick in the same log as the shell calls, to see their order.
    struct ClickLog : TObject {
        std::vector<std::string>* events = nullptr;
        void Clicked(TObject*) { events->push_back("OnClick"); }
    };
    TNotifyEvent OnClickSlot() {
        clickLog_.events = &events_;
        return TNotifyEvent(&clickLog_, &ClickLog::Clicked);
    }

    static bool NamesACursor(HCURSOR cursor) {
        ICONINFO info{};
        if (!GetIconInfo(cursor, &info)) return false;
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        return true;
    }

    std::unique_ptr<TApplication> application_;
    std::vector<ShellCall> calls_;
    std::vector<std::string> events_;
    ClickLog clickLog_;
};

// Made in code, with nothing but a caption, the link draws as a label in bold
// red 12-point Arial over its parent's background.
TEST_F(WebLabelTest, DrawsItsCaptionInBoldRedArialOverItsParent) {
    TOwned<TWebLabel> link(new TWebLabel(nullptr));
    TOwned<TLabel> reference(new TLabel(nullptr));
    link->SetCaption("Example on the Web");
    reference->SetCaption("Example on the Web");
    reference->Font().Name = "Arial";
    reference->Font().Height = -16;
    reference->Font().Bold = true;
    reference->Font().Color = RGB(255, 0, 0);
    reference->SetTransparent(true);
    const RECT area{0, 0, 160, 24};
    const auto paint = [&](TLabel* label) {
        return capture::RenderOver(RGB(0, 0, 255), 160, 24, [&](HDC dc) { label->Paint(dc, area, 96); });
    };
    const capture::TPixels drawn = paint(link.Get());
    EXPECT_GT(capture::RedPixels(drawn, area), 60);
    EXPECT_EQ(drawn.data, paint(reference.Get()).data);
}

TEST_F(WebLabelTest, AClickHandsTheCompletedAddressToTheShellAfterOnClick) {
    TOwned<TWebLabel> label(new TWebLabel(nullptr));
    label->OnClick = OnClickSlot();
    struct Case {
        const char* url;
        const wchar_t* target;
    };
    const Case cases[] = {
        {"www.example.com", L"http://www.example.com"},
        {"https://secure.example.com/a?b=c", L"https://secure.example.com/a?b=c"},
        {"http://www.example.com/", L"http://www.example.com/"},
        // Upper-case schemes are http addresses too and open unchanged.
        {"HTTP://WWW.EXAMPLE.COM/", L"HTTP://WWW.EXAMPLE.COM/"},
        {"ftp://files.example.com", L"http://ftp://files.example.com"},
        {"www.example.com/http", L"http://www.example.com/http"},
        {"b\xC3\xBC"
         "cher.example",
         L"http://b\u00FC"
         L"cher.example"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        calls_.clear();
        events_.clear();
        label->SetURL(c.url);
        label->Click();
        ASSERT_EQ(calls_.size(), 1u);
        EXPECT_EQ(calls_[0].file, c.target);
        EXPECT_EQ(calls_[0].verb, L"open");
        EXPECT_EQ(calls_[0].owner, Application->Handle());
        EXPECT_FALSE(calls_[0].hasParameters);
        EXPECT_FALSE(calls_[0].hasDirectory);
        EXPECT_EQ(calls_[0].show, SW_SHOWDEFAULT);
        EXPECT_EQ(events_, (std::vector<std::string>{"OnClick", "shell"}));
        // The completion is made for the click only; the address stays as set.
        EXPECT_EQ(label->URL(), c.url);
    }
}

TEST_F(WebLabelTest, WithoutUseLinkAClickOnlyFiresOnClick) {
    TOwned<TWebLabel> label(new TWebLabel(nullptr));
    label->OnClick = OnClickSlot();
    label->SetUseLink(false);
    EXPECT_FALSE(label->UseLink());
    label->Click();
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(events_, std::vector<std::string>{"OnClick"});

    // Without an OnClick handler nothing happens at all.
    label->OnClick = nullptr;
    label->Click();
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(events_.size(), 1u);
}

TEST_F(WebLabelTest, OnAWindowTheLabelShowsTheHandOnceLoadedAndOpensItsLinkWhenClicked) {
    TOwned<TForm> form(new TForm(nullptr));
    form->SetClientSize(300, 100);
    auto* label = new TWebLabel(form.Get());
    label->SetCaption("Example on the Web");
    label->SetURL("www.example.com");
    label->SetParent(form.Get());
    label->SetBounds(20, 30, 117, 19);
    form->SetVisible(true);
    HWND window = form->Handle();

    // The pointer over the label: the parent answers WM_SETCURSOR with the
    // label's cursor from the application's table; made in code, the label
    // has none and the window's own arrow stays.
    POINT centre{form->Scale(20 + 58), form->Scale(30 + 9)};
    ClientToScreen(window, &centre);
    ASSERT_TRUE(MoveCursor(centre.x, centre.y)) << "the pointer did not move over the label";
    const auto setCursor = [&] {
        return SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    setCursor();
    EXPECT_NE(GetCursor(), Application->Cursor(TWebLabel::kLinkCursor));
    // Read from a stored description, it takes the link cursor.
    label->BeginLoading();
    label->Loaded();
    EXPECT_EQ(setCursor(), TRUE);
    EXPECT_EQ(GetCursor(), Application->Cursor(TWebLabel::kLinkCursor));

    ClickAt(form.Get(), 40, 38);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].file, L"http://www.example.com");
}

TEST_F(WebLabelTest, InstallsTheHandAsCursorOneAndReleasesItExactlyOnce) {
    // Whatever sat at index 1 is replaced and destroyed.
    const BYTE andMask[32 * 4] = {}, xorMask[32 * 4] = {};
    HCURSOR previous = CreateCursor(GetModuleHandleW(nullptr), 0, 0, 32, 32, andMask, xorMask);
    ASSERT_NE(previous, nullptr);
    Application->SetCursor(TWebLabel::kLinkCursor, previous);

    auto* label = new TWebLabel(nullptr);
    EXPECT_FALSE(NamesACursor(previous));
    HCURSOR hand = Application->Cursor(TWebLabel::kLinkCursor);
    ASSERT_NE(hand, nullptr);
    EXPECT_NE(hand, LoadCursorW(nullptr, IDC_ARROW));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, static_cast<DWORD>(HARROW_HOTSPOT_X));
    EXPECT_EQ(info.yHotspot, static_cast<DWORD>(HARROW_HOTSPOT_Y));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    TComponent::Free(label);
    // The label destroyed its cursor and took it out of the table, so the
    // table's own clean-up has nothing left to destroy a second time.
    EXPECT_FALSE(NamesACursor(hand));
    EXPECT_EQ(Application->Cursor(TWebLabel::kLinkCursor), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(Application->ReleaseCursor(TWebLabel::kLinkCursor), nullptr);

    // A later label installs a fresh hand of its own.
    auto* second = new TWebLabel(nullptr);
    HCURSOR secondHand = Application->Cursor(TWebLabel::kLinkCursor);
    EXPECT_TRUE(NamesACursor(secondHand));
    TComponent::Free(second);
    EXPECT_FALSE(NamesACursor(secondHand));
}

// The real ShellExecuteW: an address that begins with "http" is opened as it
// is, so a folder of that name in the current directory is what the shell
// opens, in a window titled with the folder's name.
TEST_F(WebLabelTest, TheRealShellOpensTheTarget) {
    LinkShellExecuteSeam.Replace(nullptr);
    const TScratchFolder scratch(L"brivane-weblabel", true);
    const std::wstring name = L"httpweblabel" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW((scratch.Path() / name).c_str(), nullptr));

    TOwned<TWebLabel> label(new TWebLabel(nullptr));
    label->SetURL(Narrow(name));
    label->Click();

    EXPECT_TRUE(PumpUntil([&] { return !WindowsTitled(name).empty(); }, 20000))
        << "no window titled with " << Narrow(name) << " appeared";
    for (HWND opened : WindowsTitled(name)) PostMessageW(opened, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return WindowsTitled(name).empty(); }, 10000));
}

}  // namespace
