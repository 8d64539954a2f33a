#include "setting_actions.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "parallel_program.h"
#include "serial_program.h"

namespace label::testing {
namespace {

struct ActionRun {
    std::string shown;
    std::string sent;
};

// Runs the action of menu choice 3, 4 or 8 on an open channel; `script`
// starts with the choice and a space, then what the operator types.
ActionRun runAction(const std::string& script, const PortProfile& profile = parallelProfile) {
    ConsoleRig rig(script.substr(2));
    RecordingPorts ports;
    DeliveryReport report(profile.programName, rig.console);
    PrinterChannel channel(ports, report);
    channel.open(profile.deviceName);
    Settings settings;
    ActionContext context{rig.console, channel, report, settings, profile};
    (script[0] == '3' ? changeDarkness : script[0] == '4' ? changeLabelWidth : enableBlackMarkSensor)(context);
    rig.console.flush();
    return {rig.screen.text, ports.at(profile.deviceName).received};
}

struct SettingCase {
    const char* script;
    const char* sent;
    const char* shownLast;
};

class SettingAction : public ::testing::TestWithParam<SettingCase> {};

TEST_P(SettingAction, SendsTheEnteredValuesAndConfirms) {
    const SettingCase& c = GetParam();
    const ActionRun run = runAction(c.script);
    EXPECT_EQ(run.sent, c.sent);
    EXPECT_TRUE(run.shown.substr(run.shown.rfind("[cls]") + 5).starts_with(c.shownLast)) << run.shown;
}

const char* const blackMarkDone =
    "\n\nYou have now issued a command to enable the black mark sensor\n"
    "Press the feed button ON THE PRINTER to test your calculations";

INSTANTIATE_TEST_SUITE_P(
    Values, SettingAction,
    ::testing::Values(
        SettingCase{"3 12\n", "D12\r\n", "The Darkness Setting has been changed to 12"},
        SettingCase{"3 -3\n", "D-3\r\n", "The Darkness Setting has been changed to -3"},
        SettingCase{"4 406\n", "q406\r\n", "Your label width has been changed to 406 dots"},
        SettingCase{"8 609\n51\n0\n", "Q609,B51+0\r\n", "You have set the offset to 0"},
        SettingCase{"8 710 51 -45", "Q710,B51-45\r\n", "You have set the offset to -45"},
        SettingCase{"8 710 51 125", "Q710,B51+125\r\n", "You have set the offset to 125"},
        SettingCase{"8 1 2 -2147483648", "Q1,B2-2147483648\r\n", "You have set the offset to -2147483648"}));

TEST(BlackMarkDialogue, EndsWithTheFeedButtonHintLeftPending) {
    const ActionRun run = runAction("8 1 2 3");
    EXPECT_TRUE(run.shown.ends_with(blackMarkDone));
}

struct RetryCase {
    const char* script;
    const char* retry;
    const char* sent;
};

class SettingRetry : public ::testing::TestWithParam<RetryCase> {};

TEST_P(SettingRetry, EachPromptAnswersWithItsOwnTexts) {
    const RetryCase& c = GetParam();
    const ActionRun run = runAction(c.script, serialProfile);
    EXPECT_NE(run.shown.find(c.retry), std::string::npos) << run.shown;
    EXPECT_EQ(run.sent, c.sent);
}
INSTANTIATE_TEST_SUITE_P(
    Prompts, SettingRetry,
    ::testing::Values(
        RetryCase{"3 x\n5\n", "\nInvalid input.\n\aNo decimals, WHOLE NUMBER only...Enter an integer: ", "D5\r\n"},
        RetryCase{"4 x\n5\n", "\ninvalid input.\n\aWHOLE NUMBER ONLY    Enter an integer: ", "q5\r\n"},
        RetryCase{"8 x\n5 6 7\n", "\ninvalid input.\n\aWHOLE NUMBER ONLY    Enter an integer: ", "Q5,B6+7\r\n"},
        RetryCase{"8 5\nx\n6\n7\n",
                  "now...\ninvalid input.\n\aEnter an integer \nNo Decimals...WHOLE NUMBER ONLY: ", "Q5,B6+7\r\n"},
        RetryCase{"8 5\n6.5\n-7\n",
                  "now\ninvalid input.\n\aNO DECIMALS ONLY WHOLE SIGNED NUMBERS (-34,56,-45 etc.)\nEnter a signed "
                  "integer only (Whole numbers): ",
                  "Q5,B6-7\r\n"}));

TEST(BlackMarkDialogue, ExplainsTheOffsetWithTheProgramsOwnLine) {
    for (const PortProfile* profile : {&serialProfile, &parallelProfile}) {
        const std::string expected =
            "The offset is the distance from\n" + std::string(profile->offsetExplanationLine) + "\nor the perforation\n";
        EXPECT_NE(runAction("8 1 2 3", *profile).shown.find(expected), std::string::npos);
    }
}

}  // namespace
}  // namespace label::testing
