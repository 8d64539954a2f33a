#pragma once

// An open port on a POSIX system, as the bounded port sees it (bounded_port.h
// holds the rule for how long it may take): the descriptor of a file, a
// FIFO, a character device or a terminal, told apart once at the open.
//
//   write   offers the bytes for the patience given. A device that keeps
//           saying "writable" yet takes nothing is retried after a pause
//           that grows from 10 to 100 ms. Only "try again" and
//           "interrupted" mean it ran out of time; any other error is final.
//   drain   waits, for the patience given, until a terminal has sent what it
//           holds, or until a device's driver reports it writable (a USB
//           printer's, once its transfer is done); files and FIFOs hold what
//           they took already.
//   printerSays   after a shortfall, what a parallel or USB printer says
//           about itself, where its driver lets the program ask
//           (posix_printer_status.h)
//   letting go   a terminal: drops what it did not send if it fell short,
//           puts back the settings it had before the open, releases the
//           hold (posix_terminal.h). A device's driver that sleeps in write
//           or close is cut short at the deadline (posix_deadline.h); files
//           and FIFOs never sleep there, and so go without the timer.

#include <termios.h>

#include <memory>
#include <string>

#include "bounded_port.h"
#include "port_kinds.h"

namespace label::platform {

enum class Node { file, device, terminal };

// What the open descriptor is; a terminal's settings go to `settings`.
Node nodeOf(int fd, termios& settings);

// Takes over `fd`, opened on `path` for a port of `kind`; `before` is a
// terminal's settings as they were before the open.
std::unique_ptr<RawPort> makeRawPort(int fd, std::string path, PortKind kind, Node node, const termios& before);

}  // namespace label::platform
