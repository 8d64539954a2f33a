#pragma once

// The only road to the printer: an output stream on a port, opened by name.
//
//   open(name)       opens the port; if that fails the channel is failed
//   writeText/Number/Char   append to the pending bytes (512 at most)
//   endLine          appends CR LF and flushes: hands the pending bytes on
//   close            flushes, waits until the port has taken what it
//                    accepted, and lets the port go
//
// "flush" means here what it means for the console: hand the pending bytes
// on, the channel's to the port and the console's to the screen.
//
// A failed channel drops new bytes. A port that does not take everything
// handed to it fails the channel too; what it did not take stays pending and
// is offered again at every later line end and at the close. Every command
// line that does not reach the port in full is counted as lost and told to
// the DeliveryReport, which speaks to the operator.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "delivery_report.h"

namespace label {

// How long a port may keep the operator waiting for one write, and again for
// the drain before it is let go; a port that has used it up gets no more
// until a write goes through whole. What the operator is told then.
inline constexpr std::chrono::seconds portWriteTimeout{5};
inline constexpr std::string_view portTimedOut =
    "the port took nothing for 5 seconds (is the printer off line, out of paper or busy?)";

class PortDevice {
public:
    // Lets the port go at once.
    virtual ~PortDevice() = default;
    // Hands bytes to the port; returns how many it took. Fewer than offered
    // means the port refused the rest, at least for now; problem() says why.
    virtual std::size_t write(std::string_view bytes) = 0;
    // Waits, within what is left of the write timeout, until the device has
    // taken what it accepted, so that letting it go kills nothing in flight;
    // false (and problem() says why) if some of it may never arrive.
    virtual bool drain() = 0;
    // Why the last write or drain fell short, in words for the operator.
    [[nodiscard]] virtual std::string problem() const = 0;
};

struct PortOpening {
    std::unique_ptr<PortDevice> device;  // nullptr if it could not be opened
    std::string name;                    // the port as the operator knows it
    std::string problem;                 // why it could not be opened
};

class PortOpener {
public:
    virtual ~PortOpener() = default;
    // The port called `deviceName` ("com1:", "lpt1:").
    virtual PortOpening open(std::string_view deviceName) = 0;
};

class PrinterChannel {
public:
    // The port's buffer size: bytes are flushed the moment 512 have gathered,
    // as a stream's buffer of that size would hand them on.
    static constexpr std::size_t pendingCapacity = 512;

    PrinterChannel(PortOpener& ports, DeliveryReport& report);
    ~PrinterChannel();
    PrinterChannel(const PrinterChannel&) = delete;
    PrinterChannel& operator=(const PrinterChannel&) = delete;

    void open(std::string_view deviceName);
    void writeText(std::string_view text);
    void writeNumber(std::int64_t number);
    void writeChar(char byte);
    void endLine();
    void close();

    [[nodiscard]] bool hasFailed() const { return failed_; }

private:
    void append(std::string_view bytes);
    void flush();
    void endCommand();
    void fault(std::string_view problem);

    PortOpener& ports_;
    DeliveryReport& report_;
    PortOpening port_;
    std::string pending_;
    bool failed_ = false;
    // The command being written has bytes, and some of them were dropped.
    bool commandStarted_ = false;
    bool commandSpoilt_ = false;
    // Commands whose bytes are pending, and those the port took whole but
    // has not yet been seen to deliver.
    std::size_t pendingCommands_ = 0;
    std::size_t unconfirmedCommands_ = 0;
};

}  // namespace label
