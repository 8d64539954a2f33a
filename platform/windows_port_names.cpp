#include "windows_port_names.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <utility>

#include "console.h"

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

Device named(std::string name, bool chosen) {
    std::string path = std::string(devicePrefix) + name;
    return {std::move(path), std::move(name), chosen};
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

}  // namespace

// "com1:" is COM1: the name without its colon, in upper case.
Device defaultDevice(PortKind kind) {
    const std::string_view deviceName = portKind(kind).deviceName;
    std::string name(deviceName.substr(0, deviceName.find(':')));
    std::transform(name.begin(), name.end(), name.begin(), upper);
    return named(std::move(name), false);
}

Reading<Device> readDeviceName(std::string_view value) {
    if (auto name = portName(value)) {
        return named(std::move(*name), true);
    }
    if (isDevicePath(value)) {
        return Device{std::string(value), std::string(value), true};
    }
    return Refusal{R"( is not a port name: use COMn, LPTn or \\.\name)"};
}

std::optional<std::string> modeName(const Device& device) {
    auto name = portName(device.name);
    if (!name || !name->starts_with(serialPrefix)) {
        return std::nullopt;
    }
    return name;
}

std::string missingPortWords(std::string_view name, PortKind kind, const std::vector<std::string>& deviceNames) {
    const std::string_view variable = portKind(kind).variable;
    std::vector<std::string> choices;
    const std::string ownPrefix = defaultDevice(kind).name.substr(0, prefixLength);
    for (const auto& port : portsAmong(deviceNames, name, ownPrefix)) {
        choices.push_back(port);
        choices.back().append(" (set ").append(variable).append("=").append(port).append(")");
    }
    return label::missingPortWords(name, choices);
}

}  // namespace label::platform
