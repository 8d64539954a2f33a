#pragma once

// The names of Windows ports, and the words about them the operator is told.
// Plain text work, built on every system so that the unit tests reach it.
//
//   defaultDevice(kind)          the port its device name has always meant
//                                here: COM1, LPT1
//   readDeviceName(value)        the port a variable's value names: COMn and
//                                LPTn (any case, n from 1) open as \\.\COMn;
//                                a path beginning with \\.\ opens as given;
//                                anything else is refused, and so never
//                                reaches the system or the command interpreter
//   modeName(device)             "COMn" where the mode command can prepare
//                                the port, else nothing
//   missingPortWords(name, kind, deviceNames)   "LPT1 does not exist; ...",
//                                naming the COM and LPT ports among the
//                                system's device names, ready to paste

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port_kinds.h"
#include "port_system.h"

namespace label::platform {

Device defaultDevice(PortKind kind);

Reading<Device> readDeviceName(std::string_view value);

std::optional<std::string> modeName(const Device& device);

std::string missingPortWords(std::string_view name, PortKind kind, const std::vector<std::string>& deviceNames);

}  // namespace label::platform
