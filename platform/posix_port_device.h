#pragma once

// An open port on a POSIX system, as the printer channel sees it: the
// descriptor of a file, a FIFO, a terminal or a device.
//
//   write   offers the bytes for up to portWriteTimeout. A port that has
//           stalled (taken less than offered, or not drained in time) is
//           given no patience until a write goes through whole: the
//           operator waits out a stalled port once, not at every line end
//           that retries it. A device that keeps saying "writable" yet
//           takes nothing is retried after a pause that grows from 10 to
//           100 ms. An error other than "try again" or "interrupted" ends
//           the port: it takes nothing more until it is opened afresh.
//   drain   waits, with the same patience, until a terminal has sent what
//           it holds, or until a device's driver reports it writable (a
//           USB printer's, once its transfer is done); files and FIFOs
//           hold what they took already.
//   letting go   drops what a terminal did not send, then closes; a driver
//           that sleeps in write or close is cut short at the deadline
//           (see posix_deadline.h).

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "printer_channel.h"

namespace label::platform {

// Takes over `fd`, opened on `path` for the port called `deviceName`.
std::unique_ptr<PortDevice> makePortDevice(int fd, std::string path, std::string_view deviceName);

}  // namespace label::platform
