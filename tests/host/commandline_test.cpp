#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"

namespace {

using Arguments = std::vector<std::string>;

struct ParseCase {
    Arguments arguments;
    std::optional<TCommand> expected;
};

class ParseCommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, GivesTheCommandOrRefuses) {
    EXPECT_EQ(ParseCommandLine(GetParam().arguments), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ParseCommandLineTest,
    testing::Values(
        ParseCase{{}, TCommand::None}, ParseCase{{"/hide"}, TCommand::Hide},
        ParseCase{{"/show"}, TCommand::Show}, ParseCase{{"/toggle"}, TCommand::Toggle},
        ParseCase{{"/exit"}, TCommand::Exit}, ParseCase{{"/status"}, TCommand::Status},
        ParseCase{{"-HIDE"}, TCommand::Hide}, ParseCase{{"/Toggle"}, TCommand::Toggle},
        ParseCase{{"/autostart", "on"}, TCommand::AutostartOn},
        ParseCase{{"-AutoStart", "OFF"}, TCommand::AutostartOff},
        // Refused: unknown, bare, extra or missing arguments.
        ParseCase{{"hide"}, std::nullopt}, ParseCase{{"/"}, std::nullopt}, ParseCase{{""}, std::nullopt},
        ParseCase{{"/hid"}, std::nullopt}, ParseCase{{"/hidex"}, std::nullopt},
        ParseCase{{"//hide"}, std::nullopt}, ParseCase{{"/hide", "/show"}, std::nullopt},
        ParseCase{{"/status", "x"}, std::nullopt}, ParseCase{{"/autostart"}, std::nullopt},
        ParseCase{{"/autostart", "yes"}, std::nullopt}, ParseCase{{"/autostart", "on", "off"}, std::nullopt},
        ParseCase{{"/run"}, std::nullopt}, ParseCase{{"/hotkey"}, TCommand::HotKey},
        ParseCase{{"-HotKey", "OFF"}, TCommand::HotKey},
        ParseCase{{"/hotkey", "ctrl+alt+d"}, TCommand::HotKey},
        ParseCase{{"/autohide", "86400"}, TCommand::AutoHide}, ParseCase{{"/hotkey", "d"}, std::nullopt},
        ParseCase{{"/hotkey", "off", "x"}, std::nullopt}, ParseCase{{"/autohide", "4"}, std::nullopt},
        ParseCase{{"/autohide", "86401"}, std::nullopt}, ParseCase{{"/autohide", "+5"}, std::nullopt},
        ParseCase{{"/autohide", ""}, std::nullopt}, ParseCase{{"/keepwallpaper"}, TCommand::KeepWallpaper},
        ParseCase{{"/KeepWallpaper", "ON"}, TCommand::KeepWallpaper},
        ParseCase{{"-doubleclick", "off"}, TCommand::DoubleClick},
        ParseCase{{"/settings"}, TCommand::Settings}, ParseCase{{"/doubleclick", "1"}, std::nullopt},
        ParseCase{{"/keepwallpaper", "on", "off"}, std::nullopt}, ParseCase{{"/settings", "x"}, std::nullopt},
        ParseCase{{"/h\xC3\x8F"
                   "de"},
                  std::nullopt}));

TEST(RemoteCommandTest, EveryRemoteCommandRoundTrips) {
    for (TCommand command : {TCommand::Hide, TCommand::Show, TCommand::Toggle, TCommand::Exit,
                             TCommand::Status, TCommand::ReloadSettings, TCommand::Settings}) {
        const auto payload = EncodeRemoteCommand(command);
        EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, payload.data(), payload.size()), command);
    }
    const auto payload = EncodeRemoteCommand(TCommand::Toggle);
    EXPECT_EQ(std::string(payload.begin(), payload.end()), std::string("BRVN\x01\x00\x03\xFC", 8));
}

TEST(RemoteCommandTest, RefusesEveryDamagedField) {
    const auto good = EncodeRemoteCommand(TCommand::Hide);
    EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag + 1, good.data(), good.size()), std::nullopt);
    EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, nullptr, good.size()), std::nullopt);
    EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, good.data(), good.size() - 1), std::nullopt);
    std::vector<uint8_t> longer(good.begin(), good.end());
    longer.push_back(0);
    EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, longer.data(), longer.size()), std::nullopt);
    // Each byte changed alone spoils the message.
    for (size_t i = 0; i < good.size(); ++i) {
        auto damaged = good;
        damaged[i] ^= 0x40;
        EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, damaged.data(), damaged.size()), std::nullopt) << i;
    }
    // Well-formed, but not for another copy: start, autostart, unknown codes.
    for (int code : {0, 6, 7, 9, 10, 11, 12, 14, 0x7F, 0xFF}) {
        auto other = good;
        other[6] = static_cast<uint8_t>(code);
        other[7] = static_cast<uint8_t>(~code);
        EXPECT_EQ(DecodeRemoteCommand(kRemoteCommandTag, other.data(), other.size()), std::nullopt) << code;
    }
}

TEST(RemoteCommandTest, RepliesCarryTheStateAndZeroIsNoAnswer) {
    EXPECT_EQ(DecodeRemoteReply(EncodeRemoteReply(false)), false);
    EXPECT_EQ(DecodeRemoteReply(EncodeRemoteReply(true)), true);
    for (int64_t reply : {int64_t{0}, int64_t{1}, int64_t{-1}, EncodeRemoteReply(true) + 1}) {
        EXPECT_EQ(DecodeRemoteReply(reply), std::nullopt) << reply;
    }
}

