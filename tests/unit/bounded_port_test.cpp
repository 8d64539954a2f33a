// The stall rule both platforms share, fed with what a system's write and
// drain would report; a fake clock adds up how long the operator waited.

#include "bounded_port.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"

namespace label::testing {
namespace {

using std::chrono::milliseconds;

constexpr std::uint32_t outOfPaper = 28;

// The system's side of one port: each write or drain reports the next
// scripted outcome (or success once the script is done), and the printer
// gets what a write's outcome says was taken. A call that falls short
// without failing used all the patience it was given.
class ScriptedRawPort final : public RawPort {
public:
    struct Log {
        std::deque<RawOutcome> script;
        std::string printer;
        std::vector<milliseconds> patience;
        milliseconds waited{};
    };
    explicit ScriptedRawPort(Log& log) : log_(log) {}

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        RawOutcome outcome = next(patience, {bytes.size(), true, std::nullopt});
        log_.printer += bytes.substr(0, outcome.taken);
        return outcome;
    }
    RawOutcome drain(milliseconds patience) override { return next(patience, {}); }
    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return "system error " + std::to_string(error);
    }

private:
    RawOutcome next(milliseconds patience, RawOutcome outcome) {
        log_.patience.push_back(patience);
        if (!log_.script.empty()) {
            outcome = log_.script.front();
            log_.script.pop_front();
        }
        log_.waited += !outcome.complete && !outcome.failure ? patience : milliseconds{};
        return outcome;
    }

    Log& log_;
};

class OneScriptedPort final : public PortOpener {
public:
    explicit OneScriptedPort(ScriptedRawPort::Log& log) : log_(log) {}
    PortOpening open(PortKind /*kind*/) override { return {std::make_unique<ScriptedRawPort>(log_), "LPT1", {}}; }

private:
    ScriptedRawPort::Log& log_;
};

BoundedPort scripted(ScriptedRawPort::Log& log) {
    return BoundedPort({std::make_unique<ScriptedRawPort>(log), {}, {}});
}

struct ShortWrite {
    const char* what;
    RawOutcome first;
    const char* printerGets;
    const char* problem;
    std::vector<milliseconds> patience;
};

void PrintTo(const ShortWrite& row, std::ostream* out) { *out << row.what; }

class ShortWrites : public ::testing::TestWithParam<ShortWrite> {};

// Two command lines on one port, the first cut short: the bytes taken are
// never offered again, the rest of the line only if the port merely ran out
// of time, and a port that failed outright is not written again.
TEST_P(ShortWrites, CountWhatTheSystemReportsTakenAndNeverSendItTwice) {
    const ShortWrite& row = GetParam();
    ScriptedRawPort::Log log;
    log.script = {row.first};
    OneScriptedPort ports(log);
    ConsoleRig rig("");
    DeliveryReport report("labellpt", rig.console);
    PrinterChannel channel(ports, report);

    channel.open(PortKind::parallel);
    channel.writeText("Q150,024");
    channel.endLine();
    channel.writeText("xa");
    channel.endLine();
    channel.close();

    EXPECT_EQ(log.printer, row.printerGets);
    EXPECT_EQ(log.patience, row.patience);
    EXPECT_EQ(rig.errors.text, filled("labellpt: the printer on LPT1 did not get the last command: {problem}\n",
                                      {{"problem", filled(row.problem)}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShortWrites,
    ::testing::Values(
        ShortWrite{
            "out of paper after six bytes", {6, false, outOfPaper}, "Q150,0", "system error 28", {writePatience}},
        ShortWrite{"out of time after six bytes",
                   {6, false, std::nullopt},
                   "Q150,024\r\n",
                   "{port stalled}",
                   {writePatience, stalledPatience, writePatience}},
        ShortWrite{"refused outright", {0, false, outOfPaper}, "", "system error 28", {writePatience}}),
    caseName<ShortWrite>);

TEST(BoundedPort, AStalledPortIsWaitedOutOnceUntilAWriteGoesThroughWhole) {
    ScriptedRawPort::Log log;
    log.script = {{0, false, std::nullopt}, {1, false, std::nullopt}, {2, true, std::nullopt}, {2, true, std::nullopt}};
    BoundedPort port = scripted(log);
    EXPECT_EQ(port.write("ab"), 0U);
    EXPECT_EQ(port.problem(), expected("port stalled"));
    EXPECT_EQ(port.write("ab"), 1U);
    EXPECT_EQ(port.write("ab"), 2U);
    EXPECT_EQ(port.write("ab"), 2U);
    EXPECT_EQ(log.patience,
              (std::vector<milliseconds>{writePatience, stalledPatience, stalledPatience, writePatience}));
    EXPECT_EQ(log.waited, writePatience + stalledPatience);
    EXPECT_TRUE(port.drain());
}

TEST(BoundedPort, ADrainThatRunsOutStallsThePortButKeepsAHardErrorsWords) {
    ScriptedRawPort::Log log;
    log.script = {{0, false, std::nullopt}};
    BoundedPort stalled = scripted(log);
    EXPECT_FALSE(stalled.drain());
    EXPECT_EQ(stalled.problem(), expected("port stalled"));
    EXPECT_EQ(stalled.write("ab"), 2U);

    log.script = {{1, false, outOfPaper}, {0, false, std::nullopt}};
    BoundedPort ended = scripted(log);
    EXPECT_EQ(ended.write("ab"), 1U);
    EXPECT_EQ(ended.write("b"), 0U);
    EXPECT_FALSE(ended.drain());
    EXPECT_EQ(ended.problem(), "system error 28");
    EXPECT_EQ(log.patience,
              (std::vector<milliseconds>{writePatience, stalledPatience, writePatience, stalledPatience}));
}

TEST(BoundedPort, APortThatDidNotOpenTakesNothingAndSaysWhy) {
    BoundedPort port({nullptr, "LPT9", "no such port"});
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.write("ab"), 0U);
    EXPECT_FALSE(port.drain());
    EXPECT_EQ(port.problem(), "no such port");
}

}  // namespace
}  // namespace label::testing
