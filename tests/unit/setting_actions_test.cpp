#include "setting_actions.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "parallel_program.h"
#include "serial_program.h"

namespace label::testing {
namespace {

struct SettingCase {
    const char* script;
    const char* sent;
    const char* shownLast;
};

class SettingAction : public ::testing::TestWithParam<SettingCase> {};

// Runs one action with an open channel and returns what the port received.
TEST_P(SettingAction, SendsTheEnteredValuesAndConfirms) {
    const SettingCase& c = GetParam();
    ConsoleRig rig(std::string(c.script).substr(2));
    RecordingPorts ports;
    PrinterChannel channel(ports);
    channel.open("lpt1:");
    Settings settings;
    ActionContext context{rig.console, channel, settings, parallelProfile};
    const char choice = c.script[0];
    (choice == '3' ? changeDarkness : choice == '4' ? changeLabelWidth : enableBlackMarkSensor)(context);
    rig.console.flush();
    EXPECT_EQ(ports.at("lpt1:").received, c.sent);
    const std::string& shown = rig.screen.text;
    EXPECT_EQ(shown.substr(shown.rfind("[cls]") + 5), c.shownLast);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingAction,
    ::testing::Values(
        SettingCase{"3 12\n", "D12\r\n", "The Darkness Setting has been changed to 12"},
        SettingCase{"3 -3\n", "D-3\r\n", "The Darkness Setting has been changed to -3"},
        SettingCase{"3 0\n", "D0\r\n", "The Darkness Setting has been changed to 0"},
        SettingCase{"4 406\n", "q406\r\n", "Your label width has been changed to 406 dots"},
        SettingCase{"8 609\n51\n0\n", "Q609,B51+0\r\n",
                    "You have set the offset to 0\n\nYou have now issued a command to enable the black mark "
                    "sensor\nPress the feed button ON THE PRINTER to test your calculations"},
        SettingCase{"8 710 51 -45", "Q710,B51-45\r\n", "You have set the offset to -45\n\n"
                                                       "You have now issued a command to enable the black mark "
                                                       "sensor\nPress the feed button ON THE PRINTER to test your "
                                                       "calculations"},
        SettingCase{"8 710 51 125", "Q710,B51+125\r\n", "You have set the offset to 125\n\n"
                                                        "You have now issued a command to enable the black mark "
                                                        "sensor\nPress the feed button ON THE PRINTER to test your "
                                                        "calculations"},
        SettingCase{"8 1 2 -2147483648", "Q1,B2-2147483648\r\n",
                    "You have set the offset to -2147483648\n\nYou have now issued a command to enable the black "
                    "mark sensor\nPress the feed button ON THE PRINTER to test your calculations"}));

struct RetryCase {
    const char* script;
    const char* retry;
    const char* sent;
};

class SettingRetry : public ::testing::TestWithParam<RetryCase> {};

TEST_P(SettingRetry, EachPromptAnswersWithItsOwnTexts) {
    const RetryCase& c = GetParam();
    ConsoleRig rig(std::string(c.script).substr(2));
    RecordingPorts ports;
    PrinterChannel channel(ports);
    channel.open("com1:");
    Settings settings;
    ActionContext context{rig.console, channel, settings, serialProfile};
    const char choice = c.script[0];
    (choice == '3' ? changeDarkness : choice == '4' ? changeLabelWidth : enableBlackMarkSensor)(context);
    EXPECT_NE(rig.screen.text.find(c.retry), std::string::npos) << rig.screen.text;
    EXPECT_EQ(ports.at("com1:").received, c.sent);
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
        ConsoleRig rig("1 2 3");
        RecordingPorts ports;
        PrinterChannel channel(ports);
        Settings settings;
        ActionContext context{rig.console, channel, settings, *profile};
        enableBlackMarkSensor(context);
        const std::string expected =
            "The offset is the distance from\n" + std::string(profile->offsetExplanationLine) + "\nor the perforation\n";
        EXPECT_NE(rig.screen.text.find(expected), std::string::npos);
    }
}

}  // namespace
}  // namespace label::testing
