// Caption colours: the "Custom Icons" commands and the watchdog that keeps the
// stored colour in force, against a desktop fixture that puts its own caption
// colours back on WM_SYSCOLORCHANGE as the shell does.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <memory>
#include <optional>

#include "DesktopFixture.h"
#include "core/Exception.h"
#include "support/FormTestSupport.h"
#include "support/RegistryBackup.h"
#include "support/WinTestSupport.h"
#include "win/Handles.h"
#include "win/SystemLibrary.h"

namespace {

COLORREF TextColour(HWND list) { return static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)); }
COLORREF BackColour(HWND list) { return static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0)); }

std::optional<DWORD> StoredColour() {
    DWORD type = 0;
    const auto bytes = RegistryBytes(kDesktopKeyW, L"TessikIconColour", &type);
    if (bytes.size() != 4 || type != REG_DWORD) return std::nullopt;
    return *reinterpret_cast<const DWORD*>(bytes.data());
}

// Answers the colour chooser: a colour, or nothing for "cancel".
class TChooserAnswer {
public:
    explicit TChooserAnswer(std::optional<COLORREF> answer) {
        ColourChooserSeam.Replace([this, answer](COLORREF initial, DWORD flags) {
            ++runs;
            this->initial = initial;
            this->flags = flags;
            return answer;
        });
    }
    ~TChooserAnswer() { ColourChooserSeam.Replace(nullptr); }
    int runs = 0;
    COLORREF initial = 0xDEAD;
    DWORD flags = 0;
};

class ColoursTest : public ::testing::Test {
protected:
    TMainWindow* Start() {
        TMainWindow* form = app.app.CreateForm<TMainWindow>();
        list = fixture->ListView();
        return form;
    }
    TRegistryValueBackup colour{kDesktopKeyW, L"TessikIconColour"};
    TRegistryValueBackup transparent{kDesktopKeyW, L"TransparentIcon"};
    TTestApplication app;
    TNotifyRecorder tray;
    std::unique_ptr<TDesktopFixture> fixture = std::make_unique<TDesktopFixture>();
    HWND list = nullptr;
};

}  // namespace

TEST_F(ColoursTest, ResettingMakesTheShellPutItsCaptionColourBack) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(1, 2, 3));
    Start();
    ASSERT_EQ(TextColour(list), RGB(1, 2, 3));
    const int before = fixture->SysColorChanges();
    ResetShellCaptionColours();
    // SetSysColors tells every top-level window; the shell's answer may come
    // after the call returns.
    ASSERT_TRUE(PumpUntil([&] { return TextColour(list) == TDesktopFixture::kShellTextColour; }));
    EXPECT_GT(fixture->SysColorChanges(), before);
}

TEST_F(ColoursTest, ChoosingAColourStoresAppliesChecksAndRecaptures) {
    DeleteRegistryValue(kDesktopKeyW, L"TessikIconColour");
    TMainWindow* form = Start();
    form->Heartbeat().Tick();  // first capture
    EXPECT_FALSE(form->CaptionColours().CapturePending());
    EXPECT_EQ(form->Heartbeat().Interval(), 1000u);

    const COLORREF chosen = RGB(200, 30, 40);
    {
        TChooserAnswer answer(chosen);
        Named<TMenuItem>(form, "ChooseColourItem")->Click();
        EXPECT_EQ(answer.runs, 1);
        EXPECT_EQ(answer.flags & (CC_FULLOPEN | CC_ANYCOLOR), static_cast<DWORD>(CC_FULLOPEN | CC_ANYCOLOR));
    }
    EXPECT_EQ(StoredColour(), chosen);
    EXPECT_EQ(TextColour(list), chosen);
    EXPECT_EQ(BackColour(list), CLR_NONE);  // "Transparent" is checked
    EXPECT_TRUE(Named<TMenuItem>(form, "CaptionColoursItem")->Checked());
    EXPECT_TRUE(form->CaptionColours().CapturePending());
    form->Heartbeat().Tick();
    EXPECT_EQ(form->CaptionColours().CapturedColour(), chosen);

    // Unchecked "Transparent": the caption background is the desktop colour.
    Named<TMenuItem>(form, "TransparentItem")->Click();
    const COLORREF second = RGB(0, 90, 200);
    {
        TChooserAnswer answer(second);
        Named<TMenuItem>(form, "ChooseColourItem")->Click();
        EXPECT_EQ(answer.initial, chosen);  // the chooser starts at the stored colour
    }
    EXPECT_EQ(TextColour(list), second);
    EXPECT_EQ(BackColour(list), GetSysColor(COLOR_BACKGROUND));
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(ColoursTest, CancellingTheChooserChangesNothing) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(5, 6, 7));
    TMainWindow* form = Start();
    form->Heartbeat().Tick();
    const auto before = RegistryBytes(kDesktopKeyW, L"TessikIconColour");
    TChooserAnswer answer(std::nullopt);
    Named<TMenuItem>(form, "ChooseColourItem")->Click();
    EXPECT_EQ(answer.runs, 1);
    EXPECT_EQ(answer.initial, RGB(5, 6, 7));
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"TessikIconColour"), before);
    EXPECT_FALSE(Named<TMenuItem>(form, "CaptionColoursItem")->Checked());
    EXPECT_FALSE(form->CaptionColours().CapturePending());
}

