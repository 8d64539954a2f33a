#include "bounded_port.h"

#include <algorithm>

namespace label::platform {

std::size_t BoundedPort::write(std::string_view bytes) {
    if (broken_ || bytes.empty()) {
        return 0;
    }
    const WriteOutcome outcome = raw_->write(bytes, stalled_ ? stalledPatience : writePatience);
    const std::size_t taken = std::min(outcome.taken, bytes.size());
    if (outcome.failure) {
        broken_ = true;
        problem_ = raw_->describe(*outcome.failure);
    } else {
        stalled_ = taken < bytes.size();
        if (stalled_) {
            problem_ = portTimedOut;
        }
    }
    return taken;
}

// Every write has been waited on until the system reported it complete, or
// cancelled and its count taken as reported: nothing the port accepted is
// still queued on this side. Flushing the port's own buffers would wait
// without end on a line held up by flow control; what the port's hardware
// still holds is a few bytes that it sends on its own.
bool BoundedPort::drain() { return true; }

}  // namespace label::platform
