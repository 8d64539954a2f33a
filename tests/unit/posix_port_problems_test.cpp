#include "posix_port_problems.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "expectations.h"

namespace label::platform {
namespace {

namespace fs = std::filesystem;

// A folder of stand-in device nodes and the kernel's word on serial ports.
class StandInDevices : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("port_problems_" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* node : {"dev/usb/lp0", "dev/lp1", "dev/lpx", "dev/ttyS0", "dev/ttyS1", "dev/ttyS2",
                                 "dev/ttyUSB0", "dev/ttyACM3", "dev/tty1", "dev/serial/by-id/usb-Maker_Adapter-if00"}) {
            write(node, "");
        }
        write("sys/class/tty/ttyS0/type", "4\n");
        write("sys/class/tty/ttyS1/type", "0\n");
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const fs::path& relative, const std::string& text) const {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << text;
    }

    fs::path root;
};

TEST_F(StandInDevices, ListsThePortsOfEachKindThatExist) {
    EXPECT_EQ(portsPresent(PortKind::parallel, root), (std::vector<std::string>{"/dev/usb/lp0", "/dev/lp1"}));
    EXPECT_EQ(portsPresent(PortKind::serial, root),
              (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyACM3", "/dev/ttyS0",
                                        "/dev/serial/by-id/usb-Maker_Adapter-if00"}));
}

// A stand-in for a USB printer answers no driver's question: its path alone.
TEST_F(StandInDevices, AMissingPortNamesTheOnesThatExistAndTheirPrintersReadyToPaste) {
    write("proc/sys/dev/parport/parport1/autoprobe", "CLASS:PRINTER;\nMODEL:VRT 2;\nMANUFACTURER:Corvane;\n");
    EXPECT_EQ(describePortError(ENOENT, "/dev/lp0", PortKind::parallel, root),
              "/dev/lp0 does not exist; printer ports here: /dev/usb/lp0 (LABELLPT_PORT=/dev/usb/lp0 labellpt), "
              "/dev/lp1 (Corvane VRT 2; LABELLPT_PORT=/dev/lp1 labellpt)");
    EXPECT_EQ(describePortError(ENOENT, "/dev/ttyS9", PortKind::serial, root / "dev/usb"),
              "/dev/ttyS9 does not exist; no printer port found here: is the printer plugged in and switched on?");
}

TEST_F(StandInDevices, PermissionDeniedNamesTheDevicesGroup) {
    const fs::path device = root / "dev/lp1";
    // A line too short to have an id, and a last line without its line end.
    write("etc/group", "short:x\nroot:x:0:\nlp:x:" + std::to_string(::getgid()) + ":alice");
    if (::getgid() == 0) {
        write("etc/group", "short:x\nlp:x:0:");
    }
    EXPECT_EQ(describePortError(EACCES, device.string(), PortKind::parallel, root),
              std::string(std::strerror(EACCES)) + " (join the group lp, then log in again)");
    fs::remove(root / "etc/group");
    EXPECT_EQ(describePortError(EACCES, device.string(), PortKind::parallel, root),
              std::string(std::strerror(EACCES)) + " (ls -l " + device.string() + " shows who may write to it)");
}

struct ErrorCase {
    int error;
    std::string said;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << std::strerror(c.error); }

class OtherErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(OtherErrors, AreSaidInTheSystemsWordsWithAHintWhereTheCauseIsUsual) {
    EXPECT_EQ(describePortError(GetParam().error, "/dev/lp0", PortKind::parallel, "/nonexistent"),
              testing::filled(GetParam().said));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, OtherErrors,
    ::testing::Values(ErrorCase{EBUSY, std::string(std::strerror(EBUSY)) +
                                           " (another program, such as the print spooler, holds the port)"},
                      ErrorCase{EAGAIN, "{port stalled}"}, ErrorCase{EIO, std::strerror(EIO)},
                      ErrorCase{ENODEV, std::strerror(ENODEV)}),
    testing::caseName<ErrorCase>);

}  // namespace
}  // namespace label::platform
