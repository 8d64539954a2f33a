#pragma once

// What each system gives the trace (file_trace.h), one file per system.
//
//   openTraceFile(path)   opens `path` for adding at its end, creating it
//                 (mode 0600 on POSIX) if it is absent; anything but an
//                 ordinary file is refused before it is opened, and again
//                 after, so that no trace is ever written into a printer's
//                 port, a terminal or a FIFO
//   systemName()  the system and its version: "Linux 6.1.0-18-amd64 x86_64"

#include <string>

#include "file_trace.h"

namespace label::platform {

TraceFileOpening openTraceFile(const std::string& path);

std::string systemName();

// Both, as the core's trace takes them.
inline TraceSystem traceSystem() { return {openTraceFile, systemName}; }

}  // namespace label::platform
