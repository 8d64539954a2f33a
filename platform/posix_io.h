#pragma once

// Small descriptor helpers that survive signals: every call that a signal can
// interrupt (EINTR) is simply made again.
//
//   writeAll       writes everything, or stops at the first real error
//   waitWritable   waits until a descriptor takes bytes or a deadline passes;
//                  asks once even when the deadline has passed already

#include <string_view>

#include "bounded_port.h"

namespace label::platform {

void writeAll(int fd, std::string_view bytes);

bool waitWritable(int fd, Clock::time_point deadline);

}  // namespace label::platform
