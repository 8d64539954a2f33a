// What a queue's state comes to in words: CUPS's reasons and Windows' status
// bits read to the same state, the order of what is said, and the line a
// paused queue's held job gets.

#include "queue_state.h"

#include <gtest/gtest.h>

#include "case_names.h"
#include "expectations.h"
#include "windows_queue_status.h"

namespace label::testing {
namespace {

struct StateCase {
    const char* what;
    std::vector<std::string> reasons;
    std::string message;
    const char* says;  // an entry of tests/expectations.txt, "message" for the printer's own, "" for nothing
};

void PrintTo(const StateCase& row, std::ostream* out) { *out << row.what; }

class QueueStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(QueueStates, SayWhatTheReasonsMeanAndNothingWhenAllIsWell) {
    const StateCase& row = GetParam();
    const auto says = queueSays(queueStateFromReasons(row.reasons, false, row.message)).value_or("");
    const std::string entry = row.says;
    EXPECT_EQ(says, entry == "message" ? row.message : entry.empty() ? "" : expected(entry));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QueueStates,
    ::testing::Values(StateCase{"idle", {"none"}, "", ""},
                      StateCase{"media empty error", {"media-empty-error"}, "", "printer out of paper"},
                      StateCase{"media empty warning", {"media-empty-warning"}, "", "printer out of paper"},
                      StateCase{"offline report", {"offline-report"}, "", "printer off line"},
                      StateCase{"paper before off line", {"offline-report", "media-empty"}, "", "printer out of paper"},
                      StateCase{"other error with message", {"cover-open-error"}, "Close the lid", "message"},
                      StateCase{"other error without message", {"cover-open-error"}, "", "printer error"},
                      StateCase{"warning alone", {"toner-low-warning"}, "Toner low", ""},
                      StateCase{"paused alone", {"paused"}, "", ""}),
    caseName<StateCase>);

TEST(SpoolerStatus, GivesTheSameWordsAsTheReasons) {
    using platform::queueStateFromStatus;
    EXPECT_EQ(queueSays(queueStateFromStatus(0)), std::nullopt);
    EXPECT_EQ(queueSays(queueStateFromStatus(platform::spoolerPaused)), std::nullopt);
    EXPECT_TRUE(queueStateFromStatus(platform::spoolerPaused).paused);
    EXPECT_EQ(queueSays(queueStateFromStatus(platform::spoolerPaperOut | platform::spoolerError)),
              expected("printer out of paper"));
    EXPECT_EQ(queueSays(queueStateFromStatus(platform::spoolerOffLine)), expected("printer off line"));
    EXPECT_EQ(queueSays(queueStateFromStatus(platform::spoolerError)), expected("printer error"));
}

TEST(HeldJob, NamesTheCommandThatLetsItPrintAndWhyItWaits) {
    const QueueState paused = queueStateFromReasons({"paused"}, true, "");
    EXPECT_TRUE(paused.paused);
    EXPECT_EQ(heldJobWords("printer:lab", "cupsenable lab", paused),
              expected("queue is paused", {{"value", "printer:lab"}, {"release", "cupsenable lab"}}));
    EXPECT_EQ(heldJobWords("printer:lab", "cupsenable lab", queueStateFromReasons({"media-empty-error"}, true, "")),
              expected("queue is paused", {{"value", "printer:lab"}, {"release", "cupsenable lab"}}) + " (" +
                  expected("printer out of paper") + ")");
}

}  // namespace
}  // namespace label::testing
