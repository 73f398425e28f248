// The tray icon and the menu's own images at the system's small-icon size,
// at 96, 120, 144 and 192 DPI. Each DPI runs in a child process of this
// program, since a process reads the DPI once, when it starts. In each, the
// scaling and the taskbar's theme then change while the program runs: the
// icon sent to the notification area, the menu's images and the About
// window's layout follow.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "MainWindow.h"
#include "SettingsWindow.h"
#include "TaskbarLook.h"
#include "TrayIcon/TrayIcon.h"
#include "resource.h"
#include "support/DpiChildRun.h"
#include "support/FormTestSupport.h"
#include "support/WinTestSupport.h"
#include "win/CarriedPointer.h"
#include "win/ExtCtrls.h"
#include "win/Handles.h"
#include "win/StdCtrls.h"

namespace {

constexpr wchar_t kDpiVariable[] = L"BRIVANE_IMAGE_SIZE_DPI";
constexpr wchar_t kChildTest[] = L"ImageSizeAtSessionDpi.DISABLED_TrayIconAndMenuImages";

// Width and height.
using TSize = std::pair<long, long>;

TSize BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// The size of an icon's colour image, as GetIconInfo hands it back.
TSize IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return {0, 0};
    const TUniqueBitmap colour(info.hbmColor);
    const TUniqueBitmap mask(info.hbmMask);
    return BitmapSize(colour ? colour.Get() : mask.Get());
}

// The width of the image that an icon group resource holds for `size`,
// as stored (PNG-compressed or as a bitmap): equal to `size` when the
// artwork was drawn at that size.
int StoredIconWidth(const wchar_t* group, int size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, group, RT_GROUP_ICON);
    auto* directory = found ? static_cast<BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    if (!directory) return 0;
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    const auto* data = image ? static_cast<const BYTE*>(LockResource(LoadResource(module, image))) : nullptr;
    if (!data) return 0;
    // A PNG's IHDR holds the width big-endian at byte 16.
    if (data[0] == 0x89 && data[1] == 'P') return data[16] << 24 | data[17] << 16 | data[18] << 8 | data[19];
    return reinterpret_cast<const BITMAPINFOHEADER*>(data)->biWidth;
}

// An icon's pixels drawn at `size`, to compare images by content.
std::vector<uint32_t> PixelsAt(HICON icon, int size) {
    TUniqueBitmap bitmap = RenderAlphaBitmap(
        size, size, [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); });
    DIBSECTION section{};
    GetObjectW(bitmap.Get(), sizeof section, &section);
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    return std::vector<uint32_t>(bits, bits + size * size);
}

// What the shell must get for the tray image `resource` at `size`, from the
// stored image as the system loads it: that image, or with `twoTone` (ink and
// paper) each pixel in a mix of the two, ink where the stored image is black
// and paper where it is white, with the stored image's alpha.
std::vector<uint32_t> ExpectedPixels(int resource, int size, const COLORREF* twoTone) {
    const TUniqueIcon stored(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0)));
    std::vector<uint32_t> pixels = PixelsAt(stored.Get(), size);
    if (!twoTone) return pixels;
    for (uint32_t& pixel : pixels) {
        const uint32_t alpha = pixel >> 24;
        if (alpha == 0) continue;
        const uint32_t white = std::min(255u, (pixel & 0xFF) * 255 / alpha);  // drawn premultiplied
        pixel = alpha << 24;
        for (const int shift : {0, 8, 16}) {  // blue, green, red: COLORREF holds them the other way round
            const uint32_t ink = twoTone[0] >> (16 - shift) & 0xFF, paper = twoTone[1] >> (16 - shift) & 0xFF;
            pixel |= (ink * (255 - white) + paper * white) / 255 * alpha / 255 << shift;
        }
    }
    return pixels;
}

// How many pixels of two images differ by more than rounding in a channel.
size_t PixelsApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t apart = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (const int shift : {0, 8, 16, 24})
            if (std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)) > 2) {
                ++apart;
                break;
            }
    }
    return apart;
}

// The icon as sent to the shell: its size and pixels.
struct THanded {
    TSize size;
    std::vector<uint32_t> pixels;
};

const wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

}  // namespace

