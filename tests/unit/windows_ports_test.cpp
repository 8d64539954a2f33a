// The Windows port names: the ports a variable's value leads to, and the
// words for a missing one.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "windows_port_names.h"

namespace label::platform {
namespace {

struct Choice {
    PortKind kind;
    const char* value;
    PortChoice expected;
};

void PrintTo(const Choice& row, std::ostream* out) {
    *out << portKind(row.kind).variable << " " << (row.value ? testing::escaped(row.value) : "unset");
}

class Choices : public ::testing::TestWithParam<Choice> {};

TEST_P(Choices, NameThePortOrRefuseTheValue) {
    const Choice& row = GetParam();
    const PortChoice choice = choosePort(row.kind, row.value);
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
    ::testing::Values(Choice{PortKind::serial, nullptr, {"COM1", R"(\\.\COM1)", "COM1", {}, false}},
                      Choice{PortKind::parallel, "", {"LPT1", R"(\\.\LPT1)", {}, {}, false}},
                      Choice{PortKind::serial, "com10", {"COM10", R"(\\.\COM10)", "COM10", {}, true}},
                      Choice{PortKind::parallel, "Lpt2", {"LPT2", R"(\\.\LPT2)", {}, {}, true}},
                      Choice{PortKind::parallel, "COM3", {"COM3", R"(\\.\COM3)", "COM3", {}, true}},
                      Choice{PortKind::serial, R"(\\.\USBPRINT)", {R"(\\.\USBPRINT)", R"(\\.\USBPRINT)", {}, {}, true}},
                      Choice{PortKind::serial, "COM1 & del *", refused("LABELCOM_PORT", "COM1 & del *")},
                      Choice{PortKind::parallel, "LPT1|calc", refused("LABELLPT_PORT", "LPT1|calc")},
                      Choice{PortKind::parallel, "COM1:", refused("LABELLPT_PORT", "COM1:")},
                      Choice{PortKind::parallel, "COM01", refused("LABELLPT_PORT", "COM01")},
                      Choice{PortKind::parallel, "LPT", refused("LABELLPT_PORT", "LPT")},
                      Choice{PortKind::parallel, "PRN", refused("LABELLPT_PORT", "PRN")},
                      Choice{PortKind::parallel, R"(\\.\)", refused("LABELLPT_PORT", R"(\\.\)")},
                      Choice{PortKind::parallel, R"(C:\ports\lpt1)", refused("LABELLPT_PORT", R"(C:\ports\lpt1)")},
                      Choice{PortKind::parallel, "\\\\.\\LPT1\x1b[2J", refused("LABELLPT_PORT", "\\\\.\\LPT1?[2J")}),
    testing::caseName<Choice>);

struct Missing {
    PortKind kind;
    const char* name;
    std::vector<std::string> deviceNames;
    const char* words;
};

void PrintTo(const Missing& row, std::ostream* out) { *out << row.name; }

class MissingPorts : public ::testing::TestWithParam<Missing> {};

TEST_P(MissingPorts, NameThePortsThatExistReadyToPaste) {
    const Missing& row = GetParam();
    EXPECT_EQ(missingPortWords(row.name, row.kind, row.deviceNames), row.words);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MissingPorts,
    ::testing::Values(
        Missing{PortKind::parallel,
                "LPT1",
                {"C:", "COM10", "lpt2", "COM9", "PRN", "LPT1", "LPT2", "AUX"},
                "LPT1 does not exist; printer ports here: LPT2 (set LABELLPT_PORT=LPT2), COM9 (set "
                "LABELLPT_PORT=COM9), COM10 (set LABELLPT_PORT=COM10)"},
        Missing{
            PortKind::serial,
            "COM4",
            {"LPT1", "COM3"},
            "COM4 does not exist; printer ports here: COM3 (set LABELCOM_PORT=COM3), LPT1 (set LABELCOM_PORT=LPT1)"},
        Missing{
            PortKind::parallel,
            R"(\\.\USBPRINT)",
            {"C:", "NUL"},
            R"(\\.\USBPRINT does not exist; no printer port found here: is the printer plugged in and switched on?)"}),
    testing::caseName<Missing>);

// A queue goes to the spooler by its name alone, never to the mode command.
struct QueueValue {
    const char* value;
    const char* queue;   // what the spooler is asked for, or ""
    const char* reason;  // the entry that says why the value is refused, or nullptr
    const char* shown;
};

void PrintTo(const QueueValue& row, std::ostream* out) { *out << testing::escaped(row.value); }

class QueueValues : public ::testing::TestWithParam<QueueValue> {};

TEST_P(QueueValues, GoToTheSpoolerByNameOrAreRefused) {
    const QueueValue& row = GetParam();
    const PortChoice choice = choosePort(PortKind::parallel, row.value);
    const std::string refusal =
        row.reason == nullptr ? ""
                              : testing::expected("printer queue value refused",
                                                  {{"value", row.shown}, {"reason", testing::expected(row.reason)}});
    EXPECT_EQ(std::tie(choice.name, choice.path, choice.modeName, choice.queue, choice.refusal),
              std::make_tuple(row.shown, "", "", row.queue, refusal));
}

INSTANTIATE_TEST_SUITE_P(Rows, QueueValues,
                         ::testing::Values(QueueValue{R"(printer:\\office\Desk & del *)", R"(\\office\Desk & del *)",
                                                      nullptr, R"(printer:\\office\Desk & del *)"},
                                           QueueValue{"printer:", "", "no printer named", "printer:"},
                                           QueueValue{"printer:Desk\x1b[2J", "", "control characters in the name",
                                                      "printer:Desk?[2J"}),
                         testing::caseName<QueueValue>);

struct MissingQueue {
    const char* name;
    std::vector<std::string> printers;
    const char* entry;
    testing::Values values;
};

void PrintTo(const MissingQueue& row, std::ostream* out) { *out << testing::escaped(row.name); }

class MissingQueues : public ::testing::TestWithParam<MissingQueue> {};

TEST_P(MissingQueues, NameThePrintersInstalledReadyToPaste) {
    const MissingQueue& row = GetParam();
    EXPECT_EQ(missingQueueWords(row.name, row.printers), testing::expected(row.entry, row.values));
}

INSTANTIATE_TEST_SUITE_P(Rows, MissingQueues,
                         ::testing::Values(MissingQueue{"Desk\x1b[2J",
                                                        {"Odd\aname", R"(\\office\Desk)"},
                                                        "no such printer queue",
                                                        {{"name", "Desk?[2J"},
                                                         {"printers", R"(printer:Odd?name, printer:\\office\Desk)"}}},
                                           MissingQueue{"Desk", {}, "no printer queue at all", {{"name", "Desk"}}}),
                         testing::caseName<MissingQueue>);

}  // namespace
}  // namespace label::platform
