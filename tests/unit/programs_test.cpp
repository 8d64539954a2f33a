#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "parallel_program.h"
#include "screen_texts.h"
#include "serial_program.h"

namespace label::testing {
namespace {

const std::string parallelBanner =
    "This program is for the Parallel port only (LPT1)\n"
    "*************************************************\n"
    "\n"
    "Corvane Technologies  VRT Utilities Program\n"
    "\n\n";

const std::string serialBanner =
    "This program is for the Serial port only (COM1)\n"
    "*************************************************\n"
    "The DEFAULT Serial Parameters on the printer are\n"
    "9600, 8 data bits, 1 stop bit and No parity\n"
    "Before running this program make sure that your\n"
    "serial port on your PC is set up to match the\n"
    "parameters on the printer.\n\n"
    "Corvane Technologies  VRT Utilities Program\n\n\n"
    "To set your serial port on your PC to 9600, 8 data bits, no \n"
    "stop bits and No parity press 1  followed by enter, Enter the 2\n"
    "key followed by enter if you do not want to\n"
    "change the parameters on your serial port\n";

TEST(ParallelProgram, ShowsItsBannerAndLeavesWithAGoodbye) {
    const RecordedRun run(runParallelProgram, "7\n9\n");
    EXPECT_EQ(run.rig.screen.text,
              parallelBanner + menuText(2) +
                  "[cls]You have chosen to change from line mode to page mode\n\nYour printer should now be in page "
                  "mode\n" +
                  menuText(2) + "You have chosen to close the program");
    EXPECT_EQ(run.ports.at("lpt1:").received, "\x1bVRT2");
    EXPECT_EQ(run.status, 0);
}

struct PreparationCase {
    const char* answer;
    const char* preparation;
};

class SerialPreparation : public ::testing::TestWithParam<PreparationCase> {};

TEST_P(SerialPreparation, RunsTheFourCommandsOnlyForAnswerOne) {
    const RecordedRun run(runSerialProgram, std::string(GetParam().answer) + "\n9\n");
    EXPECT_EQ(run.rig.screen.text, serialBanner + GetParam().preparation + menuText(1) + "[cls]");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, SerialPreparation,
                         ::testing::Values(PreparationCase{"1", "[pause][mode com1:96,N,8,1][pause][cls]"},
                                           PreparationCase{"01", "[pause][mode com1:96,N,8,1][pause][cls]"},
                                           PreparationCase{"2", ""}, PreparationCase{"0", ""},
                                           PreparationCase{"7", ""}));

TEST(SerialProgram, ANonNumberAnswerShowsTheMenuOnceAndEnds) {
    const RecordedRun run(runSerialProgram, "x\n1\n");
    EXPECT_EQ(run.rig.screen.text, serialBanner + menuText(1));
    EXPECT_EQ(run.ports.at("com1:").received, "");
    EXPECT_EQ(run.ports.at("com1:").openCount, 1);
}

TEST(SerialProgram, KeepsOneChannelForTheWholeRun) {
    const RecordedRun run(runSerialProgram, "2\n7\n1\n7\n9\n");
    EXPECT_EQ(run.ports.at("com1:").received, "\x1bVRT2U\r\n\x1bVRT2");
    EXPECT_EQ(run.ports.at("com1:").openCount, 1);
}

}  // namespace
}  // namespace label::testing
