// The tray icon and the menu's own images at the system's small-icon size,
// at 96, 120, 144 and 192 DPI. Each DPI runs in a child process of this
// program, since a process reads the DPI once, when it starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "MainWindow.h"
#include "TrayIcon/TrayIcon.h"
#include "resource.h"
#include "support/DpiChildRun.h"
#include "support/FormTestSupport.h"
#include "support/WinTestSupport.h"
#include "win/Handles.h"

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
// as stored: equal to `size` when the artwork was drawn at that size.
int StoredIconWidth(const wchar_t* group, int size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, group, RT_GROUP_ICON);
    auto* directory = found ? static_cast<BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    if (!directory) return 0;
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    const auto* header =
        image ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image))) : nullptr;
    return header ? header->biWidth : 0;
}

}  // namespace

// Run by ImageSizeAtDpi below, in a child process started at that DPI.
TEST(ImageSizeAtSessionDpi, DISABLED_TrayIconAndMenuImages) {
    const int dpi = ChildRunDpi(kDpiVariable);
    ASSERT_GT(dpi, 0) << "run by ImageSizeAtDpi";
    const int size = MulDiv(16, dpi, 96);
    const TSize expected{size, size};
    // The system's own figure: the manifest makes this process DPI aware.
    ASSERT_EQ(GetSystemMetrics(SM_CXSMICON), size);

    for (int i = 0; i < IDI_TRAY_IMAGE_COUNT; ++i) {
        EXPECT_EQ(StoredIconWidth(MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i), size), size) << "image " << i;
    }
    EXPECT_EQ(StoredIconWidth(MAKEINTRESOURCEW(IDI_MAINICON), size), size);

    // Every icon handed to the shell, measured when it is handed over.
    std::vector<TSize> handed;
    TTrayIcon::SetNotifyFunction([&handed](DWORD message, NOTIFYICONDATAW& data) -> BOOL {
        if ((message == NIM_ADD || message == NIM_MODIFY) && (data.uFlags & NIF_ICON) && data.hIcon)
            handed.push_back(IconSize(data.hIcon));
        return message != NIM_SETVERSION;
    });
    TTestApplication app;
    TDesktopParameterRecorder parameters;
    TMainWindow* form = app.app.CreateForm<TMainWindow>();

    EXPECT_EQ(form->TrayImages->Width(), size);
    EXPECT_EQ(form->TrayImages->Height(), size);
    ASSERT_FALSE(handed.empty());
    for (const TSize& handedSize : handed) EXPECT_EQ(handedSize, expected);
    EXPECT_EQ(IconSize(form->TrayIcon->Icon()->Handle()), expected);
    const std::vector<std::pair<const char*, TMenuItem*>> items = {{"ShowDesktopItem", form->ShowDesktopItem},
                                                                   {"HideDesktopItem", form->HideDesktopItem},
                                                                   {"AboutItem", form->AboutItem},
                                                                   {"ExitItem", form->ExitItem}};
    for (const auto& [name, item] : items) {
        EXPECT_EQ(BitmapSize(item->Bitmap().Handle()), expected) << name;
    }

    app.app.DestroyComponents();
    TTrayIcon::SetNotifyFunction(nullptr);
}

class ImageSizeAtDpi : public ::testing::TestWithParam<int> {};

TEST_P(ImageSizeAtDpi, TrayIconAndMenuImagesUseTheSmallIconSize) {
    EXPECT_EQ(RunTestAtDpi(GetParam(), kDpiVariable, kChildTest), 0u)
        << "the child run's checks failed (its output is above)";
}

INSTANTIATE_TEST_SUITE_P(Dpi, ImageSizeAtDpi, ::testing::Values(96, 120, 144, 192));
