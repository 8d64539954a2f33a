#include "posix_printer_names.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <string_view>

#include "device_id.h"
#include "helper_thread.h"
#include "posix_files.h"

namespace label::platform {
namespace {

constexpr std::string_view usbPrinterPrefix = "/dev/usb/lp";
constexpr std::string_view parallelPrinterPrefix = "/dev/lp";

// The usblp driver's request (linux/drivers/usb/class/usblp.c), which no
// kernel header exports; its replies are at most this long.
constexpr std::size_t usbIdSize = 1024;
constexpr unsigned long getDeviceId = _IOC(_IOC_READ, 'P', 1, usbIdSize);

std::string usbDeviceId(const std::string& node) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::array<char, usbIdSize> reply{};
    const bool answered = ::ioctl(fd, getDeviceId, reply.data()) >= 0;
    ::close(fd);
    return answered ? std::string(lengthPrefixed(std::string_view(reply.data(), reply.size()))) : std::string();
}

// What the port's driver gives as its printer's device ID, or "".
std::string deviceIdOf(std::string_view port, const std::string& root) {
    if (port.starts_with(usbPrinterPrefix)) {
        return usbDeviceId(below(root, port.substr(1)));
    }
    if (port.starts_with(parallelPrinterPrefix)) {
        const std::string number(port.substr(parallelPrinterPrefix.size()));
        return fileText(below(root, "proc/sys/dev/parport/parport" + number + "/autoprobe"));
    }
    return {};
}

}  // namespace

std::vector<std::optional<std::string>> printerNames(const std::vector<std::string>& ports, const std::string& root) {
    const auto deadline = Clock::now() + askPatience;
    std::vector<std::optional<std::string>> names;
    for (const std::string& port : ports) {
        auto asked = answerBy<std::optional<std::string>>([port, root] { return printerName(deviceIdOf(port, root)); },
                                                          deadline);
        names.push_back(asked.answer ? *asked.answer : std::nullopt);
    }
    return names;
}

}  // namespace label::platform
