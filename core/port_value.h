#pragma once

// What the value of LABELLPT_PORT or LABELCOM_PORT asks for, as far as it can
// be told without asking the system: one reading for both platforms.
//
//   readPortValue(kind, value)   "socket://HOST[:PORT]" is a printer on the
//                 network: raw TCP, port 9100 unless PORT is given (1 to
//                 65535); HOST a name, an IPv4 address, or an IPv6 address in
//                 brackets. "printer:NAME" is a printer queue, NAME as the
//                 system lists it. Anything else is a device, for the system
//                 to read (port_system.h). A network value that is malformed
//                 or carries anything a host name cannot (shell syntax,
//                 spaces, control characters), and a queue with no name or
//                 control characters in it, are refused with the reason, and
//                 so never reach the system.
//   networkFaultWords(fault, address)   what the operator is told when a
//                 network printer cannot be reached, in the same words on
//                 every platform

#include <cstdint>
#include <string>
#include <string_view>

#include "port_kinds.h"

namespace label {

inline constexpr std::string_view networkScheme = "socket://";
inline constexpr std::string_view printerScheme = "printer:";
inline constexpr std::uint16_t rawPrintPort = 9100;
struct NetworkAddress {
    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = rawPrintPort;
    std::string shown;  // socket://HOST:PORT, as the operator sees it in reports
};

enum class PortWay { device, network, printerQueue, refused };

struct PortValue {
    PortWay way = PortWay::device;
    std::string text;        // the value as given
    NetworkAddress address;  // network
    std::string queue;       // printer queue: its name
    std::string refusal;     // refused: the one line that says why
};

PortValue readPortValue(PortKind kind, std::string_view value);

enum class NetworkFault { refused, unreachable, reset, timedOut, unknownName, nameTimedOut };

std::string networkFaultWords(NetworkFault fault, const NetworkAddress& address);

}  // namespace label
