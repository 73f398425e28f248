// The tray icon component against real Win32 under Wine: the notification
// record it sends, its properties, the shell's callbacks turned into events,
// its timers, and the application window in the tray.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SimpleTimer/SimpleTimer.h"
#include "TrayIcon/TrayIcon.h"
#include "core/Exception.h"
#include "resource.h"
#include "support/Capture.h"
#include "support/Win32Helpers.h"
#include "support/WinTestSupport.h"
#include "win/Forms.h"
#include "win/ImgList.h"
#include "win/Menus.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

void Send(TTrayIcon* icon, UINT notification) {
    SendMessageW(TTrayIcon::SharedHandler()->Window(), WM_TRAYICON, icon->IconId(), notification);
}

void Tick(const TSimpleTimer& timer) {
    SendMessageW(TSimpleTimer::SharedHandler()->Window(), WM_TIMER, timer.Id(), 0);
}

// Ends a popup menu from inside its own loop. Arm(), called as the menu
// opens (from its OnPopup), posts a message to a window of the closer's own;
// the menu's loop dispatches it, and the menu is ended. `whileOpen` runs once
// in the open menu first; what it posts is handled before the menu ends. The
// window, with anything still posted to it, goes with the closer at the end
// of its test.
class TMenuCloser {
public:
    explicit TMenuCloser(std::function<void()> whileOpen = nullptr)
        : whileOpen_(std::move(whileOpen)),
          window_([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
              return Handle(window, message, wParam, lParam);
          }) {}
    void Arm() { PostMessageW(window_.Handle(), WM_APP, 0, 0); }

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
        if (!TPopupMenu::AnyOpen()) return 0;
        if (whileOpen_) {
            std::exchange(whileOpen_, nullptr)();
            Arm();
            return 0;
        }
        EndMenu();
        return 0;
    }
    std::function<void()> whileOpen_;
    TUtilWindow window_;
};

// The notification area as the shell keeps it: one entry per window and
// identifier; a second add, and a change or removal of an icon it doesn't
// hold, are refused.
class TNotificationArea {
public:
    struct TEntry {
        HICON icon = nullptr;
        std::wstring tip;
        UINT callback = 0;
    };
    using TKey = std::pair<HWND, UINT>;

    TNotificationArea() {
        NotifyIconSeam.Replace(
            [this](DWORD message, NOTIFYICONDATAW& data) -> BOOL { return Apply(message, data); });
    }
    ~TNotificationArea() { NotifyIconSeam.Replace(nullptr); }

    std::map<TKey, TEntry> icons;
    int focusGiven = 0;

private:
    BOOL Apply(DWORD message, const NOTIFYICONDATAW& data) {
        const TKey key{data.hWnd, data.uID};
        focusGiven += message == NIM_SETFOCUS;
        const auto it = icons.find(key);
        switch (message) {
            case NIM_ADD:
                if (it != icons.end()) return FALSE;
                Update(icons[key], data);
                return TRUE;
            case NIM_MODIFY:
                if (it == icons.end()) return FALSE;
                Update(it->second, data);
                return TRUE;
            case NIM_DELETE:
                if (it == icons.end()) return FALSE;
                icons.erase(it);
                return TRUE;
            default:
                return it != icons.end();
        }
    }
    static void Update(TEntry& entry, const NOTIFYICONDATAW& data) {
        if (data.uFlags & NIF_ICON) entry.icon = data.hIcon;
        if (data.uFlags & NIF_TIP) entry.tip = data.szTip;
        if (data.uFlags & NIF_MESSAGE) entry.callback = data.uCallbackMessage;
    }
};

TImageList* MakeImages(TComponent* owner, int count) {
    auto* images = new TImageList(owner);
    for (int i = 0; i < count; ++i)
        images->AddIconResource(Module(), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i));
    return images;
}

// A form whose stored description holds a tray icon as the program's does.
class TTrayForm : public TForm {
public:
    TTrayForm(TComponent* owner, bool keepHidden) : TForm(owner) {
        TFormLoader loader(this);
        SetClientSize(120, 80);
        Images = loader.Create<TImageList>("Images");
        for (int i = 0; i < 4; ++i)
            Images->AddIconResource(Module(), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i));
        Tray = loader.Create<TTrayIcon>("Tray");
        loader.Fixup([this] { Tray->SetIconList(Images); });
        Tray->SetCycleInterval(1000);
        TIcon stored;
        stored.LoadFromResource(Module(), MAKEINTRESOURCEW(IDI_MAINICON), 16);
        Tray->SetIcon(stored);
        Tray->SetIconVisible(true);
        Tray->SetIconIndex(0);
        Tray->SetMinimizeToTray(true);
        if (keepHidden) Tray->OnStartup = TStartupEvent(this, &TTrayForm::Startup);
        loader.Finish();
    }
    void Startup(TObject*, bool& showMainForm) {
        ++startups;
        showMainForm = false;
    }
    TImageList* Images = nullptr;
    TTrayIcon* Tray = nullptr;
    int startups = 0;
};

