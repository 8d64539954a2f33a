#include "bounded_port.h"

#include <algorithm>
#include <utility>

namespace label {

BoundedPort::BoundedPort(PortOpening opening, Trace& trace)
    : raw_(std::move(opening.port)),
      trace_(&trace),
      name_(std::move(opening.name)),
      problem_(std::move(opening.problem)),
      ended_(raw_ == nullptr) {}

std::size_t BoundedPort::write(std::string_view bytes) {
    if (ended_ || bytes.empty()) {
        return 0;
    }
    RawOutcome outcome = raw_->write(bytes, patience());
    outcome.taken = std::min(outcome.taken, bytes.size());
    outcome.complete = outcome.complete && outcome.taken == bytes.size();
    note(outcome);
    return outcome.taken;
}

bool BoundedPort::drain() {
    if (raw_ == nullptr) {
        return false;
    }
    const RawOutcome outcome = raw_->drain(patience());
    if (!ended_ && !outcome.complete) {
        note(outcome);
    }
    return outcome.complete;
}

std::string patienceWords() {
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(writePatience).count()) + " seconds";
}

std::string portTimedOut() {
    return "the port took nothing for " + patienceWords() + " (is the printer off line, out of paper or busy?)";
}

std::chrono::milliseconds BoundedPort::patience() const { return stalled_ || ended_ ? stalledPatience : writePatience; }

void BoundedPort::note(const RawOutcome& outcome) {
    gone_ = outcome.failure && outcome.gone;
    if (gone_) {
        stalled_ = false;
        problem_ = raw_->describe(*outcome.failure);
        trace_->shortfall(Shortfall::gone, problem_);
        return;
    }
    if (outcome.failure) {
        ended_ = true;
        problem_ = raw_->printerSays().value_or(raw_->describe(*outcome.failure));
        trace_->shortfall(Shortfall::ended, problem_);
        return;
    }
    const bool wasStalled = std::exchange(stalled_, !outcome.complete);
    if (stalled_ && !wasStalled) {
        problem_ = raw_->printerSays().value_or(portTimedOut());
        trace_->shortfall(Shortfall::stalled, problem_);
    }
}

}  // namespace label
