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
    testing::Values(ParseCase{{}, TCommand::Run}, ParseCase{{"/hide"}, TCommand::Hide},
                    ParseCase{{"/show"}, TCommand::Show}, ParseCase{{"/toggle"}, TCommand::Toggle},
                    ParseCase{{"/exit"}, TCommand::Exit}, ParseCase{{"/status"}, TCommand::Status},
                    ParseCase{{"-HIDE"}, TCommand::Hide}, ParseCase{{"/Toggle"}, TCommand::Toggle},
                    ParseCase{{"/autostart", "on"}, TCommand::AutostartOn},
                    ParseCase{{"-AutoStart", "OFF"}, TCommand::AutostartOff},
                    // Refused: unknown, bare, extra or missing arguments.
                    ParseCase{{"hide"}, std::nullopt}, ParseCase{{"/"}, std::nullopt},
                    ParseCase{{""}, std::nullopt}, ParseCase{{"/hid"}, std::nullopt},
                    ParseCase{{"/hidex"}, std::nullopt}, ParseCase{{"//hide"}, std::nullopt},
                    ParseCase{{"/hide", "/show"}, std::nullopt}, ParseCase{{"/status", "x"}, std::nullopt},
                    ParseCase{{"/autostart"}, std::nullopt}, ParseCase{{"/autostart", "yes"}, std::nullopt},
                    ParseCase{{"/autostart", "on", "off"}, std::nullopt}, ParseCase{{"/run"}, std::nullopt},
                    ParseCase{{"/h\xC3\x8F"
                               "de"},
                              std::nullopt}));

TEST(RemoteCommandTest, EveryRemoteCommandRoundTrips) {
    for (TCommand command :
         {TCommand::Hide, TCommand::Show, TCommand::Toggle, TCommand::Exit, TCommand::Status}) {
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
    for (int code : {0, 6, 7, 8, 0x7F, 0xFF}) {
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

}  // namespace

TEST(SingleInstance, AMutexThatExistsOrMayNotBeOpenedMeansAnotherCopyRuns) {
    EXPECT_TRUE(AnotherCopyRuns(true, 183));  // ERROR_ALREADY_EXISTS
    EXPECT_TRUE(AnotherCopyRuns(false, 5));   // ERROR_ACCESS_DENIED: elevated, or another user
    EXPECT_FALSE(AnotherCopyRuns(true, 0));   // made it: the first copy
    EXPECT_FALSE(AnotherCopyRuns(false, 8));  // any other failure: run as the first
    EXPECT_FALSE(AnotherCopyRuns(true, 5));
}
