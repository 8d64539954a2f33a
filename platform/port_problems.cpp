#include "port_problems.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <sstream>
#include <system_error>

#include "printer_channel.h"

namespace label::platform {
namespace {

using std::string_view_literals::operator""sv;

constexpr std::array<PortKind, 2> kinds{{
    {"lpt1:", "labellpt", "LABELLPT_PORT", LABEL_LPT1_PATH},
    {"com1:", "labelcom", "LABELCOM_PORT", LABEL_COM1_PATH},
}};

// Where ports of a kind appear: a folder, and the start of their names
// ("" for a folder of links named after the device).
struct PortPlace {
    std::string_view folder;
    std::string_view prefix;
};

constexpr std::array<PortPlace, 2> printerPlaces{{{"dev/usb", "lp"}, {"dev", "lp"}}};
constexpr std::array<PortPlace, 4> serialPlaces{
    {{"dev", "ttyUSB"}, {"dev", "ttyACM"}, {"dev", "ttyS"}, {"dev/serial/by-id", ""}}};

// A device's node (a prefix and its number), or any name in a folder of
// links (no prefix).
bool isPortName(std::string_view name, std::string_view prefix) {
    if (prefix.empty()) {
        return !name.empty();
    }
    if (!name.starts_with(prefix) || name.size() == prefix.size()) {
        return false;
    }
    name.remove_prefix(prefix.size());
    return std::all_of(name.begin(), name.end(), [](char digit) { return digit >= '0' && digit <= '9'; });
}

// Every PC names four ttyS nodes whether or not a UART stands behind them;
// the kernel says which are real (a port type other than 0, "unknown").
bool hasHardware(const std::filesystem::path& root, std::string_view name, std::string_view prefix) {
    if (prefix != "ttyS"sv) {
        return true;
    }
    std::ifstream type(root / "sys/class/tty" / name / "type");
    int portType = 0;
    return static_cast<bool>(type >> portType) && portType != 0;
}

std::vector<std::string> portsIn(const std::filesystem::path& root, const PortPlace& place) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root / place.folder, error)) {
        const std::string name = entry.path().filename().string();
        if (isPortName(name, place.prefix) && hasHardware(root, name, place.prefix)) {
            found.push_back("/" + std::string(place.folder) + "/" + name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The group that owns the device, from the group file below `root`.
std::string groupOf(std::string_view path, const std::filesystem::path& root) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) {
        return {};
    }
    std::ifstream groups(root / "etc/group");
    for (std::string line; std::getline(groups, line);) {
        std::istringstream fields(line);  // name:password:id:members
        std::string name;
        std::string password;
        std::string groupId;
        std::getline(std::getline(std::getline(fields, name, ':'), password, ':'), groupId, ':');
        if (groupId == std::to_string(status.st_gid)) {
            return name;
        }
    }
    return {};
}

std::string missingHint(std::string_view path, const PortKind& kind, const std::filesystem::path& root) {
    const auto present = portsPresent(kind, root);
    if (present.empty()) {
        return std::string(path) +
               " does not exist; no printer port found here: is the printer plugged in and switched on?";
    }
    std::string hint = std::string(path) + " does not exist; printer ports here: ";
    for (const auto& port : present) {
        hint.append(&port == present.data() ? "" : ", ").append(port).append(" (").append(kind.variable);
        hint.append("=").append(port).append(" ").append(kind.program).append(")");
    }
    return hint;
}

std::string deniedHint(std::string_view path, const std::filesystem::path& root) {
    const std::string group = groupOf(path, root);
    return std::string(std::strerror(EACCES)) + (group.empty()
                                                     ? " (ls -l " + std::string(path) + " shows who may write to it)"
                                                     : " (join the group " + group + ", then log in again)");
}

}  // namespace

const PortKind& portKind(std::string_view deviceName) {
    return deviceName == kinds[1].deviceName ? kinds[1] : kinds[0];
}

std::vector<std::string> portsPresent(const PortKind& kind, const std::filesystem::path& root) {
    std::vector<std::string> present;
    const auto places = kind.deviceName == "com1:"sv ? std::span<const PortPlace>(serialPlaces)
                                                     : std::span<const PortPlace>(printerPlaces);
    for (const auto& place : places) {
        const auto found = portsIn(root, place);
        present.insert(present.end(), found.begin(), found.end());
    }
    return present;
}

std::string describePortError(int error, std::string_view path, std::string_view deviceName,
                              const std::filesystem::path& root) {
    switch (error) {
    case ENOENT:
        return missingHint(path, portKind(deviceName), root);
    case EACCES:
        return deniedHint(path, root);
    case EBUSY:
        return std::string(std::strerror(EBUSY)) + " (another program, such as the print spooler, holds the port)";
    case EAGAIN:
    case EINTR:
    case ETIMEDOUT:
        return std::string(portTimedOut);
    default:
        return std::strerror(error);
    }
}

}  // namespace label::platform
