#pragma once

// The only road to the printer: an output stream on a port, opened by name.
//
//   open(name)       opens the port; if that fails the channel is failed
//   writeText/Number/Char   append to the pending bytes (512 at most)
//   endLine          appends CR LF and hands the pending bytes to the port
//   close            hands on what is pending and lets the port go
//
// "flush" means here what it means for the console: hand the pending bytes
// on, the channel's to the port and the console's to the screen.
//
// A failed channel drops new bytes without a word. A port that does not take
// everything handed to it fails the channel too; what it did not take stays
// pending and is offered again at every later line end and at the close.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace label {

class PortDevice {
public:
    virtual ~PortDevice() = default;
    // Hands bytes to the port; returns how many it took. Fewer than offered
    // means the port refused the rest, at least for now.
    virtual std::size_t write(std::string_view bytes) = 0;
};

class PortOpener {
public:
    virtual ~PortOpener() = default;
    // The port called `deviceName` ("com1:", "lpt1:"), or nullptr.
    virtual std::unique_ptr<PortDevice> open(std::string_view deviceName) = 0;
};

class PrinterChannel {
public:
    // The port's buffer size: bytes are flushed the moment 512 have gathered,
    // as a stream's buffer of that size would hand them on.
    static constexpr std::size_t pendingCapacity = 512;

    explicit PrinterChannel(PortOpener& ports);
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

    PortOpener& ports_;
    std::unique_ptr<PortDevice> device_;
    std::string pending_;
    bool failed_ = false;
};

}  // namespace label