struct EventLog : TObject {
    std::vector<std::string> events;
    std::vector<int> cycled;
    void Click(TObject*) { events.push_back("click"); }
    void DblClick(TObject*) { events.push_back("dblclick"); }
    void Down(TObject*, TMouseButton b, TShiftState s, int, int) {
        events.push_back("down" + std::to_string(static_cast<int>(b)) + ":" +
                         std::to_string(s & (ssLeft | ssRight | ssMiddle)));
    }
    void Up(TObject*, TMouseButton b, TShiftState, int, int) {
        events.push_back("up" + std::to_string(static_cast<int>(b)));
    }
    void Move(TObject*, TShiftState, int, int) { events.push_back("move"); }
    void Enter(TObject*) { events.push_back("enter"); }
    void Exit(TObject*) { events.push_back("exit"); }
    void Popup(TObject*) {
        events.push_back("popup");
        if (closer) closer->Arm();
    }
    void BalloonClick(TObject*) { events.push_back("balloon-click"); }
    void BalloonHide(TObject*) { events.push_back("balloon-hide"); }
    void BalloonTimeout(TObject*) { events.push_back("balloon-timeout"); }
    void Cycle(TObject*, int next) { cycled.push_back(next); }
    void Throw(TObject*) { throw Exception("Boom"); }
    void DefaultItem(TObject*) { events.push_back("default-item"); }
    TMenuCloser* closer = nullptr;
};

// A tray icon with a one-item popup menu; its presses and popups are logged.
struct TTrayWithMenu {
    explicit TTrayWithMenu(EventLog& log)
        : owner(new TComponent(nullptr)),
          tray(new TTrayIcon(owner.Get())),
          menu(new TPopupMenu(owner.Get())),
          item(new TMenuItem(owner.Get())) {
        item->SetCaption("Item");
        menu->Items()->Add(item);
        menu->OnPopup = TNotifyEvent(&log, &EventLog::Popup);
        tray->SetPopupMenu(menu);
        tray->OnMouseDown = TMouseEvent(&log, &EventLog::Down);
    }
    TOwned<TComponent> owner;
    TTrayIcon* tray;
    TPopupMenu* menu;
    TMenuItem* item;
};

class TrayIconTest : public ::testing::Test {
protected:
    TTestApplication app;
};

}  // namespace

TEST_F(TrayIconTest, AfterStartupTheAreaHoldsOneIconWithTheListsFirstImageAndTheHint) {
    TNotificationArea area;
    TOwned<TTrayForm> form(new TTrayForm(&app.app, true));
    TTrayIcon* tray = form->Tray;
    EXPECT_EQ(form->startups, 1);
    EXPECT_FALSE(app.app.ShowMainForm());

    // The image list, resolved after the stored icon, gives the image.
    ASSERT_EQ(area.icons.size(), 1u);
    const TNotificationArea::TKey key{TTrayIcon::SharedHandler()->Window(), tray->IconId()};
    ASSERT_EQ(area.icons.count(key), 1u);
    const TNotificationArea::TEntry& entry = area.icons[key];
    EXPECT_EQ(entry.callback, WM_TRAYICON);
    EXPECT_TRUE(entry.tip.empty());
    TIcon first;
    form->Images->GetIcon(0, first);
    ASSERT_NE(entry.icon, nullptr);
    EXPECT_EQ(capture::IconPixels(entry.icon).data, capture::IconPixels(first.Handle()).data);

    // Adding it again is refused and changes nothing.
    EXPECT_FALSE(tray->ShowIcon());
    EXPECT_EQ(area.icons.size(), 1u);
    EXPECT_TRUE(tray->IconVisible());

    tray->SetHint("Click to hide desktop");
    EXPECT_EQ(area.icons[key].tip, L"Click to hide desktop");
    tray->SetShowHint(false);
    EXPECT_TRUE(area.icons[key].tip.empty());
    tray->SetShowHint(true);
    tray->SetHint("");
    EXPECT_TRUE(area.icons[key].tip.empty());

    form.Reset();
    EXPECT_TRUE(area.icons.empty());
}

