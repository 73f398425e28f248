// The About window end to end, with the main window made in this process:
// its controls as the stored description places them, the version lines, the
// way it is shown and hidden into the notification area, the web link, and
// what it looks like at 96 and 144 DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "WebLabel/WebLabel.h"
#include "core/Utf.h"
#include "resource.h"
#include "support/Capture.h"
#include "support/DpiChildRun.h"
#include "support/FormTestSupport.h"
#include "support/RegistryBackup.h"
#include "support/Win32Helpers.h"
#include "support/WinTestSupport.h"
#include "win/Application.h"
#include "win/ExtCtrls.h"
#include "win/StdCtrls.h"

namespace {

using capture::TPixels;

// A string of this program's own version resource (the test program links
// the same compiled .rc as brivane.exe), read through the version service
// itself rather than through the reader the About window uses.
std::string OwnVersionString(const wchar_t* name) { return Narrow(VersionString(ModulePath(), name)); }

// The thirteen lines in their order: the resource's values between the fixed
// texts, blank lines between the groups.
std::vector<std::string> ExpectedVersionLines() {
    return {
        OwnVersionString(L"ProductName") + " " + OwnVersionString(L"FileVersion"),
        "",
        OwnVersionString(L"FileDescription"),
        "",
        "Copyright: " + OwnVersionString(L"LegalCopyright"),
        "",
        "Author: The Brivane team, " + OwnVersionString(L"CompanyName"),
        "",
        "With thanks to:",
        "The testers of Olmar",
        "The translators of Olmar",
        "and to absent friends",
        "",
    };
}

// The child run that takes the screenshots at a given DPI.
constexpr wchar_t kShotDpiVariable[] = L"BRIVANE_ABOUT_SHOT_DPI";
constexpr char kShotTest[] = "AboutWindow.DISABLED_ScreenshotAtTheSessionsDpi";

class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override {
        LinkShellExecuteSeam.Replace(
            [this](HWND, const wchar_t*, const wchar_t* file, const wchar_t*, const wchar_t*, int) {
                opened.push_back(file);
                return reinterpret_cast<HINSTANCE>(42);
            });
        form = app.app.CreateForm<TMainWindow>();
    }
    void TearDown() override {
        app.app.DestroyComponents();
        LinkShellExecuteSeam.Replace(nullptr);
    }

    // The lines as the list box window holds them.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const std::wstring& line : ListBoxLines(Named<TListBox>(form, "VersionLines")->Handle()))
            lines.push_back(Narrow(line));
        return lines;
    }

    void ExpectLinesHidden() {
        EXPECT_FALSE(Named<TListBox>(form, "VersionLines")->Visible());
        EXPECT_FALSE(IsWindowVisible(Named<TListBox>(form, "VersionLines")->Handle()));
    }
    void ExpectLinesShown() {
        EXPECT_TRUE(Named<TListBox>(form, "VersionLines")->Visible());
        EXPECT_EQ(Lines(), ExpectedVersionLines());
    }
    void ShowAndWait() {
        Named<TMenuItem>(form, "AboutItem")->Click();
        ASSERT_TRUE(
            PumpUntil([&] { return IsWindowVisible(form->Handle()) && !IsIconic(app.app.Handle()); }));
    }

    TTestApplication app;
    TDesktopParameterRecorder parameters;
    TNotifyRecorder tray;
    TMainWindow* form = nullptr;
    std::vector<std::wstring> opened;
};