// Run by ImageSizeAtDpi below, in a child process started at that DPI.
TEST(ImageSizeAtSessionDpi, DISABLED_TrayIconAndMenuImages) {
    const int dpi = ChildRunDpi(kDpiVariable);
    ASSERT_GT(dpi, 0) << "run by ImageSizeAtDpi";
    const int size = MulDiv(16, dpi, 96);
    const TSize expected{size, size};
    // The system's own figure: the manifest makes this process DPI aware.
    ASSERT_EQ(GetSystemMetrics(SM_CXSMICON), size);

    // Every icon handed to the shell, measured when it is handed over.
    std::vector<THanded> handed;
    NotifyIconSeam.Replace([&handed](DWORD message, NOTIFYICONDATAW& data) -> BOOL {
        if ((message == NIM_ADD || message == NIM_MODIFY) && (data.uFlags & NIF_ICON) && data.hIcon) {
            const TSize size = IconSize(data.hIcon);
            handed.push_back({size, PixelsAt(data.hIcon, size.first)});
        }
        return message != NIM_SETVERSION;
    });
    TRegistryValueBackup light(kPersonalizeKey, L"SystemUsesLightTheme");
    DeleteRegistryValue(kPersonalizeKey, L"SystemUsesLightTheme");
    TTestApplication app;
    TDesktopParameterRecorder parameters;
    TMainWindow* form = app.app.CreateForm<TMainWindow>();

    EXPECT_EQ(Named<TImageList>(form, "TrayImages")->Width(), size);
    EXPECT_EQ(Named<TImageList>(form, "TrayImages")->Height(), size);
    ASSERT_FALSE(handed.empty());
    for (const THanded& icon : handed) EXPECT_EQ(icon.size, expected);
    EXPECT_EQ(IconSize(Named<TTrayIcon>(form, "TrayIcon")->Icon()->Handle()), expected);
    form->TrayPictures().FitMenuImages(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    const std::vector<std::pair<const char*, TMenuItem*>> items = {
        {"ShowDesktopItem", Named<TMenuItem>(form, "ShowDesktopItem")},
        {"HideDesktopItem", Named<TMenuItem>(form, "HideDesktopItem")},
        {"AboutItem", Named<TMenuItem>(form, "AboutItem")},
        {"ExitItem", Named<TMenuItem>(form, "ExitItem")}};
    for (const auto& [name, item] : items) {
        EXPECT_EQ(BitmapSize(item->Bitmap().Handle()), expected) << name;
    }

    // While it runs: the primary monitor's DPI and the taskbar's theme change
    // (a Wine session has one DPI, read at start, and no high contrast: the
    // look function says what the system would), each told by one of the
    // messages that tell of it.
    int dpiNow = dpi;
    bool contrast = false;
    constexpr COLORREF kInk = RGB(255, 255, 0), kPaper = RGB(0, 0, 96);
    TaskbarLookSeam.Replace([&] {
        TTaskbarLook look = ReadTaskbarLook(dpiNow);
        if (contrast) look = TTaskbarLook{look.iconSize, TTaskbarTheme::HighContrast, kInk, kPaper};
        return look;
    });
    Named<TSpeedButton>(form, "VersionLinesButton")->Click();
    const UINT taskbarCreated = TTrayIcon::TaskbarCreatedMessage();
    struct TStep {
        int dpi;
        int light;  // -1: no value
        bool contrast;
        UINT message;
        const wchar_t* text;  // WM_SETTINGCHANGE's lParam
        int image;            // the resource of image 0 for the tray
    };
    const TStep steps[] = {{168, -1, false, WM_DISPLAYCHANGE, nullptr, IDI_TRAY_DARK_0},
                           {168, 1, false, WM_SETTINGCHANGE, L"ImmersiveColorSet", IDI_TRAY_IMAGE_0},
                           {192, 1, false, taskbarCreated, nullptr, IDI_TRAY_IMAGE_0},
                           {192, 1, true, WM_SETTINGCHANGE, nullptr, IDI_TRAY_CONTRAST_0},
                           {120, 0, false, WM_DPICHANGED, nullptr, IDI_TRAY_DARK_0},
                           {dpi, 1, false, WM_SYSCOLORCHANGE, nullptr, IDI_TRAY_IMAGE_0}};
    for (const TStep& step : steps) {
        SCOPED_TRACE("to " + std::to_string(step.dpi) + " DPI, message " + std::to_string(step.message));
        dpiNow = step.dpi;
        contrast = step.contrast;
        if (step.light < 0) {
            DeleteRegistryValue(kPersonalizeKey, L"SystemUsesLightTheme");
        } else {
            SetRegistryDword(kPersonalizeKey, L"SystemUsesLightTheme", static_cast<DWORD>(step.light));
        }
        handed.clear();
        const int newSize = MulDiv(16, step.dpi, 96);
        RECT suggested{0, 0, MulDiv(405, step.dpi, 96), MulDiv(262, step.dpi, 96)};
        SendMessageW(form->Handle(), step.message,
                     step.message == WM_DPICHANGED ? MAKEWPARAM(step.dpi, step.dpi) : SPI_SETHIGHCONTRAST,
                     step.message == WM_DPICHANGED ? reinterpret_cast<LPARAM>(&suggested)
                                                   : reinterpret_cast<LPARAM>(step.text));
        // The icon sent once, at the new size, drawn for the taskbar.
        ASSERT_EQ(handed.size(), 1u);
        ASSERT_EQ(handed[0].size, TSize(newSize, newSize));
        // Image 0 or 1, as the desktop is shown or hidden (hidden here: no shell).
        const int image = step.image + (form->Desktop().Hidden() ? 1 : 0);
        const COLORREF twoTone[] = {kInk, kPaper};
        EXPECT_EQ(
            PixelsApart(handed[0].pixels, ExpectedPixels(image, newSize, step.contrast ? twoTone : nullptr)),
            0u);
        for (const auto& [name, item] : items) {
            EXPECT_EQ(BitmapSize(item->Bitmap().Handle()), TSize(newSize, newSize)) << name;
        }
        if (step.message != WM_DPICHANGED) continue;
        // The About window, moved to a monitor of that DPI, lays out every
        // control again with fonts at the new size.
        EXPECT_EQ(form->Dpi(), step.dpi);
        RECT panel{}, lines{};
        GetWindowRect(Named<TPanel>(form, "AboutPanel")->Handle(), &panel);
        GetWindowRect(Named<TListBox>(form, "VersionLines")->Handle(), &lines);
        EXPECT_EQ(panel.right - panel.left, suggested.right);
        EXPECT_EQ(lines.left - panel.left, MulDiv(80, step.dpi, 96));
        EXPECT_EQ(lines.top - panel.top, MulDiv(110, step.dpi, 96));
        EXPECT_EQ(lines.right - lines.left, MulDiv(245, step.dpi, 96));
        const LRESULT lineHeight =
            SendMessageW(Named<TListBox>(form, "VersionLines")->Handle(), LB_GETITEMHEIGHT, 0, 0);
        EXPECT_EQ(lineHeight, 13 * step.dpi / 96);
        EXPECT_EQ((lines.bottom - lines.top - 4) % lineHeight, 0);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(
                       SendMessageW(Named<TListBox>(form, "VersionLines")->Handle(), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        EXPECT_EQ(font.lfHeight, MulDiv(-11, step.dpi, 96));
    }

    app.app.DestroyComponents();
    TaskbarLookSeam.Replace(nullptr);
    NotifyIconSeam.Replace(nullptr);
}

// Every icon holds its image drawn at each small-icon size from 100 to 300 %.
TEST(StoredIcons, EveryIconIsDrawnAtEverySmallIconSize) {
    for (int id :
         {IDI_MAINICON, IDI_TRAY_IMAGE_0, IDI_TRAY_IMAGE_1, IDI_TRAY_IMAGE_2, IDI_TRAY_IMAGE_3,
          IDI_TRAY_IMAGE_4, IDI_TRAY_DARK_0, IDI_TRAY_DARK_1, IDI_TRAY_CONTRAST_0, IDI_TRAY_CONTRAST_1}) {
        for (int size : {16, 20, 24, 28, 32, 36, 40, 48})
            EXPECT_EQ(StoredIconWidth(MAKEINTRESOURCEW(id), size), size) << "icon " << id;
    }
}

class ImageSizeAtDpi : public ::testing::TestWithParam<int> {};

TEST_P(ImageSizeAtDpi, TrayIconAndMenuImagesUseTheSmallIconSize) {
    EXPECT_EQ(RunTestAtDpi(GetParam(), kDpiVariable, kChildTest), 0u)
        << "the child run's checks failed (its output is above)";
}

INSTANTIATE_TEST_SUITE_P(Dpi, ImageSizeAtDpi, ::testing::Values(96, 120, 144, 192));

// The settings window on a move to a monitor at half as many pixels per inch
// again: every control's place and size and the font grow by half, and the
// window takes the rectangle Windows suggests.
TEST(SettingsWindowDpi, EveryControlFollowsADpiChange) {
    TTestApplication app;
    TSettingsWindow window(
        TSettingsWindow::TSlots{[] { return std::optional<THotKey>(); }, [] { return true; }});
    window.Open();
    HWND dialog = window.Handle();
    auto layout = [dialog] {
        std::vector<long> values;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            values.insert(values.end(), {r.left, r.top, r.right - r.left});
        }
        LOGFONTW font{};
        GetObjectW(CarriedPointer<HFONT>(SendDlgItemMessageW(dialog, IDOK, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        values.push_back(std::abs(font.lfHeight));
        return values;
    };
    const std::vector<long> before = layout();
    const int dpi = MonitorDpi(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST)), wanted = dpi * 3 / 2;
    RECT suggested{10, 20, 610, 420};
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(wanted, wanted), reinterpret_cast<LPARAM>(&suggested));
    std::vector<long> expected;
    for (long value : before) expected.push_back(MulDiv(value, wanted, dpi));
    EXPECT_EQ(layout(), expected);
    RECT placed{};
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.right - placed.left, 600);
    EXPECT_TRUE(app.errorBoxes.empty());
}
