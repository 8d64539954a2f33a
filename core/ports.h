#pragma once

// The ports of one run, for both systems: the core chooses where each kind
// leads and says every refusal; the system (port_system.h) only opens.
//
//   choosePort(kind, value, system)   the one reading of a port variable's
//               value (nullptr: unset): a device as the system reads its
//               names, a network address, a printer queue, or a refusal
//   Ports       reads each kind's variable once, at its first use, and says
//               a refused value then, once, as "PROGRAM: WORDS".
//     open(kind)   records what to open: the port is opened, connected or
//               its job started at the first byte it is handed, within that
//               write's patience, and let go at the channel's close. So a
//               menu never waits for a printer that no choice has asked
//               for, a cycle that sends nothing touches no printer, and a
//               printer plugged in while the operator reads is reached.
//               What a port holds back once it took a job whole (a paused
//               queue) is said once a run.
//     prepareSerialLine()   the serial line set as the operators' "mode
//               com1:96,N,8,1" sets it; what went wrong, or that a network
//               port or a queue has no line settings, is one line
//     trace()   where each opening and each call on a port is traced
//   A port whose device went away (raw_port.h) is opened afresh at its next
//   write; once it is back, a line answer 1 prepared is prepared again
//   first, and "PROGRAM: the printer on PORT is back" is said.

#include <optional>
#include <set>
#include <string>

#include "console.h"
#include "port_system.h"

namespace label {

struct ChosenPort {
    PortValue value;
    Device device;      // a device: as the system reads its name
    std::string shown;  // as the operator knows the port, in every report
};

ChosenPort choosePort(PortKind kind, const char* value, PortSystem& system);

class Ports final : public PortOpener {
public:
    Ports(PortSystem& system, ConsoleOutput& errors, Trace& trace = noTrace())
        : system_(system), errors_(errors), trace_(trace) {}

    PortOpening open(PortKind kind) override;
    Trace& trace() override { return trace_; }
    void prepareSerialLine();

private:
    const ChosenPort& chosen(PortKind kind);
    PortOpening reach(PortKind kind, const ChosenPort& port, Reaching reaching);
    PortOpening openChosen(PortKind kind, const ChosenPort& port);
    void sayOnce(PortKind kind, const std::string& words);
    void say(PortKind kind, const std::string& words);

    PortSystem& system_;
    ConsoleOutput& errors_;
    Trace& trace_;
    std::optional<ChosenPort> serial_;
    std::optional<ChosenPort> parallel_;
    std::set<std::string> said_;
    bool linePrepared_ = false;
};

}  // namespace label
