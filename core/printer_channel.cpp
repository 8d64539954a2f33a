#include "printer_channel.h"

#include <utility>

namespace label {

PrinterChannel::PrinterChannel(PortOpener& ports, DeliveryReport& report) : ports_(ports), report_(report) {}

PrinterChannel::~PrinterChannel() { close(); }

void PrinterChannel::open(std::string_view deviceName) {
    close();
    port_ = ports_.open(deviceName);
    failed_ = port_.device == nullptr;
}

void PrinterChannel::writeText(std::string_view text) { append(text); }

void PrinterChannel::writeNumber(std::int64_t number) { append(std::to_string(number)); }

void PrinterChannel::writeChar(char byte) { append(std::string_view(&byte, 1)); }

void PrinterChannel::endLine() {
    append("\r\n");
    endCommand();
    flush();
}

// A command without a line end of its own (page mode) ends at the close.
void PrinterChannel::close() {
    if (commandStarted_) {
        endCommand();
    }
    flush();
    report_.lost(pendingCommands_);
    if (port_.device != nullptr && unconfirmedCommands_ > 0 && !port_.device->drain()) {
        report_.lost(unconfirmedCommands_);
        fault(port_.device->problem());
    }
    port_ = PortOpening{};
    pending_.clear();
    failed_ = false;
    pendingCommands_ = 0;
    unconfirmedCommands_ = 0;
}

void PrinterChannel::append(std::string_view bytes) {
    commandStarted_ = true;
    for (const char byte : bytes) {
        if (failed_) {
            commandSpoilt_ = true;
            return;
        }
        pending_.push_back(byte);
        if (pending_.size() == pendingCapacity) {
            flush();
        }
    }
}

void PrinterChannel::endCommand() {
    report_.sent(1);
    if (commandSpoilt_) {
        report_.lost(1);
        fault(port_.device == nullptr ? port_.problem : port_.device->problem());
    } else {
        ++pendingCommands_;
    }
    commandStarted_ = false;
    commandSpoilt_ = false;
}

void PrinterChannel::flush() {
    if (port_.device == nullptr) {
        return;
    }
    if (!pending_.empty()) {
        pending_.erase(0, port_.device->write(pending_));
    }
    if (pending_.empty()) {
        unconfirmedCommands_ += std::exchange(pendingCommands_, 0);
    } else if (!failed_) {
        failed_ = true;
        fault(port_.device->problem());
    }
}

void PrinterChannel::fault(std::string_view problem) { report_.fault(port_.name, problem); }

}  // namespace label
