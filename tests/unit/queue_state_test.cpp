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

using platform::queueStateFromStatus;

struct StateCase {
    const char* what;
    QueueState state;
    const char* says;  // an entry of tests/expectations.txt, "message" for the printer's own, "" for nothing
};

void PrintTo(const StateCase& row, std::ostream* out) { *out << row.what; }

class QueueStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(QueueStates, SayWhatTheStateMeansAndNothingWhenAllIsWell) {
    const StateCase& row = GetParam();
    const std::string entry = row.says;
    EXPECT_EQ(queueSays(row.state).value_or(""), entry == "message" ? row.state.message
                                                 : entry.empty()    ? ""
                                                                    : expected(entry));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QueueStates,
    ::testing::Values(
        StateCase{"cups idle", queueStateFromReasons({"none"}, false, ""), ""},
        StateCase{"cups media empty error", queueStateFromReasons({"media-empty-error"}, false, ""),
                  "printer out of paper"},
        StateCase{"cups offline report", queueStateFromReasons({"offline-report"}, false, ""), "printer off line"},
        StateCase{"cups paper before off line", queueStateFromReasons({"offline-report", "media-empty"}, false, ""),
                  "printer out of paper"},
        StateCase{"cups other error", queueStateFromReasons({"cover-open-error"}, false, "Close the lid"), "message"},
        StateCase{"cups other error, no message", queueStateFromReasons({"cover-open-error"}, false, ""),
                  "printer error"},
        StateCase{"cups warning alone", queueStateFromReasons({"toner-low-warning"}, false, "Toner low"), ""},
        StateCase{"cups stopped", queueStateFromReasons({"paused"}, true, ""), ""},
        StateCase{"spooler paused", queueStateFromStatus(platform::spoolerPaused), ""},
        StateCase{"spooler paper out in error",
                  queueStateFromStatus(platform::spoolerPaperOut | platform::spoolerError), "printer out of paper"},
        StateCase{"spooler off line", queueStateFromStatus(platform::spoolerOffLine), "printer off line"},
        StateCase{"spooler error", queueStateFromStatus(platform::spoolerError), "printer error"}),
    caseName<StateCase>);

TEST(HeldJob, NamesTheCommandThatLetsItPrintAndWhyItWaits) {
    const std::string held = expected("queue is paused", {{"value", "printer:lab"}, {"release", "cupsenable lab"}});
    EXPECT_TRUE(queueStateFromReasons({"paused"}, true, "").paused && queueStateFromStatus(1).paused);
    EXPECT_EQ(heldJobWords("printer:lab", "cupsenable lab", queueStateFromStatus(platform::spoolerPaused)), held);
    EXPECT_EQ(heldJobWords("printer:lab", "cupsenable lab", queueStateFromReasons({"media-empty-error"}, true, "")),
              held + " (" + expected("printer out of paper") + ")");
}

}  // namespace
}  // namespace label::testing
