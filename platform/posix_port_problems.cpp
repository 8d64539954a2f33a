#include "posix_port_problems.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "bounded_port.h"
#include "posix_files.h"
#include "posix_printer_names.h"

namespace label::platform {
namespace {

using std::string_view_literals::operator""sv;

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
bool hasHardware(const std::string& root, std::string_view name, std::string_view prefix) {
    if (prefix != "ttyS"sv) {
        return true;
    }
    const std::string type = fileText(below(root, "sys/class/tty/" + std::string(name) + "/type"));
    int portType = 0;
    std::from_chars(type.data(), type.data() + type.size(), portType);
    return portType != 0;
}

std::vector<std::string> portsIn(const std::string& root, const PortPlace& place) {
    std::vector<std::string> found;
    for (const std::string& name : namesIn(below(root, place.folder))) {
        if (isPortName(name, place.prefix) && hasHardware(root, name, place.prefix)) {
            found.push_back("/" + std::string(place.folder) + "/" + name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A field of a line of the group file (name:password:id:members), empty
// where the line has fewer.
std::string_view fieldOf(std::string_view line, int field) {
    for (; field > 0; --field) {
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            return {};
        }
        line.remove_prefix(colon + 1);
    }
    return line.substr(0, line.find(':'));
}

// The group that owns the device, from the group file below `root`.
std::string groupOf(std::string_view path, const std::string& root) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) {
        return {};
    }
    const std::string groups = fileText(below(root, "etc/group"));
    const std::string wanted = std::to_string(status.st_gid);
    for (std::string_view rest = groups; !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        if (fieldOf(line, 2) == wanted) {
            return std::string(fieldOf(line, 0));
        }
    }
    return {};
}

std::string missingHint(std::string_view path, PortKind kind, const std::string& root) {
    const PortKindFacts& facts = portKind(kind);
    std::vector<std::string> choices;
    const std::vector<std::string> ports = portsPresent(kind, root);
    const auto names = printerNames(ports, root);
    for (std::size_t index = 0; index < ports.size(); ++index) {
        const std::string& port = ports[index];
        choices.push_back(port + " (" + (names[index] ? *names[index] + "; " : ""));
        choices.back().append(facts.variable).append("=").append(port);
        choices.back().append(" ").append(facts.program).append(")");
    }
    return missingPortWords(path, choices);
}

std::string deniedHint(std::string_view path, const std::string& root) {
    const std::string group = groupOf(path, root);
    return std::string(std::strerror(EACCES)) + (group.empty()
                                                     ? " (ls -l " + std::string(path) + " shows who may write to it)"
                                                     : " (join the group " + group + ", then log in again)");
}

}  // namespace

std::vector<std::string> portsPresent(PortKind kind, const std::string& root) {
    std::vector<std::string> present;
    for (const auto& place : portKind(kind).places) {
        const auto found = portsIn(root, place);
        present.insert(present.end(), found.begin(), found.end());
    }
    return present;
}

std::string describePortError(int error, std::string_view path, PortKind kind, const std::string& root) {
    switch (error) {
    case ENOENT:
        return missingHint(path, kind, root);
    case EACCES:
        return deniedHint(path, root);
    case EBUSY:
        return std::string(std::strerror(EBUSY)) + " (another program, such as the print spooler, holds the port)";
    case EAGAIN:
    case EINTR:
    case ETIMEDOUT:
        return portTimedOut();
    default:
        return std::strerror(error);
    }
}

}  // namespace label::platform
