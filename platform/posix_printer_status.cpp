#include "posix_printer_status.h"

#include <fcntl.h>
#include <linux/lp.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string_view>

#include "helper_thread.h"
#include "posix_files.h"
#include "queue_state.h"

namespace label::platform {
namespace {

// The kernel's device numbers (Documentation/admin-guide/devices.txt).
constexpr unsigned parallelMajor = 6;
constexpr unsigned usbClassMajor = 180;

struct Sign {
    int line;             // its bit in what LPGETSTATUS hands on
    bool troubleWhenSet;  // the line is active high, else active low
    bool parallelOnly;
    std::string_view words;
};

// In the order lp's own check reads them.
constexpr std::array signs{
    Sign{LP_POUTPA, true, false, printerOutOfPaper},
    Sign{LP_PSELECD, false, false, printerOffLine},
    Sign{LP_PERRORP, false, false, printerError},
    Sign{LP_PBUSY, false, true, "the printer is busy"},
};

// A duplicate of the port's descriptor, closed by whoever lets go of it last.
class Duplicate {
public:
    explicit Duplicate(int fd) : fd_(::fcntl(fd, F_DUPFD_CLOEXEC, 0)) {}
    ~Duplicate() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Duplicate(const Duplicate&) = delete;
    Duplicate& operator=(const Duplicate&) = delete;
    [[nodiscard]] int fd() const { return fd_; }

private:
    int fd_;
};

std::optional<int> statusOf(const Duplicate& port) {
    int status = 0;
    return ::ioctl(port.fd(), LPGETSTATUS, &status) == 0 ? std::optional(status) : std::nullopt;
}

}  // namespace

PrinterDriver printerDriver(dev_t device, const std::string& root) {
    const unsigned number = major(device);
    if (number == parallelMajor) {
        return PrinterDriver::parallel;
    }
    if (number != usbClassMajor) {
        return PrinterDriver::none;
    }
    const std::string driver = linkTarget(
        below(root, "sys/dev/char/" + std::to_string(number) + ":" + std::to_string(minor(device)) + "/device/driver"));
    const std::string_view name = std::string_view(driver).substr(driver.rfind('/') + 1);
    return name == "usblp" ? PrinterDriver::usb : PrinterDriver::none;
}

std::optional<std::string> printerWords(PrinterDriver driver, int status) {
    for (const Sign& sign : signs) {
        const bool applies = driver == PrinterDriver::parallel || (driver == PrinterDriver::usb && !sign.parallelOnly);
        if (applies && ((status & sign.line) != 0) == sign.troubleWhenSet) {
            return std::string(sign.words);
        }
    }
    return std::nullopt;
}

std::optional<std::string> askPrinter(int fd, PrinterDriver driver) {
    if (driver == PrinterDriver::none) {
        return std::nullopt;
    }
    auto port = std::make_shared<const Duplicate>(fd);
    if (port->fd() < 0) {
        return std::nullopt;
    }
    // Let go before answering: usblp lets the device be opened once at a
    // time, and labellpt may reach it again at once, at the next choice.
    const auto status = answerBy<std::optional<int>>(
                            [port = std::move(port)]() mutable {
                                const auto answer = statusOf(*port);
                                port.reset();
                                return answer;
                            },
                            Clock::now() + printerAnswerPatience)
                            .answer;
    if (!status || !*status) {
        return std::nullopt;
    }
    return printerWords(driver, **status);
}

}  // namespace label::platform
