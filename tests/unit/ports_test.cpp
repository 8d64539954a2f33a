// The one choice of where a port leads, over a fake system: which opener a
// value reaches, when, and what the operator is told about it.

#include "ports.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "port_words.h"
#include "printer_channel.h"

namespace label::testing {
namespace {

// Records each opener called; devices named "bad..." and queues named
// "Refused" are refused the way a system refuses them.
class FakeSystem final : public PortSystem {
public:
    std::vector<std::string> calls;

    Device defaultDevice(PortKind /*kind*/) override { return {"/default", "DEFAULT", false}; }
    Reading<Device> readDevice(PortKind /*kind*/, std::string_view value) override {
        if (value.starts_with("bad")) {
            return Refusal{" is not for this system"};
        }
        return Device{"/" + std::string(value), std::string(value), true};
    }
    Reading<std::string> readQueue(PortKind /*kind*/, std::string_view name) override {
        if (name == "Refused") {
            return Refusal{": no queues here"};
        }
        return std::string(name);
    }
    PortOpening openDevice(PortKind /*kind*/, const Device& device) override { return opened("device " + device.path); }
    PortOpening openNetwork(const NetworkAddress& address) override { return opened("network " + address.shown); }
    PortOpening openQueue(PortKind /*kind*/, const std::string& queue) override { return opened("queue " + queue); }
    std::string prepareLine(const Device& device) override {
        calls.push_back("prepare " + device.path);
        return "not a serial line";
    }
    std::string resetLine(const Device& device) override { return prepareLine(device); }

private:
    PortOpening opened(std::string call) {
        calls.push_back(std::move(call));
        return {nullptr, "", "gone"};
    }
};

struct Way {
    const char* value;
    const char* call;   // the opener reached at the first byte, or "" for none
    const char* shown;  // the port as the operator knows it
    std::string said;   // said once when the port is first used, or ""
};

std::string queueRefused(const char* value, const char* reason) {
    return expected("printer queue value refused", {{"value", value}, {"reason", expected(reason)}});
}

void PrintTo(const Way& row, std::ostream* out) {
    *out << (*row.value == '\0' ? "unset" : testing::escaped(row.value));
}

class Ways : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override { setenv("LABELLPT_PORT", GetParam().value, 1); }
    void TearDown() override { unsetenv("LABELLPT_PORT"); }

