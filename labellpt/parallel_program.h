#pragma once

// labellpt: the utility for a printer on the first parallel port.

#include "menu_loop.h"

namespace label {

// The port is opened afresh for every menu cycle, so a printer switched on
// or freed between cycles is reached from the next cycle on.
inline constexpr PortProfile parallelProfile{
    .port = PortKind::parallel,
    .channelLifetime = ChannelLifetime::oneMenuCycle,
    .blankLinesAfterTitle = 2,
    .leaving = LeavingStyle::sayGoodbye,
    .offsetExplanationLine = "the black line to where you want the tear off",
};

// Banner, then the menu loop; returns the exit status.
int runParallelProgram(Console& console, PortOpener& ports);

}  // namespace label
