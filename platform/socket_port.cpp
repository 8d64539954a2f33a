#include "socket_port.h"

#include <optional>
#include <utility>

#include "first_connection.h"
#include "name_lookup.h"
#include "socket_calls.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

std::string socketWords(int error, const NetworkAddress& address) {
    const auto fault = faultOf(error);
    return fault ? networkFaultWords(*fault, address) : systemWords(error);
}

class SocketPort final : public RawPort {
public:
    SocketPort(Socket socket, NetworkAddress address) : socket_(socket), address_(std::move(address)) {}
    ~SocketPort() override { letGoOfSocket(socket_); }
    SocketPort(const SocketPort&) = delete;
    SocketPort& operator=(const SocketPort&) = delete;
    SocketPort(SocketPort&&) = delete;
    SocketPort& operator=(SocketPort&&) = delete;

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        const auto deadline = Clock::now() + patience;
        std::size_t taken = 0;
        int error = 0;
        while (taken < bytes.size()) {
            if (const auto sent = sendSome(socket_, bytes.substr(taken))) {
                taken += *sent;
                handed_ += *sent;
                continue;
            }
            error = socketError();
            if (!mustWait(error) || !waitSendable(socket_, deadline)) {
                break;
            }
        }
        const bool outOfTime = mustWait(error);
        return {taken, taken == bytes.size(),
                taken < bytes.size() && !outOfTime ? std::optional(static_cast<std::uint32_t>(error)) : std::nullopt};
    }

    RawOutcome drain(milliseconds patience) override { return drainSocket(socket_, handed_, Clock::now() + patience); }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return socketWords(static_cast<int>(error), address_);
    }

private:
    Socket socket_;
    NetworkAddress address_;
    std::uint64_t handed_ = 0;
};

}  // namespace

PortOpening openSocketPort(const NetworkAddress& address) {
    if (const int error = socketsUnusable(); error != 0) {
        return {nullptr, address.shown, socketWords(error, address)};
    }
    const auto deadline = Clock::now() + writePatience;
    const AddressList found = lookUp(address, deadline);
    if (found.fault) {
        return {nullptr, address.shown, networkFaultWords(*found.fault, address)};
    }
    int reason = 0;
    const Socket socket = connectFirst(found.first.get(), deadline, reason);
    if (socket == noSocket) {
        return {nullptr, address.shown, socketWords(reason, address)};
    }
    return {std::make_unique<SocketPort>(socket, address), address.shown, {}};
}

}  // namespace label::platform