    FakeSystem system;
    ConsoleRig rig{""};
    Ports ports{system, rig.errors};
};

TEST_P(Ways, ReachOneOpenerAtTheFirstByteAndSayARefusalOnce) {
    const Way& row = GetParam();
    PortOpening opening = ports.open(PortKind::parallel);
    static_cast<void>(ports.open(PortKind::parallel));
    EXPECT_TRUE(system.calls.empty()) << "nothing is opened before a byte is sent";
    EXPECT_EQ(opening.name, row.shown);
    static_cast<void>(opening.port->write("U\r\n", writePatience));
    static_cast<void>(opening.port->write("U\r\n", writePatience));
    EXPECT_EQ(system.calls, *row.call == '\0' ? std::vector<std::string>{} : std::vector<std::string>{row.call});
    EXPECT_EQ(rig.errors.text, row.said.empty() ? "" : "labellpt: " + row.said + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Ways,
    ::testing::Values(Way{"", "device /default", "DEFAULT", ""}, Way{"lp0", "device /lp0", "lp0", ""},
                      Way{"socket://[::1]", "network socket://[::1]:9100", "socket://[::1]:9100", ""},
                      Way{"printer:Desk 2", "queue Desk 2", "printer:Desk 2", ""},
                      Way{"bad\x1b[2J", "", "bad\x1b[2J", "LABELLPT_PORT=bad?[2J is not for this system"},
                      Way{"printer:Refused", "", "printer:Refused", "LABELLPT_PORT=printer:Refused: no queues here"},
                      Way{"printer:", "", "printer:", queueRefused("printer:", "no printer named")},
                      Way{"printer:Desk\x1b[2J", "", "printer:Desk\x1b[2J",
                          queueRefused("printer:Desk?[2J", "control characters in the name")},
                      Way{"socket://h:0", "", "socket://h:0",
                          expected("network value refused",
                                   {{"value", "socket://h:0"}, {"reason", expected("port out of range")}})}),
    testing::caseName<Way>);

// A cycle that sends nothing touches no printer; a refused port's lost line
// is counted in the summary, not said again at each choice.
TEST(RefusedPort, IsCountedLostWithoutASecondLine) {
    setenv("LABELLPT_PORT", "bad", 1);
    FakeSystem system;
    ConsoleRig rig{""};
    Ports ports{system, rig.errors};
    DeliveryReport report{"labellpt", rig.console};
    PrinterChannel channel{ports, report};
    channel.open(PortKind::parallel);
    channel.close();
    channel.open(PortKind::parallel);
    channel.writeText("U");
    channel.endLine();
    channel.close();
    report.finish();
    unsetenv("LABELLPT_PORT");
    EXPECT_EQ(rig.errors.text,
              "labellpt: LABELLPT_PORT=bad is not for this system\n"
              "labellpt: 1 of 1 command lines did not reach the printer on bad\n");
    EXPECT_EQ(report.exitStatus(), 1);
}

struct Preparation {
    const char* value;
    const char* said;
};

void PrintTo(const Preparation& row, std::ostream* out) { *out << testing::escaped(row.value); }

class Preparations : public ::testing::TestWithParam<Preparation> {};

TEST_P(Preparations, AreSaidAsTheModeCommandsOwnLine) {
    setenv("LABELCOM_PORT", GetParam().value, 1);
    FakeSystem system;
    ConsoleRig rig{""};
    Ports ports{system, rig.errors};
    ports.prepareSerialLine();
    ports.prepareSerialLine();
    unsetenv("LABELCOM_PORT");
    EXPECT_EQ(rig.errors.text, GetParam().said);
}

INSTANTIATE_TEST_SUITE_P(Rows, Preparations,
                         ::testing::Values(Preparation{"tty0",
                                                       "labelcom: mode com1: tty0: not a serial line\n"
                                                       "labelcom: mode com1: tty0: not a serial line\n"},
                                           Preparation{
                                               "socket://10.0.0.9",
                                               "labelcom: mode com1: socket://10.0.0.9:9100: a network port has "
                                               "no line settings; going on\n"
                                               "labelcom: mode com1: socket://10.0.0.9:9100: a network port has "
                                               "no line settings; going on\n"},
                                           Preparation{"bad", "labelcom: LABELCOM_PORT=bad is not for this system\n"}),
                         testing::caseName<Preparation>);

struct MissingQueue {
    const char* name;
    std::vector<std::string> queues;
    const char* entry;
    testing::Values values;
};

void PrintTo(const MissingQueue& row, std::ostream* out) { *out << testing::escaped(row.name); }

class MissingQueues : public ::testing::TestWithParam<MissingQueue> {};

TEST_P(MissingQueues, NameTheQueuesThereAreReadyToPaste) {
    const MissingQueue& row = GetParam();
    EXPECT_EQ(missingQueueWords(row.name, row.queues, "add the printer in Windows' printer settings first"),
              testing::expected(row.entry, row.values));
}

INSTANTIATE_TEST_SUITE_P(Rows, MissingQueues,
                         ::testing::Values(MissingQueue{"Desk",
                                                        {"Odd name", R"(\\office\Desk)"},
                                                        "no such printer queue",
                                                        {{"name", "Desk"},
                                                         {"printers", R"(printer:Odd name, printer:\\office\Desk)"}}},
                                           MissingQueue{"Desk", {}, "no printer queue at all", {{"name", "Desk"}}}),
                         testing::caseName<MissingQueue>);

}  // namespace
}  // namespace label::testing
