// What a printer says about itself, for the two drivers that can ask it:
// the signs they share, the busy line only lp's register has (which the
// port's hardware inverts), the order the signs are read in, and which
// device numbers are asked at all.

#include "posix_printer_status.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "case_names.h"
#include "expectations.h"

namespace label::platform {
namespace {

struct StatusCase {
    const char* what;
    PrinterDriver driver;
    int status;
    const char* says;  // an entry of tests/expectations.txt, or "" for nothing
};

void PrintTo(const StatusCase& row, std::ostream* out) { *out << row.what; }

class Statuses : public ::testing::TestWithParam<StatusCase> {};

TEST_P(Statuses, SayWhatTheSignsMeanAndNothingWhenAllIsWell) {
    const StatusCase& row = GetParam();
    const auto words = printerWords(row.driver, row.status);
    EXPECT_EQ(words.value_or(""), *row.says == '\0' ? "" : testing::expected(row.says));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Statuses,
    ::testing::Values(StatusCase{"lp ready", PrinterDriver::parallel, 0xd8, ""},
                      StatusCase{"lp out of paper, deselected, error", PrinterDriver::parallel, 0xe0,
                                 "printer out of paper"},
                      StatusCase{"lp not selected", PrinterDriver::parallel, 0xc8, "printer off line"},
                      StatusCase{"lp error line low", PrinterDriver::parallel, 0xd0, "printer error"},
                      StatusCase{"lp busy line low", PrinterDriver::parallel, 0x58, "printer busy"},
                      StatusCase{"usblp ready, no busy bit", PrinterDriver::usb, 0x18, ""},
                      StatusCase{"usblp paper empty, not selected", PrinterDriver::usb, 0x28, "printer out of paper"},
                      StatusCase{"usblp not selected", PrinterDriver::usb, 0x08, "printer off line"},
                      StatusCase{"usblp error", PrinterDriver::usb, 0x10, "printer error"},
                      StatusCase{"no driver to ask", PrinterDriver::none, 0x00, ""}),
    testing::caseName<StatusCase>);

struct DeviceCase {
    const char* what;
    dev_t device;
    const char* driverLink;  // sysfs's device/driver link for it, if any
    PrinterDriver driver;
};

void PrintTo(const DeviceCase& row, std::ostream* out) { *out << row.what; }

class Devices : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(Devices, AskOnlyTheParallelAndUsbPrinterDrivers) {
    const DeviceCase& row = GetParam();
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("printer_status_" + std::to_string(::getpid()));
    const fs::path node = root / "sys/dev/char" /
                          (std::to_string(major(row.device)) + ":" + std::to_string(minor(row.device))) / "device";
    fs::create_directories(node);
    if (*row.driverLink != '\0') {
        fs::create_symlink(fs::path("../../bus/usb/drivers") / row.driverLink, node / "driver");
    }
    EXPECT_EQ(printerDriver(row.device, root), row.driver);
    fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Devices,
    ::testing::Values(DeviceCase{"lp", makedev(6, 0), "", PrinterDriver::parallel},
                      DeviceCase{"usblp", makedev(180, 0), "usblp", PrinterDriver::usb},
                      DeviceCase{"another USB class driver", makedev(180, 176), "usbtmc", PrinterDriver::none},
                      DeviceCase{"USB class node sysfs does not know", makedev(180, 1), "", PrinterDriver::none},
                      DeviceCase{"a serial line", makedev(4, 64), "", PrinterDriver::none}),
    testing::caseName<DeviceCase>);

}  // namespace
}  // namespace label::platform