TEST_F(TrayIconTest, TheRealShellRefusesASecondAddAndForgetsTheIconOnDestruction) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    tray->Icon()->LoadFromResource(Module(), MAKEINTRESOURCEW(IDI_MAINICON), 16);
    EXPECT_TRUE(tray->ShowIcon());
    EXPECT_FALSE(tray->ShowIcon());
    EXPECT_TRUE(tray->ModifyIcon());
    NOTIFYICONDATAW copy = tray->IconData();
    tray.Reset();
    // The icon is gone: modifying it now fails.
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &copy));
}

TEST_F(TrayIconTest, HintIsCutTo127CharactersWithoutSplittingOne) {
    TNotifyRecorder recorder;
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    tray->SetHint(std::string(200, 'x'));
    EXPECT_EQ(tray->Hint(), std::string(127, 'x'));
    EXPECT_EQ(recorder.calls.back().tip, std::wstring(127, L'x'));
    tray->SetHint(std::string(126, 'x') + "日本");
    EXPECT_EQ(tray->Hint(), std::string(126, 'x') + "日");
    EXPECT_EQ(recorder.calls.back().tip, std::wstring(126, L'x') + L"日");
}

TEST_F(TrayIconTest, IconIndexIsClampedToTheListAndFollowsItsDestruction) {
    TNotifyRecorder recorder;
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* tray = new TTrayIcon(owner.Get());
    tray->SetIconIndex(7);
    EXPECT_EQ(tray->IconIndex(), 0);  // no list

    TImageList* four = MakeImages(owner.Get(), 4);
    tray->SetIconList(four);
    tray->SetIconIndex(10);
    EXPECT_EQ(tray->IconIndex(), 3);
    EXPECT_FALSE(tray->Icon()->Empty());

    TImageList* empty = MakeImages(owner.Get(), 0);
    tray->SetIconList(empty);
    tray->SetIconIndex(2);
    EXPECT_EQ(tray->IconIndex(), -1);

    tray->SetIconList(four);
    tray->SetIconIndex(2);
    TComponent::Free(four);
    EXPECT_EQ(tray->IconList(), nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(TrayIconTest, CyclingShowsEachImageInTurnAndRestartsOnANewInterval) {
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* tray = new TTrayIcon(owner.Get());
    EventLog log;
    tray->OnCycle = TCycleEvent(&log, &EventLog::Cycle);
    tray->SetIconList(MakeImages(owner.Get(), 4));
    tray->SetCycleInterval(1000);
    tray->SetCycleIcons(true);
    EXPECT_TRUE(tray->CycleTimer().Active());
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        shown.push_back(tray->IconIndex());
        Tick(tray->CycleTimer());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 0}));
    EXPECT_EQ(log.cycled, (std::vector<int>{1, 2, 3, 0, 1}));

    EXPECT_EQ(tray->IconIndex(), 1);
    tray->SetCycleInterval(250);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_EQ(tray->CycleTimer().Interval(), 250u);
    EXPECT_TRUE(tray->CycleTimer().Active());
    tray->SetCycleIcons(false);
    EXPECT_FALSE(tray->CycleTimer().Active());
}

TEST_F(TrayIconTest, ClickFiresOnReleaseAndADoubleClickTogglesOnlyOnce) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnClick = TNotifyEvent(&log, &EventLog::Click);
    tray->OnMouseUp = TMouseEvent(&log, &EventLog::Up);
    Send(tray.Get(), WM_LBUTTONDOWN);
    EXPECT_TRUE(log.events.empty());
    Send(tray.Get(), WM_LBUTTONUP);
    EXPECT_EQ(log.events, (std::vector<std::string>{"click", "up0"}));
    EXPECT_FALSE(tray->ClickTimer().Active());

    // The second press of a double click comes as WM_LBUTTONDBLCLK.
    log.events.clear();
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Send(tray.Get(), m);
    EXPECT_EQ(log.events, (std::vector<std::string>{"click", "up0", "up0"}));
}

