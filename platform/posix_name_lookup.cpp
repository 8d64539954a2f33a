#include "posix_name_lookup.h"

#include <pthread.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace label::platform {
namespace {

// What the helper thread and the caller share; whoever is last frees it.
struct Lookup {
    std::string host;
    std::string port;
    int flags = 0;
    std::mutex guard;
    std::condition_variable finished;
    bool done = false;
    int status = 0;
    addrinfo* found = nullptr;

    ~Lookup() {
        if (found != nullptr) {
            ::freeaddrinfo(found);
        }
    }
};

void run(Lookup& lookup) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = lookup.flags | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(lookup.host.c_str(), lookup.port.c_str(), &hints, &found);
    const std::lock_guard lock(lookup.guard);
    lookup.status = status;
    lookup.found = found;
    lookup.done = true;
    lookup.finished.notify_all();
}

AddressList taken(const std::shared_ptr<Lookup>& lookup) {
    if (lookup->status != 0) {
        return {nullptr, NetworkFault::unknownName};
    }
    return {std::shared_ptr<addrinfo>(lookup, lookup->found), std::nullopt};
}

std::shared_ptr<Lookup> makeLookup(const NetworkAddress& address, int flags) {
    auto lookup = std::make_shared<Lookup>();
    lookup->host = address.host;
    lookup->port = std::to_string(address.port);
    lookup->flags = flags;
    return lookup;
}

// False if the system would start no thread.
bool startHelper(const std::shared_ptr<Lookup>& lookup) {
    sigset_t all{};
    sigset_t before{};
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    bool started = true;
    try {
        std::thread([lookup] { run(*lookup); }).detach();
    } catch (const std::system_error&) {
        started = false;
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return started;
}

}  // namespace

AddressList lookUp(const NetworkAddress& address, Clock::time_point deadline) {
    const auto numeric = makeLookup(address, AI_NUMERICHOST);
    run(*numeric);
    if (numeric->status != EAI_NONAME) {
        return taken(numeric);
    }
    const auto lookup = makeLookup(address, 0);
    if (!startHelper(lookup)) {
        return {nullptr, NetworkFault::nameTimedOut};
    }
    std::unique_lock lock(lookup->guard);
    if (!lookup->finished.wait_until(lock, deadline, [&lookup] { return lookup->done; })) {
        return {nullptr, NetworkFault::nameTimedOut};
    }
    return taken(lookup);
}

}  // namespace label::platform
