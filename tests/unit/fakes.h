#pragma once

// In-memory stand-ins for the keyboard, the screen, the shell and the ports.
// The screen and the shell share one transcript, so a test sees each shell
// command at the moment it ran relative to the text around it.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "console.h"
#include "port_kinds.h"
#include "port_system.h"
#include "printer_channel.h"

namespace label::testing {

class ScriptedInput final : public ConsoleInput {
public:
    explicit ScriptedInput(std::string script) : script_(std::move(script)) {}
    int readByte() override {
        if (next_ == script_.size()) {
            ++readsAfterEnd;
            return endOfInput;
        }
        return static_cast<unsigned char>(script_[next_++]);
    }
    int readsAfterEnd = 0;

private:
    std::string script_;
    std::size_t next_ = 0;
};

// Records console output; shell commands appear as "[command]".
class Transcript final : public ConsoleOutput, public Shell {
public:
    void write(std::string_view bytes) override {
        text += bytes;
        ++writes;
    }
    void run(std::string_view commandLine) override { text += "[" + std::string(commandLine) + "]"; }
    std::string text;
    int writes = 0;
};

// Ports that keep what they receive, named as the kind's device name
// ("lpt1:"). A port may be made to refuse opening, to take only so many bytes
// in all, or to lose what it took at the close.
class RecordingPorts final : public PortOpener {
public:
    struct Port {
        std::string received;
        std::size_t capacity = std::string::npos;
        bool opens = true;
        bool drains = true;
        int openCount = 0;
        int writeCount = 0;
    };

    PortOpening open(PortKind kind) override {
        Port& port = ports[kind];
        const std::string name(portKind(kind).deviceName);
        if (!port.opens) {
            return {nullptr, name, "cannot open"};
        }
        ++port.openCount;
        return {std::make_unique<Device>(port), name, {}};
    }

    Port& operator[](PortKind kind) { return ports[kind]; }
    [[nodiscard]] const Port& at(PortKind kind) const { return ports.at(kind); }

private:
    class Device final : public RawPort {
    public:
        explicit Device(Port& port) : port_(port) {}
        RawOutcome write(std::string_view bytes, std::chrono::milliseconds /*patience*/) override {
            ++port_.writeCount;
            const std::size_t room = port_.capacity == std::string::npos
                                         ? bytes.size()
                                         : port_.capacity - std::min(port_.capacity, port_.received.size());
            const std::size_t taken = std::min(room, bytes.size());
            port_.received += bytes.substr(0, taken);
            return {taken, taken == bytes.size(), std::nullopt};
        }
        RawOutcome drain(std::chrono::milliseconds /*patience*/) override { return {0, port_.drains, std::nullopt}; }
        [[nodiscard]] std::string describe(std::uint32_t /*error*/) const override { return "refused"; }

    private:
        Port& port_;
    };

    std::map<PortKind, Port> ports;
};

// A system whose devices are the recording ports: "/dev/lpt" unless a value
// names another.
class RecordingSystem final : public PortSystem {
public:
    Device defaultDevice(PortKind /*kind*/) override { return {"/dev/lpt", "lpt1:", false}; }
    Reading<Device> readDevice(PortKind /*kind*/, std::string_view value) override {
        return Device{std::string(value), std::string(value), true};
    }
    Reading<std::string> readQueue(PortKind /*kind*/, std::string_view name) override { return std::string(name); }
    PortOpening openDevice(PortKind kind, const Device& /*device*/) override { return ports.open(kind); }
    PortOpening openNetwork(const NetworkAddress& /*address*/) override { return ports.open(PortKind::serial); }
    PortOpening openQueue(PortKind kind, const std::string& /*queue*/) override { return ports.open(kind); }
    std::string prepareLine(const Device& /*device*/) override { return {}; }
    std::string resetLine(const Device& /*device*/) override { return {}; }
    RecordingPorts ports;
};

// A console wired to a script and a transcript.
struct ConsoleRig {
    explicit ConsoleRig(std::string script) : input(std::move(script)) {}
    ScriptedInput input;
    Transcript screen;
    Transcript errors;
    Console console{input, screen, screen, errors};
};

// Everything the console has not yet consumed.
inline std::string drain(Console& console) {
    std::string left;
    for (int byte = console.takeByte(); byte != endOfInput; byte = console.takeByte()) {
        left.push_back(static_cast<char>(byte));
    }
    return left;
}

// A whole run of a program (or of the menu loop) on a script.
struct RecordedRun {
    using Program = std::function<int(Console&, PortOpener&)>;
    RecordedRun(const Program& program, std::string script) : rig(std::move(script)) {
        status = program(rig.console, ports);
        rig.console.flush();
    }
    ConsoleRig rig;
    RecordingPorts ports;
    int status = -1;
};

}  // namespace label::testing
