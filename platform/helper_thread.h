#pragma once

// Work that the system gives no bound the program can set (a name lookup, a
// question a driver waits on uninterruptibly, a spooler call that waits on
// the printer), waited for only until a deadline: one shape on every system.
//
//   answerBy(work, deadline)   runs `work` on a helper thread of its own and
//                hands back its answer if it is ready by the deadline. A
//                helper still running then is left to finish on its own, and
//                ends with the process at the latest; whoever is last, the
//                helper or the caller, frees what they share. Where no thread
//                would start, nothing runs and the system's reason comes back.
//
// Each system gives only the starting of a thread and the signal a helper
// raises once it is done (posix_helper_thread.cpp, whose helpers block every
// signal so that the deadline alarm keeps reaching the main thread;
// windows_helper_thread.cpp, since the win32 thread model of the Windows
// builds has no std::thread, std::mutex or std::condition_variable).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "bounded_port.h"

namespace label::platform {

// Raised once by a helper, waited for by its caller.
class DoneSignal {
public:
    DoneSignal();
    ~DoneSignal();
    DoneSignal(const DoneSignal&) = delete;
    DoneSignal& operator=(const DoneSignal&) = delete;
    DoneSignal(DoneSignal&&) = delete;
    DoneSignal& operator=(DoneSignal&&) = delete;

    void raise();
    // False if the deadline comes first.
    [[nodiscard]] bool awaitUntil(Clock::time_point deadline);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Starts `work` on a thread that runs on its own; the system's error code,
// never 0, where none would start.
std::optional<std::uint32_t> startDetached(std::function<void()> work);

template <typename Answer>
struct HelperAnswer {
    std::optional<Answer> answer;             // the work's, if ready by the deadline
    std::optional<std::uint32_t> notStarted;  // else, if no helper ran, the system's reason
};

template <typename Answer>
HelperAnswer<Answer> answerBy(std::function<Answer()> work, Clock::time_point deadline) {
    struct Shared {
        DoneSignal done;
        std::optional<Answer> answer;
    };
    auto shared = std::make_shared<Shared>();
    if (auto reason = startDetached([shared, work = std::move(work)] {
            shared->answer = work();
            shared->done.raise();
        })) {
        return {std::nullopt, reason};
    }
    if (!shared->done.awaitUntil(deadline)) {
        return {};
    }
    return {std::move(shared->answer), std::nullopt};
}

}  // namespace label::platform
