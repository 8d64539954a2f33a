#include "windows_helper_thread.h"

#include <windows.h>

#include <memory>
#include <utility>

namespace label::platform {
namespace {

// The work and its end, shared by the thread and the caller; whoever is last
// frees them.
struct Running {
    explicit Running(std::function<void()> job) : work(std::move(job)) {}
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ~Running() {
        if (done != nullptr) {
            CloseHandle(done);
        }
    }

    std::function<void()> work;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI runOwned(void* shared) {
    const std::unique_ptr<std::shared_ptr<Running>> owner(static_cast<std::shared_ptr<Running>*>(shared));
    (*owner)->work();
    SetEvent((*owner)->done);
    return 0;
}

}  // namespace

HelperOutcome runWithin(std::function<void()> work, std::chrono::milliseconds wait) {
    const auto running = std::make_shared<Running>(std::move(work));
    if (running->done == nullptr) {
        return HelperOutcome::notStarted;
    }
    auto* shared = new std::shared_ptr<Running>(running);
    const HANDLE thread = CreateThread(nullptr, 0, runOwned, shared, 0, nullptr);
    if (thread == nullptr) {
        const DWORD error = GetLastError();
        delete shared;
        SetLastError(error);
        return HelperOutcome::notStarted;
    }
    CloseHandle(thread);
    return WaitForSingleObject(running->done, static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0
               ? HelperOutcome::finished
               : HelperOutcome::stillRunning;
}

}  // namespace label::platform
