#pragma once

// The ports on POSIX systems: "com1:" and "lpt1:" lead to the paths named by
// LABELCOM_PORT and LABELLPT_PORT or, where those are unset or empty, to the
// paths compiled in as LABEL_COM1_PATH and LABEL_LPT1_PATH.
//
// A port is opened without waiting (no carrier, no FIFO reader: the open
// fails), never created and never truncated, and written at its end. A
// terminal port gets raw output so that it receives exactly the bytes sent.
// How the open port is written and let go: posix_port_device.h.

#include <string_view>

#include "printer_channel.h"

namespace label::platform {

class PosixPorts final : public PortOpener {
public:
    PortOpening open(std::string_view deviceName) override;
};

// 9600 baud, 8 data bits, no parity, 1 stop bit on the "com1:" port; what
// went wrong, if anything, goes to standard error as one line.
void prepareSerialPort();

}  // namespace label::platform
