#pragma once

// What the operator is told when a port fails on a POSIX system, and the
// ports a program may be led to (LABELLPT_PORT, LABELCOM_PORT).
//
//   portKind(deviceName)      "lpt1:" or "com1:": its program, variable, path
//   portsPresent(kind, root)  such ports that exist below `root` ("/" in the
//                             programs; a folder of stand-ins in the tests)
//   describePortError(...)    strerror's words, with a hint where the usual
//                             cause is known: the group to join, the ports
//                             that do exist, another program holding the port

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace label::platform {

struct PortKind {
    std::string_view deviceName;
    std::string_view program;
    std::string_view variable;
    std::string_view compiledPath;
};

const PortKind& portKind(std::string_view deviceName);

std::vector<std::string> portsPresent(const PortKind& kind, const std::filesystem::path& root);

std::string describePortError(int error, std::string_view path, std::string_view deviceName,
                              const std::filesystem::path& root = "/");

}  // namespace label::platform
