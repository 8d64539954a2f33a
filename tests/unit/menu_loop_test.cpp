#include "menu_loop.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "screen_texts.h"

namespace label::testing {
namespace {

constexpr PortProfile perCycle{"prog", "lpt1:", ChannelLifetime::oneMenuCycle, 2, LeavingStyle::sayGoodbye, "x"};
constexpr PortProfile wholeRun{"prog", "com1:", ChannelLifetime::wholeRun, 1, LeavingStyle::clearScreen, "x"};

RecordedRun::Program menuLoop(const PortProfile& profile) {
    return [&profile](Console& console, PortOpener& ports) { return runMenuLoop(profile, console, ports); };
}

struct ActionCase {
    const char* choice;
    const char* shown;
    const char* sent;
};

class OneStepAction : public ::testing::TestWithParam<ActionCase> {};

TEST_P(OneStepAction, SendsItsCommandAndConfirmsAboveTheNextMenu) {
    const ActionCase& c = GetParam();
    const RecordedRun run(menuLoop(perCycle), std::string(c.choice) + "\n0\n");
    EXPECT_EQ(run.rig.screen.text, menuText(2) + c.shown + menuText(2));
    EXPECT_EQ(run.ports.at("lpt1:").received, c.sent);
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, OneStepAction,
    ::testing::Values(
        ActionCase{"1", "\n[cls]****>>>A configuration page should have printed<<<****", "U\r\n"},
        ActionCase{"2", "\n[cls]***The Printer Should have calibrated***", "xa\r\n"},
        ActionCase{"5",
                   "This choice will turn the gap sensor on,\nIt will calibrate automatically after turning "
                   "the\nsensor on\n\n[cls]Your gap sensor should now be enabled and the printer\nshould be "
                   "calibrated",
                   "Q150,024\r\nxa\r\n"},
        ActionCase{"6",
                   "You have chosen to change from page mode to line mode\n[cls]Your printer has been given the "
                   "command to change to line mode",
                   "OVRT1\r\n"},
        ActionCase{"7",
                   "[cls]You have chosen to change from line mode to page mode\n\nYour printer should now be in "
                   "page mode\n",
                   "\x1bVRT2"}));

struct EndCase {
    const char* script;
    const PortProfile* profile;
    const char* after;
};

class EndOfRun : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndOfRun, ClosesTheChannelAndReturnsZero) {
    const EndCase& c = GetParam();
    const RecordedRun run(menuLoop(*c.profile), c.script);
    EXPECT_EQ(run.status, 0);
    const std::string menu = menuText(c.profile->blankLinesAfterTitle);
    EXPECT_EQ(run.rig.screen.text, menu + c.after);
}

INSTANTIATE_TEST_SUITE_P(Answers, EndOfRun,
                         ::testing::Values(EndCase{"9\n", &perCycle, "You have chosen to close the program"},
                                           EndCase{"9\n", &wholeRun, "[cls]"}, EndCase{"0\n", &perCycle, ""},
                                           EndCase{"-1\n", &wholeRun, ""}, EndCase{"10\n", &perCycle, ""},
                                           EndCase{"x\n", &perCycle, ""}, EndCase{"", &wholeRun, ""},
                                           EndCase{"\n  \n", &perCycle, ""}));

TEST(MenuLoop, EndOfInputAfterAChoiceEndsTheRunInsteadOfRepeatingIt) {
    const RecordedRun run(menuLoop(perCycle), "1");
    EXPECT_EQ(run.ports.at("lpt1:").received, "U\r\n");
    EXPECT_EQ(run.rig.input.readsAfterEnd, 1);
}

TEST(MenuLoop, SeveralChoicesOnOneLineAreTakenInTurn) {
    const RecordedRun run(menuLoop(perCycle), "1 2 9\n");
    EXPECT_EQ(run.ports.at("lpt1:").received, "U\r\nxa\r\n");
    EXPECT_EQ(run.ports.at("lpt1:").openCount, 3);
}

TEST(MenuLoop, WholeRunChannelKeepsPageModePendingUntilTheNextLine) {
    const RecordedRun run(menuLoop(wholeRun), "7\n1\n7\n9\n");
    EXPECT_EQ(run.ports.at("com1:").received, "\x1bVRT2U\r\n\x1bVRT2");
    EXPECT_EQ(run.ports.at("com1:").openCount, 1);
}

// Keyboard input that plugs the printer in once the first answer is typed.
class PluggingInInput final : public ConsoleInput {
public:
    PluggingInInput(std::string script, RecordingPorts::Port& port) : script_(std::move(script)), port_(port) {}
    int readByte() override {
        if (next_ == script_.size()) {
            return endOfInput;
        }
        port_.opens = port_.opens || script_[next_] == '\n';
        return static_cast<unsigned char>(script_[next_++]);
    }

private:
    std::string script_;
    std::size_t next_ = 0;
    RecordingPorts::Port& port_;
};

TEST(MenuLoop, PerCycleChannelReachesAPortThatComesBack) {
    RecordingPorts ports;
    ports["lpt1:"].opens = false;
    PluggingInInput input("1\n1\n9\n", ports["lpt1:"]);
    Transcript screen;
    Console console(input, screen, screen, screen);
    runMenuLoop(perCycle, console, ports);
    EXPECT_EQ(ports["lpt1:"].received, "U\r\n");
    EXPECT_EQ(ports["lpt1:"].openCount, 2);
}

}  // namespace
}  // namespace label::testing