TEST_F(ColoursTest, DefaultForgetsTheColourAndLeavesTransparencyAlone) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(250, 250, 0));
    SetRegistryDword(kDesktopKeyW, L"TransparentIcon", 0);
    TMainWindow* form = Start();
    EXPECT_EQ(TextColour(list), RGB(250, 250, 0));
    {
        TChooserAnswer answer(RGB(250, 250, 0));
        Named<TMenuItem>(form, "ChooseColourItem")->Click();
    }
    ASSERT_TRUE(Named<TMenuItem>(form, "CaptionColoursItem")->Checked());
    form->Heartbeat().Tick();

    Named<TMenuItem>(form, "DefaultColoursItem")->Click();
    PumpUntil([&] { return TextColour(list) == TDesktopFixture::kShellTextColour; });
    EXPECT_FALSE(StoredColour().has_value());
    EXPECT_FALSE(RegistryValueExists(kDesktopKeyW, L"TessikIconColour"));
    EXPECT_FALSE(Named<TMenuItem>(form, "CaptionColoursItem")->Checked());
    EXPECT_TRUE(form->CaptionColours().CapturePending());
    EXPECT_EQ(TextColour(list), TDesktopFixture::kShellTextColour);
    EXPECT_FALSE(Named<TMenuItem>(form, "TransparentItem")->Checked());
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"TransparentIcon"), (std::vector<BYTE>{0, 0, 0, 0}));
    // The captions stay the shell's: capture, then compare without change.
    form->Heartbeat().Tick();
    EXPECT_EQ(form->CaptionColours().CapturedColour(), TDesktopFixture::kShellTextColour);
    for (int i = 0; i < 3; ++i) form->Heartbeat().Tick();
    EXPECT_EQ(TextColour(list), TDesktopFixture::kShellTextColour);
    // A second "Default" with no value stored is no error.
    Named<TMenuItem>(form, "DefaultColoursItem")->Click();
    EXPECT_TRUE(app.errorBoxes.empty());
}

TEST_F(ColoursTest, WithoutAStoredColourNothingChangesOnTheDesktopButTransparentIsStored) {
    DeleteRegistryValue(kDesktopKeyW, L"TessikIconColour");
    ListView_SetTextBkColor(fixture->ListView(), RGB(9, 9, 9));
    TMainWindow* form = Start();
    form->Desktop().HideDesktop(form);
    form->Desktop().ShowDesktop(form);
    Named<TMenuItem>(form, "TransparentItem")->Click();
    EXPECT_EQ(TextColour(list), TDesktopFixture::kShellTextColour);
    EXPECT_EQ(BackColour(list), RGB(9, 9, 9));
    EXPECT_FALSE(Named<TMenuItem>(form, "TransparentItem")->Checked());
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"TransparentIcon"), (std::vector<BYTE>{0, 0, 0, 0}));
    Named<TMenuItem>(form, "TransparentItem")->Click();
    EXPECT_EQ(RegistryBytes(kDesktopKeyW, L"TransparentIcon"), (std::vector<BYTE>{1, 0, 0, 0}));
}

TEST_F(ColoursTest, TheWatchdogAppliesTheStoredColourAgainWhenTheShellResetsIt) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(0, 128, 255));
    TMainWindow* form = Start();
    EXPECT_EQ(TextColour(list), RGB(0, 128, 255));
    form->Heartbeat().Tick();
    EXPECT_EQ(form->CaptionColours().CapturedColour(), RGB(0, 128, 255));

    // The shell puts its colours back (a theme change, say).
    const int element = COLOR_BACKGROUND;
    const COLORREF background = GetSysColor(COLOR_BACKGROUND);
    SetSysColors(1, &element, &background);
    PumpUntil([&] { return TextColour(list) == TDesktopFixture::kShellTextColour; });
    ASSERT_EQ(TextColour(list), TDesktopFixture::kShellTextColour);
    form->Heartbeat().Tick();  // one compare tick
    EXPECT_EQ(TextColour(list), RGB(0, 128, 255));
    EXPECT_EQ(form->CaptionColours().CapturedColour(), RGB(0, 128, 255));
}

