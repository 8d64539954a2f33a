#include "name_lookup.h"

#include <string>
#include <utility>

#include "helper_thread.h"

namespace label::platform {
namespace {

struct Found {
    int status = 0;
    std::shared_ptr<addrinfo> first;
};

Found resolve(const std::string& host, const std::string& port, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (status != 0) {
        return {status, nullptr};
    }
    return {status, std::shared_ptr<addrinfo>(found, freeaddrinfo)};
}

AddressList taken(Found found) {
    if (found.status != 0) {
        return {nullptr, NetworkFault::unknownName};
    }
    return {std::move(found.first), std::nullopt};
}

}  // namespace

AddressList lookUp(const NetworkAddress& address, Clock::time_point deadline) {
    const std::string port = std::to_string(address.port);
    Found numeric = resolve(address.host, port, AI_NUMERICHOST);
    if (numeric.status != EAI_NONAME) {
        return taken(std::move(numeric));
    }
    std::optional<Found> named =
        answerBy<Found>([host = address.host, port] { return resolve(host, port, 0); }, deadline).answer;
    if (!named) {
        return {nullptr, NetworkFault::nameTimedOut};
    }
    return taken(std::move(*named));
}

}  // namespace label::platform
