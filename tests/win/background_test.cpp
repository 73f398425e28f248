// TDesktopBackground against the stand-in for the shell's desktop-wallpaper
// object (tests/fixtures/DesktopWallpaperStandIn.cpp), whose state the test
// reads from the registry, and without it (Wine has none).
#include <gtest/gtest.h>

#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "DesktopBackground.h"
#include "support/RegistryBackup.h"
#include "support/Win32Helpers.h"
#include "support/WinTestSupport.h"
#include "win/ComHandles.h"

namespace {

const wchar_t kBrivaneKey[] = L"Software\\Brivane";
const wchar_t kBackgroundOffValueW[] = L"BackgroundOff";
const wchar_t kStandInKey[] = L"Software\\BrivaneFixture\\DesktopWallpaper";

// A value of the stand-in's state as text, e.g. "Monitor1\\Wallpaper".
std::wstring StandIn(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    const std::wstring key =
        slash == std::wstring::npos ? kStandInKey : kStandInKey + (L"\\" + path.substr(0, slash));
    DWORD type = 0;
    const auto bytes = RegistryBytes(key, path.substr(slash + 1), &type);
    if (type == REG_DWORD && bytes.size() == 4)
        return std::to_wstring(*reinterpret_cast<const DWORD*>(bytes.data()));
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}
// Each monitor's own picture, the fit, the colour, the slideshow, on or off.
std::wstring World() {
    std::wstring world;
    for (const wchar_t* value :
         {L"Monitor0\\Id", L"Monitor0\\Wallpaper", L"Monitor1\\Id", L"Monitor1\\Wallpaper", L"Position",
          L"BackgroundColor", L"Status", L"Enabled"}) {
        world += StandIn(value) + L"|";
    }
    return world;
}
std::wstring TakeCalls() {
    const std::wstring calls = StandIn(L"Calls");
    SetRegistryString(kStandInKey, L"Calls", L"");
    return calls;
}

// The stand-in's registration, as regsvr32 would call it.
class TStandIn {
public:
    ~TStandIn() {
        Call("DllUnregisterServer");
        RegDeleteTreeW(HKEY_CURRENT_USER, kStandInKey);
    }
    HRESULT Call(const char* name) const {
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto* entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
        return entry ? entry() : E_FAIL;
    }

private:
    TUniqueModule module_{
        LoadLibraryW((BuildDirectory() + L"\\tests\\fixtures\\desktop-wallpaper-standin.dll").c_str())};
};

}  // namespace

TEST(DesktopBackground, TakenAwayOnEveryMonitorGivenBackAsItWasAndRepairedAfterACrash) {
    TTestApplication app;
    TRegistryValueBackup record{kBrivaneKey, kBackgroundOffValueW};
    DeleteRegistryValue(kBrivaneKey, kBackgroundOffValueW);
    TStandIn standIn;
    ASSERT_EQ(standIn.Call("DllUnregisterServer"), S_OK);

    // Wine has no desktop-wallpaper object: TakeAway says so and records nothing.
    app.app.EnterComApartment();
    TComRef<IDesktopWallpaper> direct;
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                        reinterpret_cast<void**>(direct.Receive()))));
    TDesktopBackground background;
    EXPECT_FALSE(background.TakeAway());
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValueW));

    // Two monitors with their own pictures, a fit, a colour, a slideshow running.
    ASSERT_EQ(standIn.Call("DllRegisterServer"), S_OK);
    const std::wstring before = World();
    ASSERT_NE(StandIn(L"Monitor0\\Wallpaper"), StandIn(L"Monitor1\\Wallpaper"));
    ASSERT_EQ(StandIn(L"Status"), std::to_wstring(static_cast<int>(DSS_ENABLED | DSS_SLIDESHOW)));
    ASSERT_EQ(StandIn(L"Enabled"), L"1");

    ASSERT_TRUE(background.TakeAway());
    EXPECT_TRUE(background.TakenAway());
    EXPECT_EQ(StandIn(L"Enabled"), L"0");
    EXPECT_EQ(RegistryBytes(kBrivaneKey, kBackgroundOffValueW), std::vector<BYTE>({1, 0, 0, 0}));
    background.GiveBack();
    EXPECT_EQ(World(), before);
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValueW));
    // Turned off only once recorded; nothing else of the user's choice touched.
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];Enable(1)[recorded];");

    // A background the user has off stays off, and nothing is recorded.
    SetRegistryDword(kStandInKey, L"Enabled", 0);
    EXPECT_TRUE(background.TakeAway());
    background.GiveBack();
    EXPECT_EQ(StandIn(L"Enabled"), L"0");
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValueW));
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];");
    SetRegistryDword(kStandInKey, L"Enabled", 1);

    // A copy that ends while hidden leaves its record; the next start gives
    // the background back and deletes it.
    auto crashed = std::make_unique<TDesktopBackground>();
    ASSERT_TRUE(crashed->TakeAway());
    static_cast<void>(crashed.release());  // no destructor, no GiveBack: as a crash
    EXPECT_EQ(StandIn(L"Enabled"), L"0");
    TDesktopBackground::RepairLeftOver();
    EXPECT_EQ(World(), before);
    EXPECT_FALSE(RegistryValueExists(kBrivaneKey, kBackgroundOffValueW));
    EXPECT_EQ(TakeCalls(), L"Enable(0)[recorded];Enable(1)[recorded];");

    // A record of another type is not Brivane's: left as it is, nothing touched.
    SetRegistryString(kBrivaneKey, kBackgroundOffValueW, L"1");
    SetRegistryDword(kStandInKey, L"Enabled", 0);
    TDesktopBackground::RepairLeftOver();
    EXPECT_EQ(StandIn(L"Enabled"), L"0");
    DWORD type = 0;
    EXPECT_EQ(RegistryBytes(kBrivaneKey, kBackgroundOffValueW, &type).size(), 2 * sizeof(wchar_t));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    DeleteRegistryValue(kBrivaneKey, kBackgroundOffValueW);
    TDesktopBackground::RepairLeftOver();  // no record: nothing happens either
    EXPECT_EQ(TakeCalls(), L"");
}
