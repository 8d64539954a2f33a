// The readers of a port variable's value, on arbitrary bytes: the reading
// shared by both systems (readPortValue), and the choice built on it with the
// Windows reading of device names (choosePort, readDeviceName). What either
// lets through must be what the system may safely be handed, and what it
// refuses must be said with the value in it.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "console.h"
#include "ports.h"
#include "require.h"
#include "windows_port_names.h"

namespace {

using label::PortKind;
using label::PortWay;
using label::fuzzing::require;

// The characters a host name may hold, written apart from the reader's own.
bool hostChar(char byte) {
    static constexpr std::string_view allowed = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._";
    return allowed.find(byte) != std::string_view::npos;
}

// A system whose device names are Windows'; nothing is ever opened.
class NamesOnly final : public label::PortSystem {
public:
    label::Device defaultDevice(PortKind kind) override { return label::platform::defaultDevice(kind); }
    label::Reading<label::Device> readDevice(PortKind /*kind*/, std::string_view value) override {
        return label::platform::readDeviceName(value);
    }
    label::Reading<std::string> readQueue(PortKind /*kind*/, std::string_view name) override {
        return std::string(name);
    }
    label::PortOpening openDevice(PortKind /*kind*/, const label::Device& /*device*/) override { return {}; }
    label::PortOpening openNetwork(const label::NetworkAddress& /*address*/) override { return {}; }
    label::PortOpening openQueue(PortKind /*kind*/, const std::string& /*queue*/) override { return {}; }
    std::string prepareLine(const label::Device& /*device*/) override { return {}; }
    std::string resetLine(const label::Device& /*device*/) override { return {}; }
};

void checkNetwork(std::string_view value, const label::PortValue& read) {
    const std::string_view rest = value.substr(label::networkScheme.size());
    const bool plain = rest.find_first_of(":[]") == std::string_view::npos;
    if (plain) {
        // Both ends of the class: every allowed character passes, no other does.
        require((read.way == PortWay::network) == (!rest.empty() && std::all_of(rest.begin(), rest.end(), hostChar)));
    }
    if (read.way != PortWay::network) {
        return;
    }
    const label::NetworkAddress& address = read.address;
    require(!address.host.empty() && address.port != 0);
    require(std::none_of(address.host.begin(), address.host.end(), label::isControl));
    const label::PortValue again = label::readPortValue(PortKind::parallel, address.shown);
    require(again.way == PortWay::network && again.address.host == address.host && again.address.port == address.port);
}

void checkChoice(const std::string& value) {
    NamesOnly system;
    const label::ChosenPort chosen = label::choosePort(PortKind::serial, value.c_str(), system);
    switch (chosen.value.way) {
    case PortWay::device: {
        const std::string& path = chosen.device.path;
        require(path.starts_with(R"(\\.\)") && std::none_of(path.begin(), path.end(), label::isControl));
        // Only COMn, n from 1, ever goes into the mode command's line.
        if (const auto mode = label::platform::modeName(chosen.device)) {
            require(mode->size() > 3 && mode->starts_with("COM") && mode->at(3) != '0');
            require(std::all_of(mode->begin() + 3, mode->end(), [](char byte) { return byte >= '0' && byte <= '9'; }));
        }
        break;
    }
    case PortWay::refused:
        require(chosen.value.refusal.starts_with("LABELCOM_PORT=" + value));
        break;
    case PortWay::network:
    case PortWay::printerQueue:
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    if (value.find('\0') != std::string::npos) {
        return 0;  // a variable's value cannot hold one
    }
    const label::PortValue read = label::readPortValue(PortKind::parallel, value);
    if (read.way == PortWay::refused) {
        require(read.refusal.starts_with("LABELLPT_PORT=" + value));
    }
    if (read.way == PortWay::printerQueue) {
        require(!read.queue.empty() && value == std::string(label::printerScheme) + read.queue);
        require(std::none_of(read.queue.begin(), read.queue.end(), label::isControl));
    }
    if (value.starts_with(label::networkScheme)) {
        checkNetwork(value, read);
    }
    if (!value.empty()) {
        checkChoice(value);
    }
    return 0;
}
