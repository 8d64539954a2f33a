#include "first_connection.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace label::platform {
namespace {

// The socket if its connection is made; else closed, and why in `reason`.
Socket made(Socket socket, int& reason) {
    const int error = connectionError(socket);
    if (error == 0) {
        return socket;
    }
    reason = error;
    closeSocket(socket);
    return noSocket;
}

// The attempts under way, closed unless one is taken.
class Attempts {
public:
    Attempts() = default;
    ~Attempts() {
        for (const Socket socket : sockets_) {
            closeSocket(socket);
        }
    }
    Attempts(const Attempts&) = delete;
    Attempts& operator=(const Attempts&) = delete;
    Attempts(Attempts&&) = delete;
    Attempts& operator=(Attempts&&) = delete;

    [[nodiscard]] bool empty() const { return sockets_.empty(); }

    // One attempt more: its socket if it connected at once.
    Socket start(const addrinfo& address, int& reason) {
        int error = 0;
        const Socket socket = startConnecting(address, error);
        if (socket == noSocket) {
            reason = error;
        } else if (error != 0) {
            sockets_.push_back(socket);
            return noSocket;
        }
        return socket;
    }

    // Waits until `until` for attempts to end: the one that connected, or
    // noSocket with why the last that failed did so in `reason`.
    Socket awaitEnds(Clock::time_point until, int& reason) {
        const std::vector<bool> ended = connectionsEnded(sockets_, until);
        Socket connected = noSocket;
        for (std::size_t each = 0; each < sockets_.size() && connected == noSocket; ++each) {
            if (ended[each]) {
                connected = made(std::exchange(sockets_[each], noSocket), reason);
            }
        }
        std::erase(sockets_, noSocket);
        return connected;
    }

private:
    std::vector<Socket> sockets_;
};

}  // namespace

Socket connectFirst(const addrinfo* addresses, Clock::time_point deadline, int& reason) {
    reason = connectionTimedOut;
    Attempts underWay;
    const addrinfo* next = addresses;
    auto nextStart = Clock::now();
    while (Clock::now() < deadline && (next != nullptr || !underWay.empty())) {
        Socket connected = noSocket;
        if (next != nullptr && (Clock::now() >= nextStart || underWay.empty())) {
            const addrinfo& address = *next;
            next = next->ai_next;
            connected = underWay.start(address, reason);
            nextStart = Clock::now() + nextAttemptDelay;
        } else {
            connected = underWay.awaitEnds(next != nullptr ? std::min(nextStart, deadline) : deadline, reason);
        }
        if (connected != noSocket) {
            return connected;
        }
    }
    if (!underWay.empty()) {
        reason = connectionTimedOut;
    }
    return noSocket;
}

}  // namespace label::platform