TEST(RemoteCommandTest, TheSettingsReplyCarriesTheHotKeyAndIsNoStatusReply) {
    for (bool hidden : {false, true}) {
        for (bool registered : {false, true}) {
            const TSettingsReply reply{hidden, registered};
            EXPECT_EQ(DecodeSettingsReply(EncodeSettingsReply(reply)), reply);
        }
    }
    EXPECT_EQ(DecodeSettingsReply(0), std::nullopt);
    EXPECT_EQ(DecodeRemoteReply(EncodeSettingsReply({false, true})), std::nullopt);
}

TEST(SettingCommandTest, CarriesTheChangeAndItsValue) {
    const auto off = ParseCommandRequest({"/autohide", "Off"});
    ASSERT_TRUE(off);
    EXPECT_EQ(off->change, TSettingChange::TurnOff);
    const auto seconds = ParseCommandRequest({"/autohide", "0300"});
    ASSERT_TRUE(seconds);
    EXPECT_EQ(seconds->change, TSettingChange::Set);
    EXPECT_EQ(seconds->autoHideSeconds, 300u);
    const auto key = ParseCommandRequest({"/hotkey", " win + shift + h "});
    ASSERT_TRUE(key);
    EXPECT_EQ(key->change, TSettingChange::Set);
    EXPECT_EQ(key->hotKey, (THotKey{kHotKeyWin | kHotKeyShift, 'H'}));
    EXPECT_EQ(ParseCommandRequest({"/hotkey"})->change, TSettingChange::Print);
    EXPECT_EQ(ParseCommandRequest({"/doubleclick", "on"})->change, TSettingChange::Set);
    EXPECT_EQ(ParseCommandRequest({"/keepwallpaper", "off"})->change, TSettingChange::TurnOff);
    EXPECT_FALSE(IsRemoteCommand(TCommand::KeepWallpaper));
    EXPECT_EQ(AutoHideSecondsFromStored(4), 0u);
    EXPECT_EQ(AutoHideSecondsFromStored(86400), 86400u);
}

struct HotKeyCase {
    const char* text;
    std::optional<THotKey> expected;
    const char* written;  // HotKeyText of the result
};

class HotKeyTextTest : public testing::TestWithParam<HotKeyCase> {};

TEST_P(HotKeyTextTest, ReadsAndWritesTheKey) {
    const std::optional<THotKey> parsed = ParseHotKey(GetParam().text);
    EXPECT_EQ(parsed, GetParam().expected);
    if (parsed) {
        EXPECT_EQ(HotKeyText(*parsed), GetParam().written);
        EXPECT_EQ(ParseHotKey(HotKeyText(*parsed)), parsed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeyTextTest,
    testing::Values(HotKeyCase{"Ctrl+F12", kDefaultHotKey, "Ctrl+F12"},
                    HotKeyCase{"Ctrl+Alt+D", THotKey{kHotKeyControl | kHotKeyAlt, 'D'}, "Ctrl+Alt+D"},
                    HotKeyCase{"shift+WIN+h", THotKey{kHotKeyWin | kHotKeyShift, 'H'}, "Win+Shift+H"},
                    HotKeyCase{"Control+Windows+7", THotKey{kHotKeyWin | kHotKeyControl, '7'}, "Win+Ctrl+7"},
                    HotKeyCase{"F24", THotKey{0, 0x87}, "F24"},
                    HotKeyCase{"Shift+Pause", THotKey{4, 0x13}, "Shift+Pause"},
                    HotKeyCase{"Alt+PgDn", THotKey{kHotKeyAlt, 0x22}, "Alt+PageDown"},
                    HotKeyCase{"Ctrl+numpad0", THotKey{kHotKeyControl, 0x60}, "Ctrl+NumPad0"},
                    HotKeyCase{"Ctrl+Esc", THotKey{kHotKeyControl, 0x1B}, "Ctrl+Esc"},
                    // Refused: typing keys alone or with Shift only, doubles, gaps, unknown names.
                    HotKeyCase{"D", std::nullopt, ""}, HotKeyCase{"Shift+Space", std::nullopt, ""},
                    HotKeyCase{"Ctrl", std::nullopt, ""}, HotKeyCase{"Ctrl+Ctrl+D", std::nullopt, ""},
                    HotKeyCase{"Ctrl+D+E", std::nullopt, ""}, HotKeyCase{"Ctrl++D", std::nullopt, ""},
                    HotKeyCase{"Ctrl+D+", std::nullopt, ""}, HotKeyCase{"", std::nullopt, ""},
                    HotKeyCase{"Ctrl+F25", std::nullopt, ""}, HotKeyCase{"Ctrl+F0", std::nullopt, ""},
                    HotKeyCase{"Ctrl+F012", std::nullopt, ""}, HotKeyCase{"Ctrl+Hyper", std::nullopt, ""},
                    HotKeyCase{"Ctrl+\xC3\x84", std::nullopt, ""}));

}  // namespace

TEST(SingleInstance, AMutexThatExistsOrMayNotBeOpenedMeansAnotherCopyRuns) {
    EXPECT_TRUE(AnotherCopyRuns(true, 183));  // ERROR_ALREADY_EXISTS
    EXPECT_TRUE(AnotherCopyRuns(false, 5));   // ERROR_ACCESS_DENIED: elevated, or another user
    EXPECT_FALSE(AnotherCopyRuns(true, 0));   // made it: the first copy
    EXPECT_FALSE(AnotherCopyRuns(false, 8));  // any other failure: run as the first
    EXPECT_FALSE(AnotherCopyRuns(true, 5));
}
