#pragma once

// The only road to the printer: an output stream on a port, opened by kind.
//
//   open(kind)       opens the port; if that fails the channel is failed
//   writeText/Number/Char   add to the command being written
//   endLine          adds CR LF, which ends the command, and flushes: hands
//                    the pending bytes on
//   close            ends a command still open (page mode has no line end),
//                    flushes, waits until the port has sent on what it took
//                    (bounded_port.h) and lets the port go
//
// "flush" means here what it means for the console: hand the pending bytes
// on, the channel's to the port and the console's to the screen.
//
// The channel is a queue of commands, each its bytes and whether its line end
// came, and how much of the front one the port took. A command leaves the
// queue once the port took it whole; what is still queued at the close is
// lost. Every command is told to the DeliveryReport as sent when it ends, and
// as lost when it did not reach the port in full (or the drain failed), so
// the report speaks to the operator.
//
// Two quirks of the stream this channel reproduces, on purpose:
//   - Pending bytes are handed on the moment 512 have gathered, within a
//     command, as the stream's 512-byte buffer would hand them on. (The
//     console's buffer, of the same size, hands text on only once MORE than
//     512 are pending: the two buffers trigger differently, as they did.)
//   - A failed channel drops new bytes until it is closed, even after the
//     port has taken what was stuck: the stream's failed state is sticky.
//     What the port did not take stays queued and is offered again at every
//     later line end and at the close.
// One thing the stream did not know: a device that went away (a USB adapter
// pulled out, bounded_port.h). The command it went away under is lost, or
// goes to the line opened afresh if the old line took none of it; the channel
// does not stay failed, and each later command tries the port afresh.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "bounded_port.h"
#include "delivery_report.h"
#include "port_kinds.h"

namespace label {

class PrinterChannel {
public:
    static constexpr std::size_t pendingCapacity = 512;

    PrinterChannel(PortOpener& ports, DeliveryReport& report);
    ~PrinterChannel();
    PrinterChannel(const PrinterChannel&) = delete;
    PrinterChannel& operator=(const PrinterChannel&) = delete;

    void open(PortKind kind);
    void writeText(std::string_view text);
    void writeNumber(std::int64_t number);
    void writeChar(char byte);
    void endLine();
    void close();

    [[nodiscard]] bool hasFailed() const { return failed_; }

private:
    struct Command {
        std::string bytes;
        bool ended = false;   // its line end came, or the close ended it
        bool spoilt = false;  // some of its bytes were dropped: lost, whatever the port does
    };

    Command& current();
    void append(std::string_view bytes);
    void endCommand();
    void flush();
    void offerFront();
    void loseFront();
    void fault();

    PortOpener& ports_;
    DeliveryReport& report_;
    BoundedPort port_;
    std::deque<Command> queue_;
    std::size_t frontTaken_ = 0;
    // Commands the port took whole, until the drain at the close confirms them.
    std::size_t taken_ = 0;
    // A closed channel has failed too: nothing given to it can reach a port.
    bool failed_ = true;
};

}  // namespace label