TEST_F(ColoursTest, ACustomColourEqualToTheShellsNeverTriggersTheWatchdog) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", TDesktopFixture::kShellTextColour);
    SetRegistryDword(kDesktopKeyW, L"TransparentIcon", 0);
    TMainWindow* form = Start();
    form->Heartbeat().Tick();
    // Applying would set the background to the desktop colour; the shell's
    // reset makes it transparent again. It stays so: nothing was re-applied.
    ListView_SetTextBkColor(fixture->ListView(), CLR_NONE);
    for (int i = 0; i < 3; ++i) form->Heartbeat().Tick();
    EXPECT_EQ(BackColour(list), CLR_NONE);
}

TEST_F(ColoursTest, WithTheListViewGoneTheWatchdogGoesOnWithoutError) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(1, 1, 1));
    TMainWindow* form = Start();
    form->Heartbeat().Tick();
    fixture.reset();
    for (int i = 0; i < 3; ++i) form->Heartbeat().Tick();
    EXPECT_TRUE(app.errorBoxes.empty());
    EXPECT_EQ(form->Heartbeat().Interval(), 1000u);
    // A new desktop is found and gets the stored colour at the next compare.
    fixture = std::make_unique<TDesktopFixture>();
    form->Heartbeat().Tick();
    EXPECT_EQ(TextColour(fixture->ListView()), RGB(1, 1, 1));
}

TEST_F(ColoursTest, AWrongTypedColourShowsOneBoxAtATimeNotOneASecond) {
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(1, 2, 3));
    TMainWindow* form = Start();
    form->Heartbeat().Tick();
    SetRegistryString(kDesktopKeyW, L"TessikIconColour", L"r");  // four bytes: the type is wrong
    ListView_SetTextColor(fixture->ListView(), RGB(9, 8, 7));    // makes the watchdog load the colour

    int nestedTicks = 0;
    app.app.SetErrorBoxHook([&](const std::string& text, const std::string&) {
        app.errorBoxes.push_back(text);
        // The box is modal and the timer keeps ticking under it.
        for (; nestedTicks < 3; ++nestedTicks) form->Heartbeat().Tick();
    });
    form->Heartbeat().Tick();
    EXPECT_EQ(nestedTicks, 3);
    EXPECT_EQ(app.errorBoxes, std::vector<std::string>{"Invalid data type for 'TessikIconColour'"});
    // Once the box is closed, the next tick may show it again.
    form->Heartbeat().Tick();
    EXPECT_EQ(app.errorBoxes.size(), 2u);
}

TEST_F(ColoursTest, TheWatchdogCapturesOnItsFirstTickAfterThreeSecondsThenComparesEverySecond) {
    TMainWindow* form = Start();
    EXPECT_EQ(form->Heartbeat().Interval(), 3000u);
    EXPECT_TRUE(form->Heartbeat().Running());
    EXPECT_TRUE(form->CaptionColours().CapturePending());
    form->Heartbeat().Tick();
    EXPECT_FALSE(form->CaptionColours().CapturePending());
    EXPECT_EQ(form->Heartbeat().Interval(), 1000u);
    EXPECT_TRUE(form->Heartbeat().Running());
    // The capture minimised the application into the tray.
    EXPECT_TRUE(IsIconic(app.app.Handle()));
    EXPECT_FALSE(IsWindowVisible(app.app.Handle()));
}

namespace {

// A desktop on a thread of its own whose list view can stop answering, as a
// hung shell does. It counts the LVM_SETTEXTCOLOR messages its list view gets.
class THangingDesktop {
public:
    THangingDesktop() : thread_(CreateThread(nullptr, 0, &THangingDesktop::Start, this, 0, nullptr)) {
        WaitForSingleObject(ready_.Get(), INFINITE);
    }
    ~THangingDesktop() {
        SetEvent(resume_.Get());
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.Get(), INFINITE);
    }
    HWND ListView() const { return listView_; }
    int TextColourSets() const { return textColourSets_; }
    // Returns once the desktop's thread has stopped pumping messages.
    void Hang() {
        PostThreadMessageW(threadId_, WM_APP, 0, 0);
        WaitForSingleObject(hanging_.Get(), INFINITE);
    }
    // Lets it answer again, and returns once it has handled every message
    // sent to it meanwhile.
    void Resume() {
        SetEvent(resume_.Get());
        SendMessageW(listView_, WM_NULL, 0, 0);
    }

private:
    static LRESULT CALLBACK Counter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self) {
        if (message == LVM_SETTEXTCOLOR) ++reinterpret_cast<THangingDesktop*>(self)->textColourSets_;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    static DWORD WINAPI Start(void* self) {
        static_cast<THangingDesktop*>(self)->Run();
        return 0;
    }
    void Run() {
        threadId_ = GetCurrentThreadId();
        TDesktopFixture fixture;
        listView_ = fixture.ListView();
        SetWindowSubclass(listView_, &Counter, 1, reinterpret_cast<DWORD_PTR>(this));
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
        SetEvent(ready_.Get());
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_APP) {
                SetEvent(hanging_.Get());
                WaitForSingleObject(resume_.Get(), INFINITE);
                continue;
            }
            DispatchMessageW(&msg);
        }
        RemoveWindowSubclass(listView_, &Counter, 1);
    }

    TUniqueKernelHandle ready_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TUniqueKernelHandle hanging_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TUniqueKernelHandle resume_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD threadId_ = 0;
    HWND listView_ = nullptr;
    std::atomic<int> textColourSets_{0};
    TUniqueKernelHandle thread_;  // declared last: the thread starts once the rest is made
};

}  // namespace

