// What a printer says about itself: the signs lp and usblp share, the busy
// line only lp's register has (inverted by the port's hardware), the order
// the signs are read in, and which devices are asked at all.

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
    EXPECT_EQ(printerWords(row.driver, row.status).value_or(""), *row.says == '\0' ? "" : testing::expected(row.says));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Statuses,
    ::testing::Values(StatusCase{"lp ready", PrinterDriver::parallel, 0xd8, ""},
                      StatusCase{"lp out of paper, deselected", PrinterDriver::parallel, 0xe0, "printer out of paper"},
                      StatusCase{"lp not selected", PrinterDriver::parallel, 0xc8, "printer off line"},
                      StatusCase{"lp busy line low", PrinterDriver::parallel, 0x58, "printer busy"},
                      StatusCase{"usblp ready, no busy bit", PrinterDriver::usb, 0x18, ""},
                      StatusCase{"usblp error", PrinterDriver::usb, 0x10, "printer error"}),
    testing::caseName<StatusCase>);

// Major 180 is every USB class driver's: sysfs's driver link decides.
TEST(PrinterDriver, IsLpByItsMajorAndUsblpByTheDriverSysfsNames) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("printer_status_" + std::to_string(::getpid()));
    for (const char* device : {"180:0", "180:176"}) {
        fs::create_directories(root / "sys/dev/char" / device / "device");
    }
    fs::create_symlink("../../bus/usb/drivers/usblp", root / "sys/dev/char/180:0/device/driver");
    fs::create_symlink("../../bus/usb/drivers/usbtmc", root / "sys/dev/char/180:176/device/driver");
    EXPECT_EQ(printerDriver(makedev(6, 0), root), PrinterDriver::parallel);
    EXPECT_EQ(printerDriver(makedev(180, 0), root), PrinterDriver::usb);
    EXPECT_EQ(printerDriver(makedev(180, 176), root), PrinterDriver::none);
    EXPECT_EQ(printerDriver(makedev(4, 64), root), PrinterDriver::none);
    fs::remove_all(root);
}

}  // namespace
}  // namespace label::platform