TEST_F(TrayIconTest, WithADoubleClickHandlerTheClickWaitsForTheDoubleClickTime) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnClick = TNotifyEvent(&log, &EventLog::Click);
    tray->OnDblClick = TNotifyEvent(&log, &EventLog::DblClick);

    Send(tray.Get(), WM_LBUTTONDOWN);
    EXPECT_TRUE(tray->ClickTimer().Active());
    EXPECT_EQ(tray->ClickTimer().Interval(), GetDoubleClickTime());
    Send(tray.Get(), WM_LBUTTONUP);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(tray->ClickReady());
    Tick(tray->ClickTimer());
    EXPECT_EQ(log.events, std::vector<std::string>{"click"});
    EXPECT_FALSE(tray->ClickTimer().Active());

    log.events.clear();
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Send(tray.Get(), m);
    Tick(tray->ClickTimer());
    EXPECT_EQ(log.events, std::vector<std::string>{"dblclick"});
    EXPECT_FALSE(tray->DblClicked());

    // A press held past the double-click time fires at the release.
    log.events.clear();
    Send(tray.Get(), WM_LBUTTONDOWN);
    Tick(tray->ClickTimer());
    EXPECT_TRUE(log.events.empty());
    Send(tray.Get(), WM_LBUTTONUP);
    EXPECT_EQ(log.events, std::vector<std::string>{"click"});
}

TEST_F(TrayIconTest, PressesOpenTheMenuAfterMouseDownAndDoubleClicksInvokeTheDefaultItem) {
    EventLog log;
    TTrayWithMenu withMenu(log);
    TTrayIcon* tray = withMenu.tray;
    TPopupMenu* menu = withMenu.menu;
    TMenuItem* item = withMenu.item;
    item->OnClick = TNotifyEvent(&log, &EventLog::DefaultItem);
    TMenuCloser closer;
    log.closer = &closer;

    Send(tray, WM_RBUTTONDOWN);
    EXPECT_EQ(log.events, (std::vector<std::string>{"down1:16", "popup"}));
    EXPECT_EQ(menu->PopupComponent(), tray);

    // The left button opens it too with LeftPopup.
    log.events.clear();
    Send(tray, WM_LBUTTONDOWN);
    EXPECT_EQ(log.events, std::vector<std::string>{"down0:8"});
    tray->SetLeftPopup(true);
    log.events.clear();
    Send(tray, WM_LBUTTONDOWN);
    EXPECT_EQ(log.events, (std::vector<std::string>{"down0:8", "popup"}));

    // A double click invokes the default item, unless LeftPopup is on.
    item->SetDefault(true);
    log.events.clear();
    Send(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(log.events.empty());
    tray->SetLeftPopup(false);
    Send(tray, WM_LBUTTONDBLCLK);
    EXPECT_EQ(log.events, std::vector<std::string>{"default-item"});
    // The shell reports Enter or Space on the focused icon as a right press:
    // one with the pointer away from the icon gives the keyboard's focus back
    // to the notification area once its menu has closed.
    TNotificationArea area;
    POINT cursor{};
    GetCursorPos(&cursor);
    for (const LONG away : {0L, 200L}) {
        TSeamReplacement rect(NotifyIconRectSeam, [&](const NOTIFYICONIDENTIFIER& icon, RECT& where) {
            EXPECT_EQ(icon.uID, tray->IconData().uID);
            where = RECT{cursor.x - 8 + away, cursor.y - 8, cursor.x + 8 + away, cursor.y + 8};
            return S_OK;
        });
        Send(tray, WM_RBUTTONDOWN);
        EXPECT_EQ(area.focusGiven, away ? 1 : 0);
    }
    menu->SetAutoPopup(false);
    log.events.clear();
    Send(tray, WM_RBUTTONDOWN);
    EXPECT_EQ(log.events, std::vector<std::string>{"down1:16"});
}

TEST_F(TrayIconTest, ACallbackArrivingWhileTheMenuIsOpenOpensNoSecondMenu) {
    EventLog log;
    TTrayWithMenu withMenu(log);
    TTrayIcon* tray = withMenu.tray;
    // While the first menu is open, the shell reports another right press;
    // then the menu is closed.
    TMenuCloser closer([tray] {
        PostMessageW(TTrayIcon::SharedHandler()->Window(), WM_TRAYICON, tray->IconId(), WM_RBUTTONDOWN);
    });
    log.closer = &closer;
    Send(tray, WM_RBUTTONDOWN);
    // The second press was handled inside the open menu, without a menu of its own.
    EXPECT_EQ(log.events, (std::vector<std::string>{"down1:16", "popup", "down1:16"}));
}

TEST_F(TrayIconTest, DisabledIconsDropAllButBalloonEventsAndShell5DecodesContextNotifications) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnClick = TNotifyEvent(&log, &EventLog::Click);
    tray->OnMouseDown = TMouseEvent(&log, &EventLog::Down);
    tray->OnMouseUp = TMouseEvent(&log, &EventLog::Up);
    tray->OnMouseMove = TMouseMoveEvent(&log, &EventLog::Move);
    tray->OnBalloonHintClick = TNotifyEvent(&log, &EventLog::BalloonClick);
    tray->OnBalloonHintHide = TNotifyEvent(&log, &EventLog::BalloonHide);
    tray->OnBalloonHintTimeout = TNotifyEvent(&log, &EventLog::BalloonTimeout);
    tray->SetEnabled(false);
    for (UINT m : std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                                    WM_MBUTTONDOWN, WM_MBUTTONUP, 0x0405u, 0x0403u, 0x0404u}) {
        Send(tray.Get(), m);
    }
    EXPECT_EQ(log.events, (std::vector<std::string>{"balloon-click", "balloon-hide", "balloon-timeout"}));
    EXPECT_FALSE(tray->ClickStart());

    tray->SetEnabled(true);
    log.events.clear();
    TNotifyRecorder recorder;
    tray->SetCallbackVersion(TCallbackVersion::cvShell5);
    ASSERT_EQ(recorder.Messages(), std::vector<DWORD>{NIM_SETVERSION});
    EXPECT_EQ(recorder.calls[0].version, static_cast<UINT>(NOTIFYICON_VERSION));
    for (UINT m : {static_cast<UINT>(WM_RBUTTONUP), 0x007Bu, 0x0400u, 0x0401u}) Send(tray.Get(), m);
    EXPECT_EQ(log.events, (std::vector<std::string>{"up1", "up1", "up1"}));
    tray->SetCallbackVersion(TCallbackVersion::cvClassic);
    log.events.clear();
    for (UINT m : {static_cast<UINT>(WM_RBUTTONUP), 0x007Bu, static_cast<UINT>(WM_MBUTTONDOWN)})
        Send(tray.Get(), m);
    EXPECT_EQ(log.events, (std::vector<std::string>{"up1", "down2:32"}));
}

