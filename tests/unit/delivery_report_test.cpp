#include "delivery_report.h"

#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "menu_loop.h"

namespace label::testing {
namespace {

constexpr PortProfile perCycle{PortKind::parallel, ChannelLifetime::oneMenuCycle, 2, LeavingStyle::sayGoodbye, "x"};
constexpr PortProfile wholeRun{PortKind::serial, ChannelLifetime::wholeRun, 1, LeavingStyle::clearScreen, "x"};

struct PortBehaviour {
    bool opens = true;
    std::size_t capacity = std::string::npos;
    bool drains = true;
};

struct DeliveryCase {
    const char* name;
    const PortProfile* profile;
    PortBehaviour port;
    const char* script;
    const char* said;
    int status;
};

void PrintTo(const DeliveryCase& c, std::ostream* out) { *out << c.name; }

class Delivery : public ::testing::TestWithParam<DeliveryCase> {};

TEST_P(Delivery, SaysWhatDidNotReachThePrinterAndExitsAccordingly) {
    const DeliveryCase& c = GetParam();
    RecordingPorts ports;
    RecordingPorts::Port& port = ports[c.profile->port];
    port.opens = c.port.opens;
    port.capacity = c.port.capacity;
    port.drains = c.port.drains;
    ConsoleRig rig(c.script);
    const int status = runMenuLoop(*c.profile, rig.console, ports);
    EXPECT_EQ(rig.errors.text, filled(c.said));
    EXPECT_EQ(status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, Delivery,
    ::testing::Values(DeliveryCase{"working", &perCycle, {}, "1\n5\n7\n9\n", "", 0},
                      DeliveryCase{"nothing sent to a missing port", &perCycle, {.opens = false}, "9\n", "", 0},
                      // Choice 5 sends two lines but gets one line of its own.
                      DeliveryCase{"missing, per cycle",
                                   &perCycle,
                                   {.opens = false},
                                   "1\n5\n9\n",
                                   "labellpt: the printer on lpt1: did not get the last command: cannot open\n"
                                   "labellpt: the printer on lpt1: did not get the last command: cannot open\n"
                                   "labellpt: 3 of 3 command lines did not reach the printer on lpt1:\n",
                                   1},
                      DeliveryCase{"input ends after a lost line",
                                   &perCycle,
                                   {.opens = false},
                                   "1",
                                   "labellpt: the printer on lpt1: did not get the last command: cannot open\n"
                                   "labellpt: 1 of 1 command lines did not reach the printer on lpt1:\n",
                                   1},
                      // Page mode has no line end: it is lost when the channel closes.
                      DeliveryCase{"page mode to a missing port",
                                   &wholeRun,
                                   {.opens = false},
                                   "7\n9\n",
                                   "labelcom: the printer on com1: did not get the last command: cannot open\n"
                                   "labelcom: 1 of 1 command lines did not reach the printer on com1:\n",
                                   1},
                      // The first line fits; the second is refused and stays pending until
                      // the close, the third is dropped by the failed channel.
                      DeliveryCase{"refused bytes, whole run",
                                   &wholeRun,
                                   {.capacity = 3},
                                   "1\n2\n6\n9\n",
                                   "labelcom: the printer on com1: did not get the last command: {port stalled}\n"
                                   "labelcom: the printer on com1: did not get the last command: {port stalled}\n"
                                   "labelcom: 2 of 3 command lines did not reach the printer on com1:\n",
                                   1},
                      DeliveryCase{"taken but never delivered",
                                   &perCycle,
                                   {.drains = false},
                                   "1\n9\n",
                                   "labellpt: the printer on lpt1: did not get the last command: {port stalled}\n"
                                   "labellpt: 1 of 1 command lines did not reach the printer on lpt1:\n",
                                   1}),
    caseName<DeliveryCase>);

}  // namespace
}  // namespace label::testing
