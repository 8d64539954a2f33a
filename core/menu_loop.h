#pragma once

// The main loop both programs share: show the nine choices, read one, run it,
// until the operator leaves. What differs between the programs is all in the
// PortProfile and in the facts of its kind of port (port_kinds.h).

#include <cstdint>
#include <string_view>

#include "console.h"
#include "port_kinds.h"
#include "printer_channel.h"

namespace label {

enum class ChannelLifetime { wholeRun, oneMenuCycle };
enum class LeavingStyle { clearScreen, sayGoodbye };

struct PortProfile {
    PortKind port;
    ChannelLifetime channelLifetime;
    int blankLinesAfterTitle;
    LeavingStyle leaving;
    std::string_view offsetExplanationLine;
};

// The values the operator has set in this run.
struct Settings {
    std::int32_t darkness = 0;
    std::int32_t labelWidth = 0;
    std::int32_t markDistance = 0;
    std::int32_t lineThickness = 0;
    std::int32_t offset = 0;
};

// What an action works with, for the length of the action.
struct ActionContext {
    Console& console;
    PrinterChannel& channel;
    Settings& settings;
    const PortProfile& profile;
};

// Runs menu cycles until the run ends; returns the exit status: 0 if every
// command line sent reached the printer, 1 if any did not.
int runMenuLoop(const PortProfile& profile, Console& console, PortOpener& ports);

}  // namespace label