TEST_F(TrayIconTest, EnterAndExitFollowTheCursorThroughThePoll) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnMouseEnter = TNotifyEvent(&log, &EventLog::Enter);
    tray->OnMouseExit = TNotifyEvent(&log, &EventLog::Exit);
    tray->SetWantEnterExitEvents(true);
    EXPECT_TRUE(tray->ExitTimer().Active());
    EXPECT_EQ(tray->ExitTimer().Interval(), 20u);

    ASSERT_TRUE(MoveCursor(300, 300));
    Send(tray.Get(), WM_MOUSEMOVE);
    Send(tray.Get(), WM_MOUSEMOVE);
    EXPECT_EQ(log.events, std::vector<std::string>{"enter"});
    Tick(tray->ExitTimer());
    EXPECT_EQ(log.events, std::vector<std::string>{"enter"});  // the cursor stayed

    ASSERT_TRUE(MoveCursor(340, 310));
    Tick(tray->ExitTimer());
    EXPECT_EQ(log.events, (std::vector<std::string>{"enter", "exit"}));
    EXPECT_TRUE(tray->MouseOutside());
    Send(tray.Get(), WM_MOUSEMOVE);
    EXPECT_EQ(log.events.back(), "enter");
    tray->SetWantEnterExitEvents(false);
    EXPECT_FALSE(tray->ExitTimer().Active());
}

TEST_F(TrayIconTest, TheSharedWindowSurvivesCloseAndIgnoresForgedMessages) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnClick = TNotifyEvent(&log, &EventLog::Click);
    HWND shared = TTrayIcon::SharedHandler()->Window();
    // Message-only, as the timers' window: cheap to make at start-up.
    EXPECT_TRUE(MessageOnly(shared));
    EXPECT_TRUE(MessageOnly(TSimpleTimer::SharedHandler()->Window()));
    EXPECT_EQ(SendMessageW(shared, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(shared));
    EXPECT_EQ(SendMessageW(shared, WM_QUERYENDSESSION, 0, 0), 1);

    // Identifiers that name no live icon, an address-like one included.
    for (WPARAM forged :
         {WPARAM{0}, WPARAM{0xDEADBEEF}, static_cast<WPARAM>(reinterpret_cast<UINT_PTR>(tray.Get())),
          static_cast<WPARAM>(tray->IconId() + 1000)}) {
        SendMessageW(shared, WM_TRAYICON, forged, WM_LBUTTONDOWN);
        SendMessageW(shared, WM_TRAYICON, forged, WM_LBUTTONUP);
    }
    EXPECT_TRUE(log.events.empty());
    // Timer messages for timers that don't exist.
    SendMessageW(TSimpleTimer::SharedHandler()->Window(), WM_TIMER, 0xBADF00D, 0);
    SendMessageW(TSimpleTimer::SharedHandler()->Window(), WM_TIMER,
                 reinterpret_cast<WPARAM>(&tray->ClickTimer()), 0);
    EXPECT_TRUE(log.events.empty());
    // The real icon still works.
    Send(tray.Get(), WM_LBUTTONDOWN);
    Send(tray.Get(), WM_LBUTTONUP);
    EXPECT_EQ(log.events, std::vector<std::string>{"click"});
}

