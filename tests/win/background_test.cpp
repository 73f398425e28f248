// TDesktopBackground: the background turned off on every monitor while the
// desktop is hidden and on again afterwards, each monitor's own picture, the
// fit, the colour and the running slideshow untouched; a record left by a
// crash repaired by the next start; a record of another type left alone; and
// nothing at all where the system has no desktop-wallpaper object (Wine).
#include <gtest/gtest.h>

#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <string>
#include <vector>

#include "DesktopBackground.h"
#include "support/RegistryBackup.h"
#include "support/Win32Helpers.h"
#include "support/WinTestSupport.h"
#include "win/ComHandles.h"

namespace {

const wchar_t kBrivaneKey[] = L"Software\\Brivane";
const wchar_t kStandInKey[] = L"Software\\BrivaneFixture\\DesktopWallpaper";

std::wstring StandInText(const std::wstring& sub, const wchar_t* name) {
    const std::wstring key = sub.empty() ? kStandInKey : std::wstring(kStandInKey) + L"\\" + sub;
    const auto bytes = RegistryBytes(key, name);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}
DWORD StandInNumber(const wchar_t* name) {
    const auto bytes = RegistryBytes(kStandInKey, name);
    return bytes.size() == sizeof(DWORD) ? *reinterpret_cast<const DWORD*>(bytes.data()) : 0xDEADu;
}

// What the stand-in's user chose, monitor by monitor, and whether it shows.
struct TWorld {
    std::vector<std::wstring> monitors;  // id and picture of each
    DWORD position, colour, status, enabled;
    bool operator==(const TWorld&) const = default;
};
TWorld World() {
    TWorld world{{},
                 StandInNumber(L"Position"),
                 StandInNumber(L"BackgroundColor"),
                 StandInNumber(L"Status"),
                 StandInNumber(L"Enabled")};
    for (DWORD i = 0; i < StandInNumber(L"MonitorCount"); ++i) {
        const std::wstring monitor = L"Monitor" + std::to_wstring(i);
        world.monitors.push_back(StandInText(monitor, L"Id") + L" " + StandInText(monitor, L"Wallpaper"));
    }
    return world;
}
std::wstring TakeCalls() {
    std::wstring calls = StandInText({}, L"Calls");
    SetRegistryString(kStandInKey, L"Calls", L"");
    return calls;
}

// The stand-in's own registration entry points, as regsvr32 calls them.
class TStandIn {
public:
    TStandIn()
        : module_(LoadLibraryW(
              (BuildDirectory() + L"\\tests\\fixtures\\desktop-wallpaper-standin.dll").c_str())) {}
    ~TStandIn() {
        Call("DllUnregisterServer");
        RegDeleteTreeW(HKEY_CURRENT_USER, kStandInKey);
    }
    TStandIn(const TStandIn&) = delete;
    TStandIn& operator=(const TStandIn&) = delete;
    HRESULT Call(const char* name) const {
        if (!module_) return E_FAIL;
        auto* entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
        return entry ? entry() : E_FAIL;
    }

private:
    TUniqueModule module_;
};

}  // namespace

TEST(DesktopBackground, TakenAwayOnEveryMonitorGivenBackAsItWasAndRepairedAfterACrash) {
    TTestApplication app;
    TRegistryValueBackup record{kBrivaneKey, kBackgroundOffValue};
    DeleteRegistryValue(kBrivaneKey, kBackgroundOffValue);
    TStandIn standIn;
    ASSERT_EQ(standIn.Call("DllUnregisterServer"), S_OK);

    // Wine has no desktop-wallpaper object: TakeAway says so and records nothing.
    app.app.EnterComApartment();
    {
        TComRef<IDesktopWallpaper> direct;
        EXPECT_TRUE(
            FAILED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                    reinterpret_cast<void**>(direct.Receive()))));
    }
    TDesktopBackground background;
    EXPECT_FALSE(background.TakeAway());
    EXPECT_FALSE(background.TakenAway());
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValue));

    // Two monitors with their own pictures, a fit, a colour, a slideshow running.
    ASSERT_EQ(standIn.Call("DllRegisterServer"), S_OK);
    const TWorld before = World();
    ASSERT_EQ(before.monitors.size(), 2u);
    ASSERT_NE(StandInText(L"Monitor0", L"Wallpaper"), StandInText(L"Monitor1", L"Wallpaper"));
    ASSERT_EQ(before.enabled, 1u);
    ASSERT_TRUE(before.status & DSS_SLIDESHOW);

    ASSERT_TRUE(background.TakeAway());
    EXPECT_TRUE(background.TakenAway());
    EXPECT_EQ(StandInNumber(L"Enabled"), 0u);
    EXPECT_EQ(RegistryBytes(kBrivaneKey, kBackgroundOffValue), std::vector<BYTE>({1, 0, 0, 0}));
    background.GiveBack();
    EXPECT_EQ(World(), before);  // every monitor's picture, the fit, the colour; the slideshow still runs
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValue));
    // Turned off only once recorded; nothing of the user's choice written.
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];Enable(1)[recorded];");

    // A background the user has off stays off, and nothing is recorded.
    SetRegistryDword(kStandInKey, L"Enabled", 0);
    EXPECT_TRUE(background.TakeAway());
    background.GiveBack();
    EXPECT_EQ(StandInNumber(L"Enabled"), 0u);
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValue));
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];");
    SetRegistryDword(kStandInKey, L"Enabled", 1);

    // A copy that ends while hidden leaves its record; the next start gives
    // the background back and deletes it.
    auto crashed = std::make_unique<TDesktopBackground>();
    ASSERT_TRUE(crashed->TakeAway());
    static_cast<void>(crashed.release());  // ends as a crash would: no destructor, no GiveBack
    EXPECT_EQ(StandInNumber(L"Enabled"), 0u);
    TDesktopBackground::RepairLeftOver();
    EXPECT_EQ(World(), before);
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValue));
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];Enable(1)[recorded];");

    // A record of another type is not Brivane's: left as it is, nothing touched.
    SetRegistryString(kBrivaneKey, kBackgroundOffValue, L"1");
    SetRegistryDword(kStandInKey, L"Enabled", 0);
    TDesktopBackground::RepairLeftOver();
    EXPECT_EQ(StandInNumber(L"Enabled"), 0u);
    EXPECT_EQ(TakeCalls(), L"");
    DWORD type = 0;
    EXPECT_EQ(RegistryBytes(kBrivaneKey, kBackgroundOffValue, &type).size(), 2 * sizeof(wchar_t));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Without a record nothing happens either.
    DeleteRegistryValue(kBrivaneKey, kBackgroundOffValue);
    TDesktopBackground::RepairLeftOver();
    EXPECT_EQ(TakeCalls(), L"");
    EXPECT_TRUE(app.errorBoxes.empty());
}
