#pragma once

// labelcom: the utility for a printer on the first serial port.

#include "menu_loop.h"

namespace label {

// One channel for the whole run: a page-mode command goes out in front of
// the next command, or at the close.
inline constexpr PortProfile serialProfile{
    .port = PortKind::serial,
    .channelLifetime = ChannelLifetime::wholeRun,
    .blankLinesAfterTitle = 1,
    .leaving = LeavingStyle::clearScreen,
    .offsetExplanationLine = "the black line where you want the tear off",
};

// Banner, the offer to set up the PC's serial port, then the menu loop;
// returns the exit status.
int runSerialProgram(Console& console, PortOpener& ports);

}  // namespace label
