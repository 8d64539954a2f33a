#pragma once

// What each operating system gives the core to reach a printer: how it reads
// a device's name, and one opener for each way to a printer (PortWay). The
// core chooses and words (ports.h); a system only reads names and opens.
// Every opener is pure: a way added to PortWay fails the build on every
// system until each has an opener for it, or a refusal with words.
//
//   defaultDevice(kind)      where the kind leads when its variable is unset
//   readDevice(kind, value)  the device a value names, or why it names none
//                            this system can open
//   readQueue(kind, name)    the queue a printer:NAME value names, or why
//                            this system has no such queues
//   openDevice, openNetwork, openQueue   open the port, never waiting longer
//                            than writePatience (bounded_port.h)
//   prepareLine(device)      sets the serial line as the operators' mode
//                            command does; what went wrong, or ""
//   resetLine(device)        the same settings again, on a line whose device
//                            went away and came back, without a word on
//                            standard output (ports.h)

#include <string>
#include <string_view>
#include <variant>

#include "port_kinds.h"
#include "port_value.h"
#include "raw_port.h"

namespace label {

struct Device {
    std::string path;     // what the system opens
    std::string name;     // as the operator knows it
    bool chosen = false;  // named by the variable, not the default
};

// Why a value cannot be used: the words that follow "VARIABLE=VALUE".
struct Refusal {
    std::string words;
};

template <typename Read>
using Reading = std::variant<Read, Refusal>;

class PortSystem {
public:
    virtual ~PortSystem() = default;

    virtual Device defaultDevice(PortKind kind) = 0;
    virtual Reading<Device> readDevice(PortKind kind, std::string_view value) = 0;
    virtual Reading<std::string> readQueue(PortKind kind, std::string_view name) = 0;

    virtual PortOpening openDevice(PortKind kind, const Device& device) = 0;
    virtual PortOpening openNetwork(const NetworkAddress& address) = 0;
    virtual PortOpening openQueue(PortKind kind, const std::string& queue) = 0;

    virtual std::string prepareLine(const Device& device) = 0;
    virtual std::string resetLine(const Device& device) = 0;
};

}  // namespace label
