#pragma once

// Work that the system gives no bound the program can set (a name lookup, a
// question a driver waits on uninterruptibly), waited for only until a
// deadline.
//
//   answerBy(work, deadline)   runs `work` on a helper thread and returns
//                its answer, or nothing if it is not ready by the deadline or
//                no thread would start. A helper still running then is left
//                to finish on its own and ends with the process: detached,
//                with every signal blocked, so that the deadline alarm keeps
//                reaching the main thread. Whoever is last frees the answer.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "posix_io.h"

namespace label::platform {

// False if the system would start no thread.
bool startDetached(std::function<void()> work);

template <typename Answer>
std::optional<Answer> answerBy(std::function<Answer()> work, Clock::time_point deadline) {
    struct Shared {
        std::mutex guard;
        std::condition_variable finished;
        std::optional<Answer> answer;
    };
    auto shared = std::make_shared<Shared>();
    const bool started = startDetached([shared, work = std::move(work)] {
        Answer answer = work();
        const std::lock_guard lock(shared->guard);
        shared->answer = std::move(answer);
        shared->finished.notify_all();
    });
    if (!started) {
        return std::nullopt;
    }
    std::unique_lock lock(shared->guard);
    if (!shared->finished.wait_until(lock, deadline, [&shared] { return shared->answer.has_value(); })) {
        return std::nullopt;
    }
    return std::move(shared->answer);
}

}  // namespace label::platform
