#pragma once

// The only command lines the programs hand to the command interpreter. The
// platforms match on these names, so a misspelt command cannot slip through
// to a shell unnoticed.

#include <string_view>

namespace label::shell_commands {

inline constexpr std::string_view clearScreen = "cls";
inline constexpr std::string_view pause = "pause";
inline constexpr std::string_view prepareSerialPort = "mode com1:96,N,8,1";

}  // namespace label::shell_commands
