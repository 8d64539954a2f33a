// The trace of a run: how bytes are shown, and the lines a session with a
// fake port writes, on a clock that moves one millisecond at each reading.

#include "file_trace.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <utility>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "ports.h"

namespace label::testing {
namespace {

TEST(EscapedBytes, KeepEachEventOnOneReadableLine) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"Q150,024 OVRT1", "Q150,024 OVRT1"}, {"U\r\n", R"(U\r\n)"},       {"\x1bVRT2\t", R"(\x1bVRT2\x09)"},
        {{'\0', '\x7f'}, R"(\x00\x7f)"},      {"\xc3\xa9", R"(\xc3\xa9)"}, {R"(a\"b)", R"(a\\\"b)"}};
    for (const auto& [bytes, shown] : rows) {
        EXPECT_EQ(escapedBytes(bytes), shown) << escaped(bytes);
    }
}

// A file that keeps its lines, and fails from line `failsAt` on.
struct MemoryFile final : TraceFile {
    MemoryFile(std::string& lines, std::size_t failsAt) : lines_(lines), failsAt_(failsAt) {}
    std::string append(std::string_view line) override {
        if (++count_ >= failsAt_) {
            return "disk full";
        }
        lines_ += line;
        return {};
    }
    std::string& lines_;
    std::size_t failsAt_;
    std::size_t count_ = 0;
};

struct Session {
    const char* what;
    std::size_t capacity;
    bool opens;
    std::size_t failsAt;
    std::string lines;
    std::string said;
};

void PrintTo(const Session& row, std::ostream* out) { *out << row.what; }

class Sessions : public ::testing::TestWithParam<Session> {};

constexpr const char* opened =
    "     3.000 open LABELLPT_PORT unset, so the default: device /dev/lpt: opened in 1.000 ms\n";

TEST_P(Sessions, WriteOneLinePerEvent) {
    const Session& row = GetParam();
    unsetenv("LABELLPT_PORT");
    RecordingSystem system;
    system.ports[PortKind::parallel].capacity = row.capacity;
    system.ports[PortKind::parallel].opens = row.opens;
    std::string lines;
    ConsoleRig rig{""};
    Clock::time_point now{};
    FileTrace trace{std::make_unique<MemoryFile>(lines, row.failsAt), rig.errors,
                    "labellpt: LABEL_TRACE=t: ", [&now] { return now += std::chrono::milliseconds{1}; }};
    Ports ports{system, rig.errors, trace};
    DeliveryReport report{"labellpt", rig.console};
    PrinterChannel channel{ports, report};
    channel.open(PortKind::parallel);
    channel.writeText("U");
    channel.endLine();
    channel.close();
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(rig.errors.text, row.said);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Sessions,
    ::testing::Values(
        Session{"working port", std::string::npos, true, SIZE_MAX,
                std::string(opened) + "     6.000 write \"U\\r\\n\" within 5000 ms: took 3 of 3 in 1.000 ms\n"
                                      "     9.000 drain within 5000 ms: done in 1.000 ms\n",
                ""},
        Session{"stalled port", 1, true, SIZE_MAX,
                std::string(opened) +
                    "     6.000 write \"U\\r\\n\" within 5000 ms: took 1 of 3 in 1.000 ms: out of patience\n"
                    "     9.000 ask the printer in 1.000 ms: nothing (all is well, or it cannot be asked)\n"
                    "    10.000 shortfall: the port is stalled until a write goes through whole; the operator is "
                    "told: " +
                    expected("port stalled") +
                    "\n"
                    "    13.000 write \"\\r\\n\" within 100 ms: took 0 of 2 in 1.000 ms: out of patience\n",
                "labellpt: the printer on lpt1: did not get the last command: " + expected("port stalled") + "\n"},
        Session{"port that does not open", std::string::npos, false, SIZE_MAX,
                "     3.000 open LABELLPT_PORT unset, so the default: device /dev/lpt: not opened in 1.000 ms: "
                "cannot open\n"
                "     4.000 shortfall: the port ends until it is opened again; the operator is told: cannot open\n",
                "labellpt: the printer on lpt1: did not get the last command: cannot open\n"},
        Session{
            "trace file that fills up", std::string::npos, true, 2, opened,
            expected("trace not written", {{"program", "labellpt"}, {"path", "t"}, {"reason", "disk full"}}) + "\n"}),
    testing::caseName<Session>);

TEST(StartTrace, OpensNothingUnsetAndSaysAFileItCannotOpenOnce) {
    int openings = 0;
    const TraceSystem refusing{[&openings](const std::string& /*path*/) {
                                   ++openings;
                                   return TraceFileOpening{nullptr, "Permission denied"};
                               },
                               [] { return std::string("TestOS 1"); }};
    Transcript errors;
    unsetenv("LABEL_TRACE");
    static_cast<void>(startTrace(PortKind::serial, errors, refusing));
    EXPECT_EQ(openings, 0);
    setenv("LABEL_TRACE", "/t\x1b", 1);
    static_cast<void>(startTrace(PortKind::serial, errors, refusing));
    unsetenv("LABEL_TRACE");
    EXPECT_EQ(openings, 1);
    EXPECT_EQ(errors.text, expected("trace not written",
                                    {{"program", "labelcom"}, {"path", "/t?"}, {"reason", "Permission denied"}}) +
                               "\n");
}

}  // namespace
}  // namespace label::testing
