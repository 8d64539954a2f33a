#include "helper_thread.h"

#include <pthread.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <system_error>
#include <thread>

namespace label::platform {

struct DoneSignal::State {
    std::mutex guard;
    std::condition_variable changed;
    bool raised = false;
};

DoneSignal::DoneSignal() : state_(std::make_unique<State>()) {}

DoneSignal::~DoneSignal() = default;

void DoneSignal::raise() {
    const std::lock_guard lock(state_->guard);
    state_->raised = true;
    state_->changed.notify_all();
}

bool DoneSignal::awaitUntil(Clock::time_point deadline) {
    std::unique_lock lock(state_->guard);
    return state_->changed.wait_until(lock, deadline, [this] { return state_->raised; });
}

std::optional<std::uint32_t> startDetached(std::function<void()> work) {
    sigset_t all{};
    sigset_t before{};
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    std::optional<std::uint32_t> refused;
    try {
        std::thread(std::move(work)).detach();
    } catch (const std::system_error& error) {
        const int code = error.code().value();
        refused = static_cast<std::uint32_t>(code != 0 ? code : EAGAIN);
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return refused;
}

}  // namespace label::platform