TEST_F(TrayIconTest, AnErrorInAHandlerIsShownInTheErrorBoxAndTheProgramGoesOn) {
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    EventLog log;
    tray->OnClick = TNotifyEvent(&log, &EventLog::Throw);
    tray->OnMouseUp = TMouseEvent(&log, &EventLog::Up);
    Send(tray.Get(), WM_LBUTTONDOWN);
    Send(tray.Get(), WM_LBUTTONUP);
    ASSERT_EQ(app.errorBoxes, std::vector<std::string>{"Boom."});
    EXPECT_EQ(app.captions, std::vector<std::string>{"Brivane"});
    tray->OnClick = TNotifyEvent(&log, &EventLog::Click);
    Send(tray.Get(), WM_LBUTTONDOWN);
    Send(tray.Get(), WM_LBUTTONUP);
    EXPECT_EQ(log.events.back(), "up0");
    EXPECT_NE(std::find(log.events.begin(), log.events.end(), "click"), log.events.end());

    // Only a last character that sorts after "." gets a full stop.
    EXPECT_EQ(TApplication::ErrorBoxText("Invalid data type for 'Pattern'"),
              "Invalid data type for 'Pattern'");
    EXPECT_EQ(TApplication::ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(TApplication::ErrorBoxText("Code 5"), "Code 5.");
    EXPECT_EQ(TApplication::ErrorBoxText("Oops!"), "Oops!");
}

TEST_F(TrayIconTest, ANewTaskbarGetsTheVisibleIconAgainAndNoHiddenOne) {
    ASSERT_NE(TTrayIcon::TaskbarCreatedMessage(), 0u);
    TNotificationArea area;
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    tray->SetHint("Back again");
    SendMessageW(app.app.Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(area.icons.empty());
    tray->SetIconVisible(true);
    ASSERT_EQ(area.icons.size(), 1u);
    // The shell restarts with an empty notification area and announces it.
    area.icons.clear();
    SendMessageW(HWND_BROADCAST, TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    ASSERT_EQ(area.icons.size(), 1u);
    EXPECT_EQ(area.icons.begin()->second.tip, L"Back again");
    EXPECT_EQ(area.icons.begin()->second.callback, WM_TRAYICON);
}

TEST_F(TrayIconTest, AnAddTheAreaRefusesIsTriedAgainWithTheImageAndHintOfThen) {
    // A notification area that is not ready for the first two adds.
    TNotifyRecorder recorder;
    int refusals = 2;
    bool in = false;
    recorder.answer = [&](DWORD message) -> BOOL {
        if (message == NIM_ADD && (refusals-- > 0 || in)) return FALSE;
        if (message == NIM_ADD || message == NIM_DELETE) in = message == NIM_ADD;
        return message != NIM_MODIFY || in;
    };
    TOwned<TTrayIcon> tray(new TTrayIcon(nullptr));
    tray->SetIconVisible(true);
    EXPECT_FALSE(tray->IconAdded());
    EXPECT_TRUE(tray->AddRetryTimer().Active());
    tray->SetHint("later");
    ASSERT_TRUE(PumpUntil([&] { return tray->IconAdded(); }));
    EXPECT_TRUE(in);
    EXPECT_EQ(recorder.calls.back().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(recorder.calls.back().tip, L"later");
    EXPECT_FALSE(tray->AddRetryTimer().Active());
    // A repeated add while the icon is in is no reason to try again.
    tray->SetIconVisible(true);
    EXPECT_FALSE(tray->AddRetryTimer().Active());
}

TEST_F(TrayIconTest, MinimisingToTheTrayAndShowingTheApplicationWindowAgain) {
    TNotifyRecorder recorder;
    TTrayForm* form = app.app.CreateForm<TTrayForm>(true);
    TTrayIcon* tray = form->Tray;
    form->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsWindowVisible(app.app.Handle()));  // the taskbar button

    recorder.calls.clear();
    app.app.Minimize();
    PumpPosted();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsWindowVisible(app.app.Handle()));
    EXPECT_EQ(recorder.Messages(), std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(IsIconic(app.app.Handle()));

    tray->ShowApplicationWindow();
    PumpPosted();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(app.app.Handle()));
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);

    tray->HideApplicationWindow();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsWindowVisible(app.app.Handle()));

    // Without MinimizeToTray a minimise is left to the windows.
    tray->SetMinimizeToTray(false);
    form->SetVisible(true);
    recorder.calls.clear();
    app.app.Minimize();
    PumpPosted();
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(TrayIconTest, BeforeTheMainWindowIsKnownShowAndHideDoNothing) {
    // A form made outside CreateForm is not the main window.
    TOwned<TTrayForm> form(new TTrayForm(&app.app, false));
    ASSERT_EQ(app.app.MainForm(), nullptr);
    EXPECT_TRUE(app.app.ShowMainForm());
    form->Tray->ShowApplicationWindow();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    form->SetVisible(true);
    form->Tray->HideApplicationWindow();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

// Two tray icons hook the application window and their owner's window; the
// hooks are removed in either order.
class TrayHookOrderTest : public TrayIconTest, public ::testing::WithParamInterface<bool> {
protected:
    // Minimises the application through its own WM_SYSCOMMAND handling (the
    // hooks then see WM_SIZE), announces a new taskbar, and restores: returns
    // the icons that were added again, by identifier.
    std::vector<UINT> AddsAfterMinimiseAndNewTaskbar(TNotifyRecorder& recorder) {
        recorder.calls.clear();
        SendMessageW(app.app.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(app.app.Handle()));
        SendMessageW(app.app.Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
        SendMessageW(app.app.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(IsIconic(app.app.Handle()));
        std::vector<UINT> added;
        for (const TNotifyCall& call : recorder.calls)
            if (call.message == NIM_ADD) added.push_back(call.id);
        return added;
    }
};

TEST_P(TrayHookOrderTest, EachRemainingHookAndTheWindowsOwnRoutingKeepWorking) {
    ASSERT_NE(TTrayIcon::TaskbarCreatedMessage(), 0u);
    TNotifyRecorder recorder;
    TOwned<TForm> form(new TForm(&app.app));
    TTrayIcon* icons[2] = {new TTrayIcon(form.Get()), new TTrayIcon(form.Get())};
    for (TTrayIcon* icon : icons) {
        icon->SetMinimizeToTray(true);
        icon->SetIconVisible(true);
        EXPECT_TRUE(icon->AppHooked());
        EXPECT_TRUE(icon->OwnerHooked());
    }
    const UINT ids[2] = {icons[0]->IconId(), icons[1]->IconId()};
    EXPECT_EQ(AddsAfterMinimiseAndNewTaskbar(recorder), (std::vector<UINT>{ids[1], ids[0], ids[1], ids[0]}));

    const int firstGone = GetParam() ? 1 : 0;
    const UINT remaining = ids[1 - firstGone];
    TComponent::Free(icons[firstGone]);
    EXPECT_EQ(AddsAfterMinimiseAndNewTaskbar(recorder), (std::vector<UINT>{remaining, remaining}));
    // The owner's window still reaches the form.
    SendMessageW(form->Handle(), WM_SHOWWINDOW, TRUE, 0);
    EXPECT_TRUE(icons[1 - firstGone]->OwnerHooked());

    TComponent::Free(icons[1 - firstGone]);
    EXPECT_TRUE(AddsAfterMinimiseAndNewTaskbar(recorder).empty());
    EXPECT_TRUE(recorder.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(BothOrders, TrayHookOrderTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("LastMadeFirstGone")
                                               : std::string("FirstMadeFirstGone");
                         });

TEST(WindowHooks, OnlyAWindowBoundToTheRouterCanBeHooked) {
    const TUniqueWindow foreign(
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(foreign);
    try {
        TWindowSubclass hook(foreign.Get(), [](UINT, WPARAM, LPARAM) { return LRESULT(0); });
        ADD_FAILURE() << "a STATIC window was hooked";
    } catch (const EWin32Error& e) {
        EXPECT_STREQ(e.what(), "Could not hook a window's messages");
    }
}

// The tray icon's image list keeps copies of its pictures at the list's size:
// what it hands out and draws does not depend on the icon it was given.
TEST(ImageList, KeepsCopiesAtItsOwnSizeAndDrawsThemOverItsBackground) {
    TOwned<TImageList> images(new TImageList(nullptr));
    TUniqueIcon big(static_cast<HICON>(
        LoadImageW(Module(), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(big);
    EXPECT_EQ(images->AddIcon(big.Get()), 0);
    big.Reset();
    EXPECT_EQ(images->AddIconResource(Module(), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + 1)), 1);
    EXPECT_EQ(images->AddIconResource(Module(), L"NoSuchIcon"), -1);
    EXPECT_EQ(images->Count(), 2);

    TIcon icon;
    images->GetIcon(0, icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.Handle(), &info));
    const TUniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP size{};
    GetObjectW(colour.Get(), sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 16);
    EXPECT_EQ(size.bmHeight, 16);

    // Image 1 as drawn: the resource's pixels where it is opaque, the list's
    // background colour where it is transparent (the corner), else untouched.
    const TUniqueIcon resource(static_cast<HICON>(LoadImageW(
        Module(), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + 1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    const capture::TPixels expected = capture::IconPixels(resource.Get());
    const auto drawn = [&] { return capture::Render(16, 16, [&](HDC dc) { images->Draw(dc, 0, 0, 1); }); };
    EXPECT_EQ(drawn().At(8, 8), expected.At(8, 8));
    EXPECT_EQ(drawn().At(0, 0), 0u);
    images->SetBkColor(RGB(0, 0, 255));
    EXPECT_EQ(drawn().At(0, 0), 0x0000FFu);

    images->GetIcon(2, icon);
    EXPECT_TRUE(icon.Empty());
    TBitmap bitmap;
    images->GetBitmap(2, bitmap);
    EXPECT_TRUE(bitmap.Empty());
    images->SetSize(24, 24);
    EXPECT_EQ(images->Count(), 0);
    EXPECT_EQ(images->Width(), 24);
}

TEST(SimpleTimer, TheSharedWindowLivesExactlyAsLongAsTheLastTimer) {
    EXPECT_EQ(TSimpleTimer::SharedHandler(), nullptr);
    auto first = std::make_unique<TSimpleTimer>(nullptr, nullptr);
    TSimpleTimerHandler* handler = TSimpleTimer::SharedHandler();
    ASSERT_NE(handler, nullptr);
    HWND window = handler->Window();
    auto second = std::make_unique<TSimpleTimer>(nullptr, nullptr);
    EXPECT_EQ(TSimpleTimer::SharedHandler(), handler);
    EXPECT_EQ(handler->RefCount(), 2u);
    first.reset();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(handler->RefCount(), 1u);
    second.reset();
    EXPECT_EQ(TSimpleTimer::SharedHandler(), nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST(SimpleTimer, StartRestartsStopReportsAndTicksReachOnlyLiveTimers) {
    static int ticks;
    ticks = 0;
    int data = 0;
    auto timer = std::make_unique<TSimpleTimer>(&data, [](void* d) {
        ++ticks;
        ++*static_cast<int*>(d);
    });
    EXPECT_FALSE(timer->Active());
    EXPECT_FALSE(timer->Stop());  // nothing was running
    EXPECT_TRUE(timer->Start(10));
    EXPECT_TRUE(PumpUntil([] { return ticks >= 2; }));
    EXPECT_EQ(data, ticks);
    EXPECT_TRUE(timer->Start(100000));  // restart with a long period
    EXPECT_TRUE(timer->Active());
    EXPECT_EQ(timer->Interval(), 100000u);
    EXPECT_TRUE(timer->Stop());
    EXPECT_FALSE(timer->Active());

    // A timer without a callback ticks without effect: its real ticks reach
    // no other timer.
    const int before = ticks;
    TSimpleTimer silent(nullptr, nullptr);
    EXPECT_NE(silent.Id(), timer->Id());
    EXPECT_TRUE(silent.Start(1));
    const HWND shared = TSimpleTimer::SharedHandler()->Window();
    int silentTicks = 0;
    MSG msg;
    while (silentTicks < 2 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == shared && msg.message == WM_TIMER && msg.wParam == silent.Id()) ++silentTicks;
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(silentTicks, 2);
    EXPECT_EQ(ticks, before);
    EXPECT_EQ(data, before);
    EXPECT_TRUE(silent.Active());

    // A tick posted for a timer that has since been destroyed reaches nothing.
    const UINT_PTR id = timer->Id();
    PostMessageW(TSimpleTimer::SharedHandler()->Window(), WM_TIMER, id, 0);
    timer.reset();
    PumpPosted();
    EXPECT_EQ(ticks, before);
}
