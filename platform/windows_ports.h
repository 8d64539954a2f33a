#pragma once

// The ports on Windows. Each kind leads to its default port (COM1, LPT1), or to
// the port that LABELCOM_PORT or LABELLPT_PORT names (windows_port_names.h). A
// value that names no port is said once on standard error, and that port
// then never opens.
//
// A port is opened for overlapped writing and never created; a file standing
// in for one is written at its end. Every write is given the patience that
// the bounded port (bounded_port.h) hands it: one the port has not finished
// in time is cancelled, and what the system reports taken counts, even from a
// write that failed. A printer on the network (windows_socket_port.h) and a
// printer queue (windows_printer_queue.h) have ports of their own.

#include <optional>
#include <string>
#include <string_view>

#include "console.h"
#include "port_value.h"
#include "printer_channel.h"
#include "windows_port_names.h"

namespace label::platform {

class WindowsPorts final : public PortOpener {
public:
    explicit WindowsPorts(ConsoleOutput& errors);

    PortOpening open(PortKind kind) override;

    // The core's command line that prepares COM1 (shell_commands.h), for the
    // serial port chosen: only a checked COMn goes into it. Nothing, and why
    // said on standard error, where the mode command cannot prepare that port.
    std::optional<std::string> serialPreparation();

private:
    struct ChosenPort {
        PortChoice choice;
        std::optional<NetworkAddress> network;  // a printer on the network
        bool refusalSaid = false;
    };

    const ChosenPort& use(PortKind kind);
    void say(PortKind kind, std::string_view words);

    ConsoleOutput& errors_;
    ChosenPort serial_;
    ChosenPort parallel_;
};

}  // namespace label::platform
