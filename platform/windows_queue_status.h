#pragma once

// A Windows printer's status bits (PRINTER_INFO_2's Status), read into the
// state both systems say in the same words (queue_state.h). Plain bit work,
// built on every system so that the unit tests reach it;
// windows_printer_queue.cpp checks the bits against the system's header.

#include <cstdint>

#include "queue_state.h"

namespace label::platform {

inline constexpr std::uint32_t spoolerPaused = 0x1;
inline constexpr std::uint32_t spoolerError = 0x2;
inline constexpr std::uint32_t spoolerPaperOut = 0x10;
inline constexpr std::uint32_t spoolerOffLine = 0x80;

QueueState queueStateFromStatus(std::uint32_t status);

}  // namespace label::platform
