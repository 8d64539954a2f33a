#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "parallel_program.h"
#include "serial_program.h"

namespace label::testing {
namespace {

TEST(ParallelProgram, ShowsItsBannerAndLeavesWithAGoodbye) {
    const RecordedRun run(runParallelProgram, "7\n9\n");
    const std::string menu = shown("parallel menu");
    EXPECT_EQ(run.rig.screen.text, shown("parallel banner") + menu + shown("choice 7 shows") + menu + shown("goodbye"));
    EXPECT_EQ(run.ports.at(PortKind::parallel).received, expected("choice 7 sends"));
    EXPECT_EQ(run.status, 0);
}

struct PreparationCase {
    const char* answer;
    const char* preparation;
};

void PrintTo(const PreparationCase& c, std::ostream* out) { *out << "answer " << c.answer; }

class SerialPreparation : public ::testing::TestWithParam<PreparationCase> {};

TEST_P(SerialPreparation, RunsTheFourCommandsOnlyForAnswerOne) {
    const RecordedRun run(runSerialProgram, std::string(GetParam().answer) + "\n9\n");
    EXPECT_EQ(run.rig.screen.text,
              shown("serial banner") + GetParam().preparation + shown("serial menu") + shown("screen clear"));
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, SerialPreparation,
                         ::testing::Values(PreparationCase{"1", "[pause][mode com1:96,N,8,1][pause][cls]"},
                                           PreparationCase{"01", "[pause][mode com1:96,N,8,1][pause][cls]"},
                                           PreparationCase{"2", ""}, PreparationCase{"0", ""},
                                           PreparationCase{"7", ""}),
                         caseName<PreparationCase>);

TEST(SerialProgram, ANonNumberAnswerShowsTheMenuOnceAndEnds) {
    const RecordedRun run(runSerialProgram, "x\n1\n");
    EXPECT_EQ(run.rig.screen.text, shown("serial banner") + shown("serial menu"));
    EXPECT_EQ(run.ports.at(PortKind::serial).received, "");
    EXPECT_EQ(run.ports.at(PortKind::serial).openCount, 1);
}

TEST(SerialProgram, KeepsOneChannelForTheWholeRun) {
    const RecordedRun run(runSerialProgram, "2\n7\n1\n7\n9\n");
    const std::string pageMode = expected("choice 7 sends");
    EXPECT_EQ(run.ports.at(PortKind::serial).received, pageMode + expected("choice 1 sends") + pageMode);
    EXPECT_EQ(run.ports.at(PortKind::serial).openCount, 1);
}

}  // namespace
}  // namespace label::testing
