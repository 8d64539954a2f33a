#pragma once

// Who the printers at some ports say they are, asked within one bound.
//
//   printerNames(ports, root)   for each port path ("/dev/usb/lp0"), the
//         printer's maker and model (device_id.h), or nothing: a USB
//         printer is asked its device ID (the usblp driver's
//         LPIOC_GET_DEVICE_ID), a parallel one's is read where the parport
//         driver keeps what it probed (/proc/sys/dev/parport/parportN/
//         autoprobe, for /dev/lpN), below `root` as portsPresent reads.
//         Each is asked on a helper (helper_thread.h), all within
//         askPatience: one that has not answered by then has no name.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace label::platform {

inline constexpr std::chrono::milliseconds askPatience{500};

std::vector<std::optional<std::string>> printerNames(const std::vector<std::string>& ports, const std::string& root);

}  // namespace label::platform
