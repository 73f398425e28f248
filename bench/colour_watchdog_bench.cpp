// Caption colours under Wine, in-process against a desktop fixture: the cost
// of one watchdog compare tick, and committed memory after 1,000 colour
// applications against after the first 10 (it should not grow).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "DesktopFixture.h"
#include "MainWindow.h"
#include "win/Application.h"

namespace {

SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

double MedianMicroseconds(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main() {
    // Keep the user's stored colour as it was.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    DWORD saved = 0, size = sizeof(saved), type = 0;
    const bool hadColour = RegQueryValueExW(key, L"TessikIconColour", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&saved), &size) == ERROR_SUCCESS;
    const DWORD colour = RGB(0, 128, 255);
    RegSetValueExW(key, L"TessikIconColour", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&colour),
                   sizeof(colour));

    {
        TApplication application;
        application.SetTitle("Brivane");
        TDesktopFixture fixture;
        TMainWindow* form = application.CreateForm<TMainWindow>();
        form->Heartbeat().Tick();  // the capture tick

        std::vector<double> ticks;
        for (int i = 0; i < 200; ++i) {
            const auto start = std::chrono::steady_clock::now();
            form->Heartbeat().Tick();
            ticks.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
        std::printf("watchdog compare tick: median %.1f us over %zu ticks\n", MedianMicroseconds(ticks),
                    ticks.size());

        for (int i = 0; i < 10; ++i) form->LoadIconColours();
        const SIZE_T after10 = CommittedBytes();
        for (int i = 10; i < 1000; ++i) form->LoadIconColours();
        const SIZE_T after1000 = CommittedBytes();
        std::printf(
            "committed memory: %zu KB after 10 colour applications, %zu KB after 1000 (growth %lld KB; "
            "target: no growth)\n",
            after10 / 1024, after1000 / 1024,
            (static_cast<long long>(after1000) - static_cast<long long>(after10)) / 1024);
    }

    if (hadColour) {
        RegSetValueExW(key, L"TessikIconColour", 0, type, reinterpret_cast<const BYTE*>(&saved), size);
    } else {
        RegDeleteValueW(key, L"TessikIconColour");
    }
    RegCloseKey(key);
    return 0;
}
