#pragma once

// The port a Windows program writes to, and the words about port names the
// operator is told. Plain text work, built on every system so that the unit
// tests reach it.
//
//   defaultPortName(kind)        the port its device name has always meant
//                                here: "COM1", "LPT1"
//   choosePort(kind, value)      the port the variable's value names; unset
//                                or empty, the default. COMn and LPTn (any
//                                case, n from 1) open as \\.\COMn; a path
//                                beginning with \\.\ opens as given; anything
//                                else is refused, and so never reaches the
//                                system or the command interpreter; a
//                                socket://HOST[:PORT] value is a printer on
//                                the network (port_value.h): named, with no
//                                path, for the caller to connect to; a
//                                printer:NAME value is a printer queue, its
//                                NAME for the spooler (refused if empty or
//                                with control characters)
//   missingPortWords(name, kind, deviceNames)   "LPT1 does not exist; ...",
//                                naming the COM and LPT ports among the
//                                system's device names, ready to paste
//   missingQueueWords(name, printers)   what the operator is told when no
//                                printer is named `name`: the printers
//                                installed, each as printer:NAME to paste

#include <string>
#include <string_view>
#include <vector>

#include "port_kinds.h"

namespace label::platform {

// Said when labelcom is asked to prepare a printer queue: Windows holds the
// settings of the queue's port.
inline constexpr std::string_view queueHasNoLineSettings =
    "a printer queue has no line settings here (Windows sets its port up); going on";

std::string defaultPortName(PortKind kind);

struct PortChoice {
    std::string name;      // as the operator knows it: "COM10", "\\.\X", or the refused value
    std::string path;      // what the system opens; empty if refused
    std::string modeName;  // "COMn" where the mode command can prepare the port
    std::string refusal;   // why the value is no port name; empty if it is one
    bool fromVariable = false;
    std::string queue{};  // the printer queue's name, for a printer: value
};

// `value` is the variable's, or nullptr where it is unset.
PortChoice choosePort(PortKind kind, const char* value);

std::string missingPortWords(std::string_view name, PortKind kind, const std::vector<std::string>& deviceNames);

std::string missingQueueWords(std::string_view name, const std::vector<std::string>& printers);

}  // namespace label::platform
