// The Windows ports' accounting and names, fed here with what the system's
// write call would report.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "bounded_port.h"
#include "fakes.h"
#include "windows_port_names.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

constexpr std::uint32_t outOfPaper = 28;

// The system's side of one port: each write reports the next scripted
// outcome (or takes everything once the script is done), and the printer
// gets what that outcome says was taken.
class ScriptedRawPort final : public RawPort {
public:
    struct Log {
        std::deque<WriteOutcome> script;
        std::string printer;
        std::vector<milliseconds> patience;
    };
    explicit ScriptedRawPort(Log& log) : log_(log) {}

    WriteOutcome write(std::string_view bytes, milliseconds patience) override {
        log_.patience.push_back(patience);
        WriteOutcome outcome{bytes.size(), std::nullopt};
        if (!log_.script.empty()) {
            outcome = log_.script.front();
            log_.script.pop_front();
        }
        log_.printer += bytes.substr(0, outcome.taken);
        return outcome;
    }
    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return "system error " + std::to_string(error);
    }

private:
    Log& log_;
};

class OneBoundedPort final : public PortOpener {
public:
    explicit OneBoundedPort(ScriptedRawPort::Log& log) : log_(log) {}
    PortOpening open(std::string_view /*deviceName*/) override {
        return {std::make_unique<BoundedPort>(std::make_unique<ScriptedRawPort>(log_)), "LPT1", {}};
    }

private:
    ScriptedRawPort::Log& log_;
};

struct ShortWrite {
    const char* what;
    WriteOutcome first;
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
    OneBoundedPort ports(log);
    testing::ConsoleRig rig("");
    DeliveryReport report("labellpt", rig.console);
    PrinterChannel channel(ports, report);

    channel.open("lpt1:");
    channel.writeText("Q150,024");
    channel.endLine();
    channel.writeText("xa");
    channel.endLine();
    channel.close();

