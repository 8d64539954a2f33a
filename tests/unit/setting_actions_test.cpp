#include "setting_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "case_names.h"
#include "expectations.h"
#include "fakes.h"
#include "parallel_program.h"
#include "serial_program.h"

namespace label::testing {
namespace {

using Action = void (*)(ActionContext&);

struct SettingCase {
    Action action;
    const char* choice;  // names the dialogue and the command in the expectations
    const PortProfile* profile;
    const char* typed;
    Values numbers;
    std::vector<std::string> retried;  // prompts first answered with a non-number
};

// The dialogue's places: the numbers, the retry texts and the program's tear-off line.
Values dialogueValues(const SettingCase& c) {
    Values values = c.numbers;
    for (const char* prompt : {"darkness", "width", "distance", "thickness", "offset"}) {
        const bool retried = std::find(c.retried.begin(), c.retried.end(), prompt) != c.retried.end();
        values[std::string(prompt) + " retried"] = retried ? expected(std::string(prompt) + " retry") : "";
    }
    values["tear off"] = expected(c.profile == &serialProfile ? "serial tear off" : "parallel tear off");
    if (const auto offset = c.numbers.find("offset"); offset != c.numbers.end()) {
        values["signed offset"] = (offset->second.starts_with('-') ? "" : "+") + offset->second;
    }
    return values;
}

void PrintTo(const SettingCase& c, std::ostream* out) {
    *out << c.choice << " " << portKind(c.profile->port).program << " \"" << escaped(c.typed) << '"';
}

class SettingAction : public ::testing::TestWithParam<SettingCase> {};

TEST_P(SettingAction, ShowsItsDialogueAndSendsTheEnteredValues) {
    const SettingCase& c = GetParam();
    ConsoleRig rig(c.typed);
    RecordingPorts ports;
    DeliveryReport report(portKind(c.profile->port).program, rig.console);
    PrinterChannel channel(ports, report);
    channel.open(c.profile->port);
    Settings settings;
    ActionContext context{rig.console, channel, settings, *c.profile};
    c.action(context);
    rig.console.flush();
    const Values values = dialogueValues(c);
    EXPECT_EQ(rig.screen.text, shown(std::string(c.choice) + " shows", values));
    EXPECT_EQ(ports.at(c.profile->port).received, expected(std::string(c.choice) + " sends", values));
}

const PortProfile* const parallel = &parallelProfile;
const PortProfile* const serial = &serialProfile;

INSTANTIATE_TEST_SUITE_P(
    Entered, SettingAction,
    ::testing::Values(SettingCase{changeDarkness, "choice 3", parallel, "12\n", {{"darkness", "12"}}, {}},
                      SettingCase{changeDarkness, "choice 3", parallel, "-3\n", {{"darkness", "-3"}}, {}},
                      SettingCase{changeLabelWidth, "choice 4", parallel, "406\n", {{"width", "406"}}, {}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  parallel,
                                  "609\n51\n0\n",
                                  {{"distance", "609"}, {"thickness", "51"}, {"offset", "0"}},
                                  {}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  serial,
                                  "710 51 -45",
                                  {{"distance", "710"}, {"thickness", "51"}, {"offset", "-45"}},
                                  {}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  parallel,
                                  "710 51 125",
                                  {{"distance", "710"}, {"thickness", "51"}, {"offset", "125"}},
                                  {}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  serial,
                                  "1 2 -2147483648",
                                  {{"distance", "1"}, {"thickness", "2"}, {"offset", "-2147483648"}},
                                  {}}),
    caseName<SettingCase>);

INSTANTIATE_TEST_SUITE_P(
    Retries, SettingAction,
    ::testing::Values(SettingCase{changeDarkness, "choice 3", serial, "x\n5\n", {{"darkness", "5"}}, {"darkness"}},
                      SettingCase{changeLabelWidth, "choice 4", serial, "x\n5\n", {{"width", "5"}}, {"width"}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  serial,
                                  "x\n5 6 7\n",
                                  {{"distance", "5"}, {"thickness", "6"}, {"offset", "7"}},
                                  {"distance"}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  serial,
                                  "5\nx\n6\n7\n",
                                  {{"distance", "5"}, {"thickness", "6"}, {"offset", "7"}},
                                  {"thickness"}},
                      SettingCase{enableBlackMarkSensor,
                                  "choice 8",
                                  parallel,
                                  "5\n6.5\n-7\n",
                                  {{"distance", "5"}, {"thickness", "6"}, {"offset", "-7"}},
                                  {"offset"}}),
    caseName<SettingCase>);

}  // namespace
}  // namespace label::testing
