#pragma once

// What is left of the time before a deadline on the one clock (Clock,
// bounded_port.h), rounded up to whole units, so that a wait for it never
// ends before the deadline; zero once it has passed.

#include <algorithm>
#include <chrono>

#include "bounded_port.h"

namespace label::platform {

template <typename Unit = std::chrono::milliseconds>
Unit timeLeft(Clock::time_point deadline) {
    return std::max(std::chrono::ceil<Unit>(deadline - Clock::now()), Unit::zero());
}

}  // namespace label::platform
