#pragma once

// One whole run of a program on arbitrary keys, in memory, and the checks
// every run must pass: it ends, reads nothing after its input has ended,
// exits with 0, and sends the port nothing but the command table's lines.

#include <cstdint>
#include <string>

#include "command_lines.h"
#include "fakes.h"
#include "require.h"

namespace label::fuzzing {

inline void runAndCheck(const testing::RecordedRun::Program& program, PortKind kind, const std::uint8_t* data,
                        std::size_t size) {
    testing::RecordedRun run(program, std::string(reinterpret_cast<const char*>(data), size));
    require(run.status == 0);
    require(run.rig.input.readsAfterEnd <= 1);
    require(isCommandStream(run.ports[kind].received));
}

}  // namespace label::fuzzing
