#include "posix_helper_thread.h"

#include <pthread.h>

#include <csignal>
#include <system_error>
#include <thread>

namespace label::platform {

bool startDetached(std::function<void()> work) {
    sigset_t all{};
    sigset_t before{};
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    bool started = true;
    try {
        std::thread(std::move(work)).detach();
    } catch (const std::system_error&) {
        started = false;
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return started;
}

}  // namespace label::platform
