#include "windows_port_names.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "port_value.h"

namespace label::platform {
namespace {

constexpr std::string_view devicePrefix = R"(\\.\)";
constexpr std::string_view serialPrefix = "COM";
constexpr std::size_t prefixLength = 3;

char upper(char letter) { return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter; }

bool isDigit(char byte) { return byte >= '0' && byte <= '9'; }

// "COMn" or "LPTn" in upper case, for a name of that form in any case with a
// number from 1 and no leading zero: the only names the system and the mode
// command read the same way.
std::optional<std::string> portName(std::string_view text) {
    if (text.size() <= prefixLength || text[prefixLength] == '0' ||
        !std::all_of(text.begin() + prefixLength, text.end(), isDigit)) {
        return std::nullopt;
    }
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(), upper);
    const std::string_view prefix = std::string_view(name).substr(0, prefixLength);
    if (prefix != serialPrefix && prefix != "LPT") {
        return std::nullopt;
    }
    return name;
}

bool isDevicePath(std::string_view text) {
    return text.size() > devicePrefix.size() && text.starts_with(devicePrefix) &&
           std::none_of(text.begin(), text.end(), isControl);
}

PortChoice named(std::string name, bool fromVariable) {
    PortChoice choice;
    choice.path = std::string(devicePrefix) + name;
    if (name.starts_with(serialPrefix)) {
        choice.modeName = name;
    }
    choice.name = std::move(name);
    choice.fromVariable = fromVariable;
    return choice;
}

// The port's own kind first, then by number.
bool listedBefore(const std::string& left, const std::string& right, std::string_view ownPrefix) {
    const auto rank = [ownPrefix](const std::string& name) {
        return std::make_tuple(!name.starts_with(ownPrefix), name.substr(0, prefixLength), name.size(), name);
    };
    return rank(left) < rank(right);
}

std::vector<std::string> portsAmong(const std::vector<std::string>& deviceNames, std::string_view missing,
                                    std::string_view ownPrefix) {
    std::vector<std::string> ports;
    for (const auto& deviceName : deviceNames) {
        const auto name = portName(deviceName);
        if (name && *name != missing && std::find(ports.begin(), ports.end(), *name) == ports.end()) {
            ports.push_back(*name);
        }
    }
    std::sort(ports.begin(), ports.end(),
              [ownPrefix](const auto& left, const auto& right) { return listedBefore(left, right, ownPrefix); });
    return ports;
}

// Why NAME cannot be a printer's, or nothing. The spooler alone knows which
// names it has.
std::string_view queueProblem(std::string_view queue) {
    if (queue.empty()) {
        return "no printer is named";
    }
    return std::any_of(queue.begin(), queue.end(), isControl) ? "the name holds control characters" : "";
}

// printer:NAME: the name goes to the spooler as given, and never into a
// command line.
PortChoice queueChoice(PortKind kind, std::string_view value) {
    PortChoice chosen;
    chosen.fromVariable = true;
    chosen.name = printable(value);
    const std::string_view queue = value.substr(printerScheme.size());
    if (const std::string_view problem = queueProblem(queue); !problem.empty()) {
        chosen.refusal = std::string(portKind(kind).variable) + "=" + chosen.name +
                         " is no printer queue: " + std::string(problem) + " (" + std::string(printerScheme) +
                         "NAME, as Windows lists it)";
        return chosen;
    }
    chosen.queue = queue;
    return chosen;
}

}  // namespace

// "com1:" is COM1: the name without its colon, in upper case.
std::string defaultPortName(PortKind kind) {
    const std::string_view deviceName = portKind(kind).deviceName;
    std::string name(deviceName.substr(0, deviceName.find(':')));
    std::transform(name.begin(), name.end(), name.begin(), upper);
    return name;
}

PortChoice choosePort(PortKind kind, const char* value) {
    const std::string_view given = value == nullptr ? std::string_view() : std::string_view(value);
    if (given.empty()) {
        return named(defaultPortName(kind), false);
    }
    if (const auto name = portName(given)) {
        return named(*name, true);
    }
    if (isDevicePath(given)) {
        return {std::string(given), std::string(given), {}, {}, true};
    }
    const PortValue read = readPortValue(kind, given);
    if (read.way == PortWay::printerQueue) {
        return queueChoice(kind, given);
    }
    PortChoice chosen;
    chosen.fromVariable = true;
    if (read.way == PortWay::network) {
        chosen.name = read.address.shown;
        return chosen;
    }
    chosen.name = printable(given);
    chosen.refusal = read.way == PortWay::refused ? read.refusal
                                                  : std::string(portKind(kind).variable) + "=" + chosen.name +
                                                        R"( is not a port name: use COMn, LPTn or \\.\name)";
    return chosen;
}

std::string missingPortWords(std::string_view name, PortKind kind, const std::vector<std::string>& deviceNames) {
    const std::string_view variable = portKind(kind).variable;
    std::vector<std::string> choices;
    for (const auto& port : portsAmong(deviceNames, name, defaultPortName(kind).substr(0, prefixLength))) {
        choices.push_back(port);
        choices.back().append(" (set ").append(variable).append("=").append(port).append(")");
    }
    return label::missingPortWords(name, choices);
}

std::string missingQueueWords(std::string_view name, const std::vector<std::string>& printers) {
    const std::string missing = "no printer is installed by the name " + printable(name);
    if (printers.empty()) {
        return missing + ", nor any other: add the printer in Windows' printer settings first";
    }
    std::vector<std::string> choices;
    choices.reserve(printers.size());
    for (const auto& printer : printers) {
        choices.push_back(std::string(printerScheme) + printable(printer));
    }
    return missing + "; printers here: " + listed(choices);
}

}  // namespace label::platform
