#pragma once

// Work that may block beyond any bound the program can set (a name lookup, a
// spooler call that waits on the printer), waited for only for a while.
//
//   runWithin(work, wait)   runs `work` on a thread of its own and says
//                whether it finished within `wait`. A thread still running
//                is left to finish on its own: `work` keeps alive whatever
//                it shares with the caller. Where no thread would start,
//                GetLastError() says why.

#include <chrono>
#include <functional>

namespace label::platform {

enum class HelperOutcome { finished, stillRunning, notStarted };

HelperOutcome runWithin(std::function<void()> work, std::chrono::milliseconds wait);

}  // namespace label::platform
