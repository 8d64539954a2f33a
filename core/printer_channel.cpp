#include "printer_channel.h"

#include <algorithm>
#include <utility>

namespace label {

PrinterChannel::PrinterChannel(PortOpener& ports, DeliveryReport& report) : ports_(ports), report_(report) {}

PrinterChannel::~PrinterChannel() { close(); }

void PrinterChannel::open(PortKind kind) {
    close();
    port_ = BoundedPort(ports_.open(kind), ports_.trace());
    failed_ = !port_.isOpen();
}

void PrinterChannel::writeText(std::string_view text) { append(text); }

void PrinterChannel::writeNumber(std::int64_t number) { append(std::to_string(number)); }

void PrinterChannel::writeChar(char byte) { append(std::string_view(&byte, 1)); }

void PrinterChannel::endLine() {
    append("\r\n");
    endCommand();
    flush();
}

void PrinterChannel::close() {
    if (!queue_.empty() && !queue_.back().ended) {
        endCommand();
    }
    flush();
    report_.lost(static_cast<std::size_t>(
        std::count_if(queue_.begin(), queue_.end(), [](const Command& command) { return !command.spoilt; })));
    if (taken_ > 0 && !port_.drain()) {
        report_.lost(taken_);
        fault();
    }
    port_ = BoundedPort();
    queue_.clear();
    frontTaken_ = 0;
    taken_ = 0;
    failed_ = true;
}

// A port whose device went away is tried afresh by each new command, so the
// first one after the printer is back reaches it.
PrinterChannel::Command& PrinterChannel::current() {
    if (queue_.empty() || queue_.back().ended) {
        failed_ = failed_ && !port_.wentAway();
        queue_.emplace_back();
    }
    return queue_.back();
}

// Only a channel that has not failed takes bytes, and then the command being
// written is the only one queued.
void PrinterChannel::append(std::string_view bytes) {
    Command& command = current();
    for (const char byte : bytes) {
        if (failed_) {
            command.spoilt = true;
            return;
        }
        command.bytes.push_back(byte);
        if (command.bytes.size() - frontTaken_ == pendingCapacity) {
            flush();
        }
    }
}

void PrinterChannel::endCommand() {
    Command& command = current();
    command.ended = true;
    report_.sent(1);
    if (command.spoilt) {
        report_.lost(1);
        fault();
    }
}

void PrinterChannel::flush() {
    while (!queue_.empty()) {
        const Command& front = queue_.front();
        if (frontTaken_ < front.bytes.size()) {
            offerFront();
        }
        if (frontTaken_ < front.bytes.size()) {
            if (!std::exchange(failed_, true)) {
                fault();
            }
            return;
        }
        if (!front.ended) {
            return;
        }
        taken_ += front.spoilt ? 0 : 1;
        queue_.pop_front();
        frontTaken_ = 0;
    }
}

// A command the device went away under goes to the line opened afresh only
// if the old line took none of it; else it is lost, and never sent twice.
void PrinterChannel::offerFront() {
    const std::string_view front(queue_.front().bytes);
    const bool untouched = frontTaken_ == 0 && !port_.wentAway();
    frontTaken_ += port_.write(front.substr(frontTaken_));
    if (port_.wentAway() && untouched && frontTaken_ == 0) {
        frontTaken_ += port_.write(front);
    }
    if (port_.wentAway()) {
        loseFront();
    }
}

// Its bytes are offered no more; the rest of a command still being written is
// dropped, and the next command is tried afresh (current()).
void PrinterChannel::loseFront() {
    Command& front = queue_.front();
    if (front.ended && !front.spoilt) {
        report_.lost(1);
    }
    front.spoilt = true;
    frontTaken_ = front.bytes.size();
    failed_ = !front.ended;
    fault();
}

void PrinterChannel::fault() { report_.fault(port_.name(), port_.problem()); }

}  // namespace label
