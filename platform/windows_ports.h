#pragma once

// The ports on Windows. "com1:" and "lpt1:" lead to COM1 and LPT1, or to the
// port that LABELCOM_PORT or LABELLPT_PORT names (windows_port_names.h). A
// value that names no port is said once on standard error, and that port
// then never opens.
//
// A port is opened for overlapped writing and never created; a file standing
// in for one is written at its end. Every write is bounded (bounded_port.h):
// one the port has not finished in time is cancelled, and what the system
// reports taken counts, even from a write that failed.

#include <optional>
#include <string>
#include <string_view>

#include "console.h"
#include "printer_channel.h"
#include "windows_port_names.h"

namespace label::platform {

class WindowsPorts final : public PortOpener {
public:
    explicit WindowsPorts(ConsoleOutput& errors);

    PortOpening open(std::string_view deviceName) override;

    // The core's command line that prepares COM1 (shell_commands.h), turned
    // to the "com1:" port chosen: only a checked COMn goes into it. Nothing,
    // and why said on standard error, where the mode command cannot prepare
    // that port.
    std::optional<std::string> serialPreparation();

private:
    struct ChosenPort {
        PortChoice choice;
        bool refusalSaid = false;
    };

    const PortChoice& use(std::string_view deviceName);
    void say(std::string_view deviceName, std::string_view words);

    ConsoleOutput& errors_;
    ChosenPort parallel_;
    ChosenPort serial_;
};

}  // namespace label::platform
