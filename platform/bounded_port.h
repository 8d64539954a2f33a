#pragma once

// A port device built on the system's own bounded write: the accounting that
// keeps the operator from waiting on a stalled port at every line end, and
// the printer from getting bytes twice. It needs no system headers, so the
// unit tests reach it on any system; the Windows ports feed it.
//
// A write waits at most writePatience for the port. Once one has run out of
// it, later writes get only stalledPatience, until one goes through whole.
// Every write counts what the system reports taken, even by a call that
// failed, so the channel never offers those bytes again. An error other than
// running out of time is final: that port takes no further writes.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "printer_channel.h"

namespace label::platform {

inline constexpr std::chrono::milliseconds writePatience{portWriteTimeout};
// A port never says what it would take without waiting: a serial line's write
// stays pending until the bytes are out. This is long enough for a working
// line to send a command, short enough not to be felt at each line end.
inline constexpr std::chrono::milliseconds stalledPatience{100};

// What one write call reported. Fewer bytes taken than offered, without a
// failure, means the port ran out of patience.
struct WriteOutcome {
    std::size_t taken = 0;
    std::optional<std::uint32_t> failure;  // the system's error code
};

class RawPort {
public:
    virtual ~RawPort() = default;
    // One write of `bytes`, given up after `patience`.
    virtual WriteOutcome write(std::string_view bytes, std::chrono::milliseconds patience) = 0;
    // The system's words for an error code.
    [[nodiscard]] virtual std::string describe(std::uint32_t error) const = 0;
};

class BoundedPort final : public PortDevice {
public:
    explicit BoundedPort(std::unique_ptr<RawPort> raw) : raw_(std::move(raw)) {}

    std::size_t write(std::string_view bytes) override;
    bool drain() override;
    [[nodiscard]] std::string problem() const override { return problem_; }

private:
    std::unique_ptr<RawPort> raw_;
    std::string problem_;
    bool stalled_ = false;
    bool broken_ = false;
};

}  // namespace label::platform
