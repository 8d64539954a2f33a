#include "posix_deadline.h"

#include <sys/time.h>

#include <algorithm>
#include <csignal>

#include "time_left.h"

namespace label::platform {
namespace {

using std::chrono::microseconds;

// A signal arriving before the call has begun would leave it to sleep on;
// the repeats catch it inside.
constexpr microseconds repeatEvery{10'000};
// A zero timer is no timer: a deadline already past fires at once instead.
constexpr microseconds soonest{1};

extern "C" void cutShort(int /*signal*/) {
    // Its arrival is all that is wanted: the call it lands in returns early.
}

timeval toTimeval(microseconds span) {
    constexpr long perSecond = 1'000'000;
    const long count = static_cast<long>(span.count());
    return {count / perSecond, count % perSecond};
}

}  // namespace

void prepareDeadlineAlarm() {
    struct sigaction action {};
    action.sa_handler = cutShort;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
}

DeadlineAlarm::DeadlineAlarm(Clock::time_point deadline) {
    const itimerval timer{toTimeval(repeatEvery), toTimeval(std::max(timeLeft<microseconds>(deadline), soonest))};
    setitimer(ITIMER_REAL, &timer, nullptr);
}

DeadlineAlarm::~DeadlineAlarm() {
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
}

}  // namespace label::platform
