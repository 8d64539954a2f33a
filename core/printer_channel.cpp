#include "printer_channel.h"

namespace label {

PrinterChannel::PrinterChannel(PortOpener& ports) : ports_(ports) {}

PrinterChannel::~PrinterChannel() { close(); }

void PrinterChannel::open(std::string_view deviceName) {
    close();
    device_ = ports_.open(deviceName);
    failed_ = device_ == nullptr;
}

void PrinterChannel::writeText(std::string_view text) { append(text); }

void PrinterChannel::writeNumber(std::int64_t number) { append(std::to_string(number)); }

void PrinterChannel::writeChar(char byte) { append(std::string_view(&byte, 1)); }

void PrinterChannel::endLine() {
    append("\r\n");
    flush();
}

void PrinterChannel::close() {
    flush();
    device_.reset();
    pending_.clear();
    failed_ = false;
}

void PrinterChannel::append(std::string_view bytes) {
    for (const char byte : bytes) {
        if (device_ == nullptr || failed_) {
            return;
        }
        pending_.push_back(byte);
        if (pending_.size() == pendingCapacity) {
            flush();
        }
    }
}

void PrinterChannel::flush() {
    if (device_ == nullptr || pending_.empty()) {
        return;
    }
    pending_.erase(0, device_->write(pending_));
    if (!pending_.empty()) {
        failed_ = true;
    }
}

}  // namespace label
