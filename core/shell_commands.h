#pragma once

// The only command lines the programs hand to the command interpreter. The
// platforms match on these names, so a misspelt command cannot slip through
// to a shell unnoticed.

#include <string>
#include <string_view>

namespace label::shell_commands {

inline constexpr std::string_view clearScreen = "cls";
inline constexpr std::string_view pause = "pause";
inline constexpr std::string_view prepareSerialPort = "mode com1:96,N,8,1";

// prepareSerialPort for the port the system calls `portName` ("COM10"): the
// same line settings, the port named in place of com1.
inline std::string prepareSerialPortNamed(std::string_view portName) {
    const std::string_view settings = prepareSerialPort.substr(prepareSerialPort.find(':'));
    return "mode " + std::string(portName) + std::string(settings);
}

}  // namespace label::shell_commands
