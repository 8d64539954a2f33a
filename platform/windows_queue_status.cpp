#include "windows_queue_status.h"

namespace label::platform {

QueueState queueStateFromStatus(std::uint32_t status) {
    QueueState state;
    state.paused = (status & spoolerPaused) != 0;
    state.error = (status & spoolerError) != 0;
    state.paperOut = (status & spoolerPaperOut) != 0;
    state.offLine = (status & spoolerOffLine) != 0;
    return state;
}

}  // namespace label::platform
