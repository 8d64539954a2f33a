// The reopening of a line whose device went away, through the real ports,
// channel and report, over a serial line that is pulled out and plugged in
// again between (or during) commands.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "ports.h"
#include "printer_channel.h"

namespace label::testing {
namespace {

// The line as it is before a command: how many bytes the adapter open then
// takes before it is pulled out (-1: it stays), whether an adapter is
// plugged in when the path is opened, and whether the line stalls instead.
struct Step {
    const char* command;
    int takesBeforeGone = -1;
    bool plugged = true;
    bool stalls = false;
};

// One line's log: "[9600]" where its settings were put, "|" at each opening,
// then the bytes it took.
class Line final : public PortSystem {
public:
    std::string log;
    Step now;
    int openings = 0;
    int pulled = 0;  // the opening the step pulls out

    void start(const Step& step) {
        now = step;
        pulled = openings;
    }

    Device defaultDevice(PortKind /*kind*/) override { return {"/dev/ttyUSB0", "/dev/ttyUSB0", false}; }
    Reading<Device> readDevice(PortKind /*kind*/, std::string_view value) override {
        return Device{std::string(value), std::string(value), true};
    }
    Reading<std::string> readQueue(PortKind /*kind*/, std::string_view name) override { return std::string(name); }
    PortOpening openDevice(PortKind /*kind*/, const Device& device) override {
        if (!now.plugged) {
            return {nullptr, device.name, "no such device"};
        }
        log += "|";
        return {std::make_unique<Adapter>(*this, ++openings), device.name, {}};
    }
    PortOpening openNetwork(const NetworkAddress& /*address*/) override { return {}; }
    PortOpening openQueue(PortKind /*kind*/, const std::string& /*queue*/) override { return {}; }
    std::string prepareLine(const Device& /*device*/) override {
        if (!now.plugged) {
            return "no such device";
        }
        log += "[9600]";
        return {};
    }
    std::string resetLine(const Device& device) override { return prepareLine(device); }

private:
    class Adapter final : public RawPort {
    public:
        Adapter(Line& line, int opening) : line_(line), opening_(opening) {}
        RawOutcome write(std::string_view bytes, std::chrono::milliseconds /*patience*/) override {
            const int room = gone_ || line_.now.stalls ? 0 : opening_ == line_.pulled ? line_.now.takesBeforeGone : -1;
            const std::size_t taken = room < 0 ? bytes.size() : std::min(static_cast<std::size_t>(room), bytes.size());
            line_.log += bytes.substr(0, taken);
            gone_ = taken < bytes.size() && !line_.now.stalls;
            return {taken, taken == bytes.size(), gone_ ? std::optional<std::uint32_t>(5) : std::nullopt, gone_};
        }
        RawOutcome drain(std::chrono::milliseconds /*patience*/) override { return {}; }
        [[nodiscard]] std::string describe(std::uint32_t /*error*/) const override { return "input/output error"; }

    private:
        Line& line_;
        int opening_;
        bool gone_ = false;
    };
};

struct Reopening {
    const char* name;
    std::vector<Step> steps;
    std::string log;   // what the line saw
    std::string said;  // standard error, each "{back}" the "is back" line
    bool prepared = true;
};

void PrintTo(const Reopening& row, std::ostream* out) { *out << row.name; }

class Reopenings : public ::testing::TestWithParam<Reopening> {};

TEST_P(Reopenings, SendEachCommandOnceAndOnlyWhole) {
    const Reopening& row = GetParam();
    unsetenv("LABELCOM_PORT");
    Line line;
    ConsoleRig rig{""};
    Ports ports{line, rig.errors};
    DeliveryReport report{"labelcom", rig.console};
    PrinterChannel channel{ports, report};
    if (row.prepared) {
        ports.prepareSerialLine();
    }
    channel.open(PortKind::serial);
    for (const Step& step : row.steps) {
        report.startChoice();
        line.start(step);
        channel.writeText(step.command);
        channel.endLine();
    }
    channel.close();
    report.finish();
    EXPECT_EQ(line.log, row.log);
    EXPECT_EQ(rig.errors.text, filled(row.said, {{"back", expected("printer back", {{"port", "/dev/ttyUSB0"}})}}));
}

const std::string lostB = "labelcom: the printer on /dev/ttyUSB0 did not get the last command: ";

INSTANTIATE_TEST_SUITE_P(
    Rows, Reopenings,
    ::testing::Values(
        Reopening{"back_at_once_gets_the_command_untouched",
                  {{"A"}, {"B", 0}, {"C"}},
                  "[9600]|A\r\n[9600]|B\r\nC\r\n",
                  "labelcom: {back}\n"},
        Reopening{"partly_taken_is_lost_and_the_next_goes_to_the_new_line",
                  {{"A"}, {"BB", 1}, {"C"}},
                  "[9600]|A\r\nB[9600]|C\r\n",
                  lostB + "input/output error\nlabelcom: {back}\n"
                          "labelcom: 1 of 3 command lines did not reach the printer on /dev/ttyUSB0\n"},
        Reopening{"not_back_loses_each_command_until_it_is",
                  {{"A"}, {"B", 0, false}, {"C", -1, false}, {"D"}},
                  "[9600]|A\r\n[9600]|D\r\n",
                  lostB + "no such device\n" + lostB + "no such device\nlabelcom: {back}\n" +
                      "labelcom: 2 of 4 command lines did not reach the printer on /dev/ttyUSB0\n"},
        Reopening{
            "unprepared_line_is_reopened_as_it_is", {{"A"}, {"B", 0}}, "|A\r\n|B\r\n", "labelcom: {back}\n", false},
        Reopening{"stalled_line_is_not_reopened",
                  {{"A"}, {"B", -1, true, true}, {"C"}},
                  "[9600]|A\r\nB\r\n",
                  lostB + expected("port stalled") + "\n" + lostB + expected("port stalled") +
                      "\nlabelcom: 1 of 3 command lines did not reach the printer on /dev/ttyUSB0\n"}),
    testing::caseName<Reopening>);

}  // namespace
}  // namespace label::testing
