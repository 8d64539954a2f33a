#pragma once

// How long a port may keep the operator waiting, for both platforms. Each
// platform gives a RawPort: one write and one drain, each within the patience
// it is handed, and the system's words for an error. BoundedPort holds the
// rule around it:
//
//   patience   a write, and the drain before the port is let go, wait at most
//              writePatience. Once one has run out of it, the port is
//              stalled: later ones get only stalledPatience, until a write
//              goes through whole. The operator waits out a stalled port
//              once, not at every line end that retries it.
//   a stalled port still gets stalledPatience, not none. A Windows serial
//              write stays pending until its bytes are on the line, so with
//              no patience at all a line that has come back could never be
//              seen to take a command. POSIX ports follow the same rule, at
//              the cost of that short wait per retry while a port is stalled.
//   a hard error (anything but running out of patience) ends the port: it
//              takes no further writes until it is opened afresh. A port that
//              could not be opened is ended from the start.
//   a device that went away (RawOutcome::gone) does not end the port: the
//              raw port opens its path afresh at the next write, and
//              wentAway() says so until a write reaches the device again.
//              The channel (printer_channel.h) decides what is sent then.
//   the count  every write counts what the system reports taken, even by a
//              call that failed, so the channel never offers those bytes
//              again and the printer never gets them twice.
//   problem()  why the last write or drain fell short, in the operator's
//              words: what the printer itself says, where the port can ask
//              it and it says more than "all is well"; else the system's,
//              or portTimedOut. The printer is asked once per shortfall:
//              when a hard error ends the port, or when it stalls, not again
//              at each retry while it stays stalled. Each such shortfall is
//              traced (trace.h) with those words.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "raw_port.h"

namespace label {

// How long a port may keep the operator waiting for one write, and again for
// the drain before it is let go. What the operator is told then.
inline constexpr std::chrono::milliseconds writePatience{std::chrono::seconds{5}};
std::string portTimedOut();
// The patience as every text that names it says it: "5 seconds".
std::string patienceWords();
// Long enough for a working line to send a command, short enough not to be
// felt at each line end.
inline constexpr std::chrono::milliseconds stalledPatience{100};

class BoundedPort {
public:
    BoundedPort() = default;
    explicit BoundedPort(PortOpening opening, Trace& trace = noTrace());

    // Hands bytes to the port; returns how many it took.
    std::size_t write(std::string_view bytes);
    // False if some of what the port took may never arrive.
    bool drain();
    [[nodiscard]] const std::string& problem() const { return problem_; }
    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] bool isOpen() const { return raw_ != nullptr; }
    [[nodiscard]] bool wentAway() const { return gone_; }

private:
    [[nodiscard]] std::chrono::milliseconds patience() const;
    void note(const RawOutcome& outcome);

    std::unique_ptr<RawPort> raw_;
    Trace* trace_ = &noTrace();
    std::string name_;
    std::string problem_;
    bool stalled_ = false;
    bool ended_ = true;
    bool gone_ = false;
};

}  // namespace label
