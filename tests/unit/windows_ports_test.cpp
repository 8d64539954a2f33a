// The Windows port names: the ports a variable's value leads to, and the
// words for a missing one.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "case_names.h"
#include "windows_port_names.h"

namespace label::platform {
namespace {

constexpr const char* notAPortName = R"( is not a port name: use COMn, LPTn or \\.\name)";

struct Name {
    const char* value;
    const char* path;  // what is opened, or nullptr if the value is refused
    const char* name;
    const char* modeName;  // what mode may prepare, or ""
};

void PrintTo(const Name& row, std::ostream* out) { *out << testing::escaped(row.value); }

class DeviceNames : public ::testing::TestWithParam<Name> {};

TEST_P(DeviceNames, NameThePortOrRefuseTheValue) {
    const Name& row = GetParam();
    const Reading<Device> reading = readDeviceName(row.value);
    if (row.path == nullptr) {
        ASSERT_TRUE(std::holds_alternative<Refusal>(reading));
        EXPECT_EQ(std::get<Refusal>(reading).words, notAPortName);
        return;
    }
    const Device& device = std::get<Device>(reading);
    EXPECT_EQ(std::tie(device.path, device.name, device.chosen), std::make_tuple(row.path, row.name, true));
    EXPECT_EQ(modeName(device).value_or(""), row.modeName);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeviceNames,
                         ::testing::Values(Name{"com10", R"(\\.\COM10)", "COM10", "COM10"},
                                           Name{"Lpt2", R"(\\.\LPT2)", "LPT2", ""},
                                           Name{R"(\\.\USBPRINT)", R"(\\.\USBPRINT)", R"(\\.\USBPRINT)", ""},
                                           Name{R"(\\.\COM3)", R"(\\.\COM3)", R"(\\.\COM3)", ""},
                                           Name{"COM1 & del *", nullptr, "", ""}, Name{"LPT1|calc", nullptr, "", ""},
                                           Name{"COM1:", nullptr, "", ""}, Name{"COM01", nullptr, "", ""},
                                           Name{"LPT", nullptr, "", ""}, Name{"PRN", nullptr, "", ""},
                                           Name{R"(\\.\)", nullptr, "", ""}, Name{R"(C:\ports\lpt1)", nullptr, "", ""},
                                           Name{"\\\\.\\LPT1\x1b[2J", nullptr, "", ""}),
                         testing::caseName<Name>);

TEST(DefaultDevices, AreTheFirstPortsOfTheirKindAndMayBePrepared) {
    const Device serial = defaultDevice(PortKind::serial);
    const Device parallel = defaultDevice(PortKind::parallel);
    EXPECT_EQ(std::tie(serial.path, serial.name, serial.chosen), std::make_tuple(R"(\\.\COM1)", "COM1", false));
    EXPECT_EQ(std::tie(parallel.path, parallel.name), std::make_tuple(R"(\\.\LPT1)", "LPT1"));
    EXPECT_EQ(modeName(serial), "COM1");
}

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

}  // namespace
}  // namespace label::platform
