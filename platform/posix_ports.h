#pragma once

// The ports on POSIX systems: each kind leads to the path its variable
// (LABELCOM_PORT, LABELLPT_PORT) names or, where that is unset or empty, to
// the path compiled in as LABEL_COM1_PATH or LABEL_LPT1_PATH. A value of the
// form socket://HOST[:PORT] leads to a printer on the network
// (posix_socket_port.h); one that is malformed, or names a printer queue,
// is said once on standard error, and that port then never opens.
//
// A port is opened without waiting (no carrier, no FIFO reader: the open
// fails), never created and never truncated, and written at its end. A
// terminal port is held by this program alone while it is open, and gets raw
// output so that it receives exactly the bytes sent; both are undone when it
// is let go (posix_terminal.h, posix_raw_port.h).

#include "console.h"
#include "port_value.h"
#include "printer_channel.h"

namespace label::platform {

class PosixPorts final : public PortOpener {
public:
    explicit PosixPorts(ConsoleOutput& errors) : errors_(errors) {}

    PortOpening open(PortKind kind) override;

    // The serial line set as the operators' "mode com1:96,N,8,1" sets it:
    // 9600 baud, 8 data bits, no parity, 1 stop bit. These settings are
    // meant to stay once the program ends, as mode's do; what went wrong, if
    // anything, goes to standard error as one line. A network port has no
    // line settings: that too is one line, and the run goes on.
    void prepareSerialPort();

private:
    void sayRefusal(PortKind kind, const PortValue& value);

    ConsoleOutput& errors_;
    bool serialRefusalSaid_ = false;
    bool parallelRefusalSaid_ = false;
};

}  // namespace label::platform