TEST_F(ColoursTest, AWatchdogThatCannotReadTheColourNeitherCapturesNorRepaints) {
    struct TShortLimit {
        TShortLimit() {
            ShellAnswerLimitSeam.Replace([] { return 50u; });
        }
        ~TShortLimit() { ShellAnswerLimitSeam.Replace(nullptr); }
    } shortLimit;
    SetRegistryDword(kDesktopKeyW, L"TessikIconColour", RGB(1, 2, 3));
    fixture.reset();
    THangingDesktop desktop;
    TMainWindow* form = app.app.CreateForm<TMainWindow>();
    ASSERT_EQ(form->CaptionColours().ListView(), desktop.ListView());
    const int sets = desktop.TextColourSets();

    // The first ticks after start-up are capture ticks; against a list view
    // that does not answer they capture nothing, and minimise the application
    // once, not on every tick: an About window opened meanwhile stays open.
    desktop.Hang();
    form->Heartbeat().Tick();
    EXPECT_TRUE(IsIconic(app.app.Handle()));
    app.app.Restore();
    for (int i = 0; i < 2; ++i) form->Heartbeat().Tick();
    EXPECT_FALSE(IsIconic(app.app.Handle()));
    desktop.Resume();
    // Answering again, the next tick captures: had it compared against
    // nothing captured, it would have repainted.
    form->Heartbeat().Tick();
    EXPECT_EQ(form->CaptionColours().CapturedColour(), RGB(1, 2, 3));
    EXPECT_EQ(desktop.TextColourSets(), sets);

    // Compare ticks against a list view that does not answer: no repaint storm.
    desktop.Hang();
    for (int i = 0; i < 10; ++i) form->Heartbeat().Tick();
    desktop.Resume();
    form->Heartbeat().Tick();
    EXPECT_EQ(desktop.TextColourSets(), sets);
    EXPECT_EQ(form->CaptionColours().CapturedColour(), RGB(1, 2, 3));
    EXPECT_TRUE(app.errorBoxes.empty());
}

// --- the colour chooser's library ---------------------------------------------------

// comdlg32 is loaded by the chooser's first run, not by start-up.
TEST_F(ColoursTest, StartingLeavesTheColourChooserLibraryUnloaded) {
    Start();
    EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
}

TEST(SystemFunction, LoadsOnFirstUseAndUnloadsWithTheOwner) {
    ASSERT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
    {
        TSystemFunction<decltype(ChooseColorW)> chooseColor("comdlg32.dll", "ChooseColorW");
        EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
        decltype(ChooseColorW)* const function = chooseColor.Get();
        const HMODULE loaded = GetModuleHandleW(L"comdlg32.dll");
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(reinterpret_cast<void*>(function),
                  reinterpret_cast<void*>(GetProcAddress(loaded, "ChooseColorW")));
        EXPECT_EQ(chooseColor.Get(), function);
    }
    EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
}

TEST(SystemFunction, AMissingLibraryOrFunctionIsAClearErrorEachTime) {
    TSystemFunction<void()> noLibrary("brivane-no-such-library.dll", "Anything");
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            noLibrary.Get();
            ADD_FAILURE() << "no error";
        } catch (const EWin32Error& error) {
            EXPECT_EQ(std::string(error.what())
                          .rfind("Could not load brivane-no-such-library.dll from the system folder.\nWin32 "
                                 "Error.  Code: 126.",
                                 0),
                      0u)
                << error.what();
        }
    }
    TSystemFunction<void()> noFunction("kernel32.dll", "BrivaneNoSuchFunction");
    try {
        noFunction.Get();
        ADD_FAILURE() << "no error";
    } catch (const EWin32Error& error) {
        EXPECT_EQ(
            std::string(error.what())
                .rfind("Could not find BrivaneNoSuchFunction in kernel32.dll.\nWin32 Error.  Code: 127.", 0),
            0u)
            << error.what();
    }
    EXPECT_FALSE(noFunction.Loaded());
}