// What the screenshots below cannot show: the pointer over the link, and the
// lines box holding whole lines only.
TEST_F(AboutWindow, ThePointerOverTheLinkIsTheHandAndTheBoxShowsEightWholeLines) {
    ShowAndWait();
    POINT link{Named<TPanel>(form, "AboutPanel")->Scale(144 + 20),
               Named<TPanel>(form, "AboutPanel")->Scale(226 + 9)};
    ClientToScreen(Named<TPanel>(form, "AboutPanel")->Handle(), &link);
    ASSERT_TRUE(MoveCursor(link.x, link.y));
    HWND panel = Named<TPanel>(form, "AboutPanel")->Handle();
    EXPECT_EQ(SendMessageW(panel, WM_SETCURSOR, reinterpret_cast<WPARAM>(panel), MAKELPARAM(HTCLIENT, 0)),
              TRUE);
    ICONINFO hand{};
    ASSERT_TRUE(GetIconInfo(GetCursor(), &hand));
    EXPECT_EQ(hand.xHotspot, static_cast<DWORD>(HARROW_HOTSPOT_X));
    EXPECT_EQ(hand.yHotspot, static_cast<DWORD>(HARROW_HOTSPOT_Y));
    if (hand.hbmMask) DeleteObject(hand.hbmMask);
    if (hand.hbmColor) DeleteObject(hand.hbmColor);

    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    HWND box = Named<TListBox>(form, "VersionLines")->Handle();
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.bottom, 8 * SendMessageW(box, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(SendMessageW(box, LB_GETITEMHEIGHT, 0, 0), form->Scale(13));
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(AboutWindow, TheButtonShowsAndHidesExactlyThirteenVersionLines) {
    // The expected lines are only as good as the resource read for them.
    ASSERT_EQ(OwnVersionString(L"FileVersion"), BRIVANE_VERSION_TEXT);
    ASSERT_FALSE(OwnVersionString(L"ProductName").empty());
    ExpectLinesHidden();
    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    {
        SCOPED_TRACE("first show");
        ExpectLinesShown();
    }
    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    ExpectLinesHidden();
    // The lines stay in the list while hidden and are read afresh next time.
    EXPECT_EQ(Lines().size(), 13u);
    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    {
        SCOPED_TRACE("second show");
        ExpectLinesShown();
    }
    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    ExpectLinesHidden();
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(AboutWindow, AboutShowsTheWindowAndAPictureClickHidesItIntoTheTray) {
    HWND window = form->Handle();
    HWND appWindow = app.app.Handle();
    EXPECT_FALSE(IsWindowVisible(window));

    ShowAndWait();

    // A click on the product's name shows the lines over the picture.
    ClickAt(Named<TPanel>(form, "AboutPanel"), 80 + 120, 62 + 24);
    EXPECT_TRUE(IsWindowVisible(Named<TListBox>(form, "VersionLines")->Handle()));
    ExpectLinesShown();

    // A click on the picture elsewhere: the lines go, the window goes and the
    // application is minimised into the notification area.
    ClickAt(Named<TPanel>(form, "AboutPanel"), 30, 30);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window) && IsIconic(appWindow); }));
    ExpectLinesHidden();
    EXPECT_FALSE(IsWindowVisible(appWindow));
    EXPECT_TRUE(Named<TTrayIcon>(form, "TrayIcon")->IconVisible());

    // "About" again: the window comes back with the lines hidden, ready to
    // show them.
    ShowAndWait();
    ExpectLinesHidden();
    ClickAt(Named<TPanel>(form, "AboutPanel"), 80 + 10, 62 + 10);
    ExpectLinesShown();
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(AboutWindow, TheWebLinkOpensTheMakersSite) {
    Named<TMenuItem>(form, "AboutItem")->Click();
    ClickAt(Named<TPanel>(form, "AboutPanel"), 144 + 50, 226 + 9);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"http://www.example.com");
    // The link lies outside the button and above the picture: neither fired.
    ExpectLinesHidden();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// --- screenshots -------------------------------------------------------------

