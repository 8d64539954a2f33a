#include "helper_thread.h"

#include <windows.h>

#include "time_left.h"

namespace label::platform {
namespace {

// Where the system gave no reason of its own.
std::uint32_t reasonOf(DWORD error) { return error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY; }

DWORD WINAPI runOwned(void* work) {
    const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(work));
    (*owned)();
    return 0;
}

}  // namespace

struct DoneSignal::State {
    SRWLOCK guard = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    bool raised = false;
};

DoneSignal::DoneSignal() : state_(std::make_unique<State>()) {}

DoneSignal::~DoneSignal() = default;

void DoneSignal::raise() {
    AcquireSRWLockExclusive(&state_->guard);
    state_->raised = true;
    WakeAllConditionVariable(&state_->changed);
    ReleaseSRWLockExclusive(&state_->guard);
}

bool DoneSignal::awaitUntil(Clock::time_point deadline) {
    AcquireSRWLockExclusive(&state_->guard);
    // Wakes early now and then of its own accord: the deadline decides.
    while (!state_->raised && Clock::now() < deadline) {
        SleepConditionVariableSRW(&state_->changed, &state_->guard, static_cast<DWORD>(timeLeft(deadline).count()), 0);
    }
    const bool raised = state_->raised;
    ReleaseSRWLockExclusive(&state_->guard);
    return raised;
}

std::optional<std::uint32_t> startDetached(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const HANDLE thread = CreateThread(nullptr, 0, runOwned, owned.get(), 0, nullptr);
    if (thread == nullptr) {
        return reasonOf(GetLastError());
    }
    static_cast<void>(owned.release());  // the thread's now
    CloseHandle(thread);
    return std::nullopt;
}

}  // namespace label::platform