    EXPECT_EQ(log.printer, row.printerGets);
    EXPECT_EQ(log.patience, row.patience);
    EXPECT_EQ(rig.errors.text,
              std::string("labellpt: the printer on LPT1 did not get the last command: ") + row.problem + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShortWrites,
    ::testing::Values(
        ShortWrite{"out of paper after six bytes", {6, outOfPaper}, "Q150,0", "system error 28", {writePatience}},
        ShortWrite{"out of time after six bytes",
                   {6, std::nullopt},
                   "Q150,024\r\n",
                   "the port took nothing for 5 seconds (is the printer off line, out of paper or busy?)",
                   {writePatience, stalledPatience}},
        ShortWrite{"refused outright", {0, outOfPaper}, "", "system error 28", {writePatience}}),
    [](const auto& row) {
        std::string name = row.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(BoundedPort, WaitsInFullAgainOnceAWriteGoesThroughWhole) {
    ScriptedRawPort::Log log;
    log.script = {{0, std::nullopt}, {1, std::nullopt}, {2, std::nullopt}, {2, std::nullopt}};
    BoundedPort port(std::make_unique<ScriptedRawPort>(log));
    EXPECT_EQ(port.write("ab"), 0U);
    EXPECT_EQ(port.write("ab"), 1U);
    EXPECT_EQ(port.write("ab"), 2U);
    EXPECT_EQ(port.write("ab"), 2U);
    EXPECT_EQ(log.patience,
              (std::vector<milliseconds>{writePatience, stalledPatience, stalledPatience, writePatience}));
    EXPECT_TRUE(port.drain());
}

struct Choice {
    const char* deviceName;
    const char* value;
    PortChoice expected;
};

void PrintTo(const Choice& row, std::ostream* out) {
    *out << row.deviceName << " " << (row.value ? row.value : "unset");
}

class Choices : public ::testing::TestWithParam<Choice> {};

TEST_P(Choices, NameThePortOrRefuseTheValue) {
    const Choice& row = GetParam();
    const PortChoice choice = choosePort(windowsPortKind(row.deviceName), row.value);
    EXPECT_EQ(choice.name, row.expected.name);
    EXPECT_EQ(choice.path, row.expected.path);
    EXPECT_EQ(choice.modeName, row.expected.modeName);
    EXPECT_EQ(choice.refusal, row.expected.refusal);
    EXPECT_EQ(choice.fromVariable, row.expected.fromVariable);
}

std::string refusal(const std::string& assignment) {
    return assignment + R"( is not a port name: use COMn, LPTn or \\.\name)";
}

PortChoice refused(const std::string& variable, const std::string& shown) {
    return {shown, {}, {}, refusal(variable + "=" + shown), true};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Choices,
    ::testing::Values(Choice{"com1:", nullptr, {"COM1", R"(\\.\COM1)", "COM1", {}, false}},
                      Choice{"lpt1:", "", {"LPT1", R"(\\.\LPT1)", {}, {}, false}},
                      Choice{"com1:", "com10", {"COM10", R"(\\.\COM10)", "COM10", {}, true}},
                      Choice{"lpt1:", "Lpt2", {"LPT2", R"(\\.\LPT2)", {}, {}, true}},
                      Choice{"lpt1:", "COM3", {"COM3", R"(\\.\COM3)", "COM3", {}, true}},
                      Choice{"com1:", R"(\\.\USBPRINT)", {R"(\\.\USBPRINT)", R"(\\.\USBPRINT)", {}, {}, true}},
                      Choice{"com1:", "COM1 & del *", refused("LABELCOM_PORT", "COM1 & del *")},
                      Choice{"lpt1:", "LPT1|calc", refused("LABELLPT_PORT", "LPT1|calc")},
                      Choice{"lpt1:", "COM1:", refused("LABELLPT_PORT", "COM1:")},
                      Choice{"lpt1:", "COM01", refused("LABELLPT_PORT", "COM01")},
                      Choice{"lpt1:", "LPT", refused("LABELLPT_PORT", "LPT")},
                      Choice{"lpt1:", "PRN", refused("LABELLPT_PORT", "PRN")},
                      Choice{"lpt1:", R"(\\.\)", refused("LABELLPT_PORT", R"(\\.\)")},
                      Choice{"lpt1:", R"(C:\ports\lpt1)", refused("LABELLPT_PORT", R"(C:\ports\lpt1)")},
                      Choice{"lpt1:", "\\\\.\\LPT1\x1b[2J", refused("LABELLPT_PORT", "\\\\.\\LPT1?[2J")}));

struct Missing {
    const char* deviceName;
    const char* name;
    std::vector<std::string> deviceNames;
    const char* words;
};

void PrintTo(const Missing& row, std::ostream* out) { *out << row.name; }

class MissingPorts : public ::testing::TestWithParam<Missing> {};

TEST_P(MissingPorts, NameThePortsThatExistReadyToPaste) {
    const Missing& row = GetParam();
    EXPECT_EQ(missingPortWords(row.name, windowsPortKind(row.deviceName), row.deviceNames), row.words);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MissingPorts,
    ::testing::Values(
        Missing{"lpt1:",
                "LPT1",
                {"C:", "COM10", "lpt2", "COM9", "PRN", "LPT1", "LPT2", "AUX"},
                "LPT1 does not exist; printer ports here: LPT2 (set LABELLPT_PORT=LPT2), COM9 (set "
                "LABELLPT_PORT=COM9), COM10 (set LABELLPT_PORT=COM10)"},
        Missing{
            "com1:",
            "COM4",
            {"LPT1", "COM3"},
            "COM4 does not exist; printer ports here: COM3 (set LABELCOM_PORT=COM3), LPT1 (set LABELCOM_PORT=LPT1)"},
        Missing{
            "lpt1:",
            R"(\\.\USBPRINT)",
            {"C:", "NUL"},
            R"(\\.\USBPRINT does not exist; no printer port found here: is the printer plugged in and switched on?)"}));

}  // namespace
}  // namespace label::platform
