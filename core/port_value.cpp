#include "port_value.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "bounded_port.h"
#include "console.h"

namespace label {
namespace {

constexpr unsigned largestPort = 65535;

bool isAlnum(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
}

bool isHostChar(char byte) { return isAlnum(byte) || byte == '-' || byte == '.' || byte == '_'; }

bool isIpv6Char(char byte) { return isAlnum(byte) || byte == ':' || byte == '.'; }

using Problem = std::optional<std::string_view>;

// "[v6]" or "[v6]:PORT": the address to `host`, the text after the colon to `port`.
Problem splitBracketed(std::string_view text, std::string& host, std::string_view& port) {
    const auto close = text.find(']');
    if (close == std::string_view::npos) {
        return "the IPv6 address has no closing bracket";
    }
    host = text.substr(1, close - 1);
    if (!std::all_of(host.begin(), host.end(), isIpv6Char)) {
        return "the brackets hold no IPv6 address";
    }
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) {
        return "only :PORT may follow the brackets";
    }
    port = rest;
    return std::nullopt;
}

// "host" or "host:PORT"; `port` gets the colon and what follows it.
Problem splitPlain(std::string_view text, std::string& host, std::string_view& port) {
    const auto colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
        return "an IPv6 address goes in brackets, as in socket://[::1]:9100";
    }
    host = text.substr(0, colon);
    if (!std::all_of(host.begin(), host.end(), isHostChar)) {
        return "the host holds characters no host name has";
    }
    port = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    return std::nullopt;
}

// ":PORT", or nothing for the raw print port.
Problem readPort(std::string_view port, std::uint16_t& number) {
    if (port.empty()) {
        return std::nullopt;
    }
    port.remove_prefix(1);
    if (port.empty()) {
        return "the port number is missing after the colon";
    }
    unsigned read = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), read);
    if (error != std::errc() || end != port.data() + port.size() || read == 0 || read > largestPort) {
        return "the port must be a number from 1 to 65535";
    }
    number = static_cast<std::uint16_t>(read);
    return std::nullopt;
}

// Why `text` is no HOST[:PORT], or nothing; the parts go to `address`.
Problem splitAddress(std::string_view text, NetworkAddress& address) {
    std::string_view port;
    const Problem problem =
        text.starts_with('[') ? splitBracketed(text, address.host, port) : splitPlain(text, address.host, port);
    if (problem) {
        return problem;
    }
    if (address.host.empty()) {
        return "no host is named";
    }
    return readPort(port, address.port);
}

std::string shownAddress(const NetworkAddress& address) {
    const bool bracketed = address.host.find(':') != std::string::npos;
    return std::string(networkScheme) + (bracketed ? "[" + address.host + "]" : address.host) + ":" +
           std::to_string(address.port);
}

std::string refusal(PortKind kind, std::string_view value, std::string_view words) {
    return std::string(portKind(kind).variable) + "=" + std::string(value) + std::string(words);
}

// Why NAME cannot name a printer queue, or nothing. The system alone knows
// which names it has.
Problem queueProblem(std::string_view queue) {
    if (queue.empty()) {
        return "no printer is named";
    }
    if (std::any_of(queue.begin(), queue.end(), isControl)) {
        return "the name holds control characters";
    }
    return std::nullopt;
}

}  // namespace

PortValue readPortValue(PortKind kind, std::string_view value) {
    PortValue read;
    read.text = value;
    if (value.starts_with(printerScheme)) {
        read.queue = value.substr(printerScheme.size());
        const Problem problem = queueProblem(read.queue);
        read.way = problem ? PortWay::refused : PortWay::printerQueue;
        if (problem) {
            read.refusal = refusal(kind, value, " is no printer queue: " + std::string(*problem) + " (printer:NAME)");
        }
        return read;
    }
    if (!value.starts_with(networkScheme)) {
        return read;
    }
    if (const auto problem = splitAddress(value.substr(networkScheme.size()), read.address)) {
        read.way = PortWay::refused;
        read.refusal =
            refusal(kind, value, " is no network port: " + std::string(*problem) + " (socket://HOST[:PORT])");
        return read;
    }
    read.way = PortWay::network;
    read.address.shown = shownAddress(read.address);
    return read;
}

std::string networkFaultWords(NetworkFault fault, const NetworkAddress& address) {
    const std::string port = std::to_string(address.port);
    switch (fault) {
    case NetworkFault::refused:
        return "the connection was refused (is the printer on, and does it take raw jobs on port " + port + "?)";
    case NetworkFault::unreachable:
        return "the network has no way to " + address.host + " (check the address and the cable)";
    case NetworkFault::reset:
        return "the printer broke off the connection (reset by the peer)";
    case NetworkFault::timedOut:
        return "no answer from " + address.host + " on port " + port + " within " + patienceWords() +
               " (is it switched on?)";
    case NetworkFault::unknownName:
        return "no host is known by the name " + address.host;
    case NetworkFault::nameTimedOut:
        return "the name " + address.host + " did not resolve within " + patienceWords();
    }
    return {};
}

}  // namespace label