std::wstring ScreenshotFolder() {
    const std::wstring folder = BuildDirectory() + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The path as the host sees it, for a person to open.
std::string HostPath(const std::wstring& path) {
    std::string text = Narrow(path);
    if (text.size() > 2 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':') {
        text.erase(0, 2);
        for (char& c : text) c = c == '\\' ? '/' : c;
    }
    return text;
}

std::wstring ShotPath(int dpi, const wchar_t* suffix) {
    return ScreenshotFolder() + L"\\about-" + std::to_wstring(dpi) + L"dpi" + suffix + L".png";
}

// Taken by a child run of this program (see the test below), since the DPI is
// read once when a process starts.
TEST_F(AboutWindow, DISABLED_ScreenshotAtTheSessionsDpi) {
    wchar_t value[16] = {};
    ASSERT_GT(GetEnvironmentVariableW(kShotDpiVariable, value, 16), 0u) << "run by ScreenshotsAt96And144Dpi";
    const int dpi = _wtoi(value);

    ShowAndWait();
    ASSERT_EQ(form->Dpi(), dpi);
    HWND window = form->Handle();
    RECT client;
    GetClientRect(window, &client);
    // 405 x 262 at 96 DPI; at 144 DPI the width is 607.5 pixels, and which
    // way it rounds depends on where the window lies.
    EXPECT_NEAR(client.right, 405 * dpi / 96.0, 0.5);
    EXPECT_NEAR(client.bottom, 262 * dpi / 96.0, 0.5);
    RECT panel;
    GetClientRect(Named<TPanel>(form, "AboutPanel")->Handle(), &panel);
    EXPECT_EQ(panel.right, client.right);
    EXPECT_EQ(panel.bottom, client.bottom);

    const TPixels shot = capture::CaptureWindow(window);
    ASSERT_EQ(shot.width, client.right);
    const uint32_t light = TPixels::Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
    const uint32_t dark = TPixels::Rgb(GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(1, shot.height / 2), light);
    EXPECT_EQ(shot.At(shot.width / 2, 1), light);
    EXPECT_EQ(shot.At(shot.width - 2, shot.height / 2), dark);
    EXPECT_EQ(shot.At(shot.width / 2, shot.height - 2), dark);
    const RECT picture =
        Named<TPanel>(form, "AboutPanel")->ScaleRect(Named<TImage>(form, "AboutPicture")->BoundsRect());
    const size_t tones = capture::DistinctColours(shot, picture);
    EXPECT_GT(tones, 16u);
    if (dpi > 96) {
        EXPECT_GT(tones, 128u) << "the scaled picture is not smoothed";
    }
    const RECT link =
        Named<TPanel>(form, "AboutPanel")->ScaleRect(Named<TWebLabel>(form, "WebLink")->BoundsRect());
    EXPECT_GT(capture::RedPixels(shot, link), MulDiv(MulDiv(60, dpi, 96), dpi, 96));
    EXPECT_EQ(capture::RedPixels(shot, RECT{picture.right, 0, shot.width, shot.height}), 0)
        << "past the picture";
    const std::wstring plain = ShotPath(dpi, L"");
    ASSERT_TRUE(capture::WritePng(plain, shot));
    std::printf("screenshot: %s\n", HostPath(plain).c_str());

    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    const TPixels lines = capture::CaptureWindow(window);
    const RECT box = capture::ClientRectIn(Named<TListBox>(form, "VersionLines")->Handle(), window);
    // The list shows the button face behind its lines, and dark text on it.
    const uint32_t face = TPixels::Rgb(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(lines.At(box.right - 3, box.bottom - 3), face);
    EXPECT_EQ(lines.At(box.right - 3, box.top + 2), face);
    int text = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const uint32_t c = lines.At(x, y);
            text += ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF) < 150;
        }
    }
    EXPECT_GT(text, MulDiv(MulDiv(300, dpi, 96), dpi, 96));
    const std::wstring withLines = ShotPath(dpi, L"-lines");
    ASSERT_TRUE(capture::WritePng(withLines, lines));
    std::printf("screenshot: %s\n", HostPath(withLines).c_str());
}

// Runs the screenshot test in a child process at `dpi` and returns the
// child's exit code.
DWORD RunScreenshotChild(int dpi) { return RunTestAtDpi(dpi, kShotDpiVariable, Widen(kShotTest)); }

// Width and height from a PNG file's header; 0, 0 when it is not one.
std::pair<uint32_t, uint32_t> PngSize(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return {0, 0};
    unsigned char header[24] = {};
    const size_t read = fread(header, 1, sizeof(header), file);
    fclose(file);
    if (read != sizeof(header) || header[1] != 'P' || header[12] != 'I') return {0, 0};
    auto big = [&](int at) {
        return (uint32_t(header[at]) << 24) | (uint32_t(header[at + 1]) << 16) |
               (uint32_t(header[at + 2]) << 8) | header[at + 3];
    };
    return {big(16), big(20)};
}

TEST(AboutWindowScreenshots, At96And144Dpi) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        DeleteFileW(ShotPath(dpi, L"").c_str());
        DeleteFileW(ShotPath(dpi, L"-lines").c_str());
        EXPECT_EQ(RunScreenshotChild(dpi), 0u) << "the child run's checks failed (its output is above)";
        for (const wchar_t* suffix : {L"", L"-lines"}) {
            const auto [width, height] = PngSize(ShotPath(dpi, suffix));
            EXPECT_NEAR(width, 405 * dpi / 96.0, 0.5) << Narrow(suffix);
            EXPECT_NEAR(height, 262 * dpi / 96.0, 0.5) << Narrow(suffix);
        }
    }
}

}  // namespace
