#include "port_kinds.h"

#include <array>

namespace label {
namespace {

constexpr std::array<PortPlace, 4> serialPlaces{
    {{"dev", "ttyUSB"}, {"dev", "ttyACM"}, {"dev", "ttyS"}, {"dev/serial/by-id", ""}}};
constexpr std::array<PortPlace, 2> parallelPlaces{{{"dev/usb", "lp"}, {"dev", "lp"}}};

// One row per kind; docs/man/CMakeLists.txt reads the program, variable and
// group from these rows for the manual pages.
constexpr PortKindFacts serial{"labelcom", "LABELCOM_PORT", "com1:", "dialout", serialPlaces};
constexpr PortKindFacts parallel{"labellpt", "LABELLPT_PORT", "lpt1:", "lp", parallelPlaces};

}  // namespace

const PortKindFacts& portKind(PortKind kind) { return byKind(kind, serial, parallel); }

std::string listed(const std::vector<std::string>& items) {
    std::string words;
    for (const auto& item : items) {
        words.append(&item == items.data() ? "" : ", ").append(item);
    }
    return words;
}

std::string missingPortWords(std::string_view name, const std::vector<std::string>& choices) {
    const std::string missing = std::string(name) + " does not exist; ";
    if (choices.empty()) {
        return missing + "no printer port found here: is the printer plugged in and switched on?";
    }
    return missing + "printer ports here: " + listed(choices);
}

}  // namespace label
