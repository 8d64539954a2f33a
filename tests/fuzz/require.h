#pragma once

#include <cstdlib>

namespace label::fuzzing {

// A broken invariant is a crash, which the fuzzer reports with its input.
inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace label::fuzzing
