#pragma once

// An open port on a POSIX system, as the printer channel sees it: the
// descriptor of a file, a FIFO, a terminal or a device.
//
// A write that the port does not take within portWriteTimeout is given up,
// and so is at once every later write to that port until one goes through
// whole; so is, at the close, what a serial line has not sent by then.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "printer_channel.h"

namespace label::platform {

inline constexpr auto portWriteTimeout = std::chrono::seconds(5);

// Takes over `fd`, opened on `path` for the port called `deviceName`.
std::unique_ptr<PortDevice> makePortDevice(int fd, std::string path, std::string_view deviceName);

}  // namespace label::platform
