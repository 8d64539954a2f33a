#include "menu_loop.h"

#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"

namespace label::testing {
namespace {

constexpr PortProfile perCycle{PortKind::parallel, ChannelLifetime::oneMenuCycle, 2, LeavingStyle::sayGoodbye, "x"};
constexpr PortProfile wholeRun{PortKind::serial, ChannelLifetime::wholeRun, 1, LeavingStyle::clearScreen, "x"};

// The programs' menus differ in the blank lines after the title: these
// profiles have the parallel program's two and the serial program's one.
std::string menuShownBy(const PortProfile& profile) {
    return shown(profile.blankLinesAfterTitle == 2 ? "parallel menu" : "serial menu");
}

std::string sent(int choice) { return expected("choice " + std::to_string(choice) + " sends"); }

RecordedRun::Program menuLoop(const PortProfile& profile) {
    return [&profile](Console& console, PortOpener& ports) { return runMenuLoop(profile, console, ports); };
}

class OneStepAction : public ::testing::TestWithParam<int> {};

TEST_P(OneStepAction, SendsItsCommandAndConfirmsAboveTheNextMenu) {
    const int choice = GetParam();
    const RecordedRun run(menuLoop(perCycle), std::to_string(choice) + "\n0\n");
    const std::string menu = menuShownBy(perCycle);
    EXPECT_EQ(run.rig.screen.text, menu + shown("choice " + std::to_string(choice) + " shows") + menu);
    EXPECT_EQ(run.ports.at(PortKind::parallel).received, sent(choice));
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Choices, OneStepAction, ::testing::Values(1, 2, 5, 6, 7), caseName<int>);

struct EndCase {
    const char* script;
    const PortProfile* profile;
    const char* leaving;  // what the run shows after the menu, if anything
};

void PrintTo(const EndCase& c, std::ostream* out) {
    *out << portKind(c.profile->port).program << " \"" << escaped(c.script) << '"';
}

class EndOfRun : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndOfRun, ClosesTheChannelAndReturnsZero) {
    const EndCase& c = GetParam();
    const RecordedRun run(menuLoop(*c.profile), c.script);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.rig.screen.text, menuShownBy(*c.profile) + (c.leaving == nullptr ? "" : shown(c.leaving)));
}

INSTANTIATE_TEST_SUITE_P(Answers, EndOfRun,
                         ::testing::Values(EndCase{"9\n", &perCycle, "goodbye"},
                                           EndCase{"9\n", &wholeRun, "screen clear"},
                                           EndCase{"0\n", &perCycle, nullptr}, EndCase{"-1\n", &wholeRun, nullptr},
                                           EndCase{"10\n", &perCycle, nullptr}, EndCase{"x\n", &perCycle, nullptr},
                                           EndCase{"", &wholeRun, nullptr}, EndCase{"\n  \n", &perCycle, nullptr}),
                         caseName<EndCase>);

TEST(MenuLoop, EndOfInputAfterAChoiceEndsTheRunInsteadOfRepeatingIt) {
    const RecordedRun run(menuLoop(perCycle), "1");
    EXPECT_EQ(run.ports.at(PortKind::parallel).received, sent(1));
    EXPECT_EQ(run.rig.input.readsAfterEnd, 1);
}

TEST(MenuLoop, SeveralChoicesOnOneLineAreTakenInTurn) {
    const RecordedRun run(menuLoop(perCycle), "1 2 9\n");
    EXPECT_EQ(run.ports.at(PortKind::parallel).received, sent(1) + sent(2));
    EXPECT_EQ(run.ports.at(PortKind::parallel).openCount, 3);
}

TEST(MenuLoop, WholeRunChannelKeepsPageModePendingUntilTheNextLine) {
    const RecordedRun run(menuLoop(wholeRun), "7\n1\n7\n9\n");
    EXPECT_EQ(run.ports.at(PortKind::serial).received, sent(7) + sent(1) + sent(7));
    EXPECT_EQ(run.ports.at(PortKind::serial).openCount, 1);
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
    ports[PortKind::parallel].opens = false;
    PluggingInInput input("1\n1\n9\n", ports[PortKind::parallel]);
    Transcript screen;
    Console console(input, screen, screen, screen);
    runMenuLoop(perCycle, console, ports);
    EXPECT_EQ(ports[PortKind::parallel].received, sent(1));
    EXPECT_EQ(ports[PortKind::parallel].openCount, 2);
}

}  // namespace
}  // namespace label::testing
