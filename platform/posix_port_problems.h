#pragma once

// What the operator is told when a port fails on a POSIX system, and the
// ports a program may be led to (LABELLPT_PORT, LABELCOM_PORT).
//
//   portsPresent(kind, root)  ports of the kind that exist below `root` ("/"
//                             in the programs; a folder of stand-ins in the
//                             tests), where port_kinds.h says they appear
//   describePortError(...)    strerror's words, with a hint where the usual
//                             cause is known: the group to join, the ports
//                             that do exist (each with the maker and model
//                             its printer gives, posix_printer_names.h),
//                             another program holding the port

#include <string>
#include <string_view>
#include <vector>

#include "port_kinds.h"

namespace label::platform {

std::vector<std::string> portsPresent(PortKind kind, const std::string& root);

std::string describePortError(int error, std::string_view path, PortKind kind, const std::string& root = "/");

}  // namespace label::platform
