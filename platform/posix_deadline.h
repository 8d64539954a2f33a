#pragma once

// A bound on calls that a driver may sleep in whatever the descriptor's
// flags: close() on a serial line held by flow control waits for it up to
// half a minute, write() on an off-line parallel printer ten seconds. Those
// sleeps end early when a caught signal arrives, so a timer signal bounds
// them.
//
//   prepareDeadlineAlarm()   catches SIGALRM without SA_RESTART; once per
//                            process, before any DeadlineAlarm
//   DeadlineAlarm(deadline)  while it lives, SIGALRM arrives at the deadline
//                            and again every 10 ms after it, so that a call
//                            entered just after a signal is cut short too

#include "bounded_port.h"

namespace label::platform {

void prepareDeadlineAlarm();

class DeadlineAlarm {
public:
    explicit DeadlineAlarm(Clock::time_point deadline);
    ~DeadlineAlarm();
    DeadlineAlarm(const DeadlineAlarm&) = delete;
    DeadlineAlarm& operator=(const DeadlineAlarm&) = delete;
};

}  // namespace label::platform
