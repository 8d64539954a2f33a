#include "ports.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <variant>

#include "bounded_port.h"
#include "port_words.h"

namespace label {
namespace {

// A port that is reached at its first byte. Until then it holds only how to
// reach it; one that could not be reached takes nothing, and says why. One
// whose device went away is let go at once and reached afresh at its next
// write, until it is back. Every call on the port it reached is traced.
class FirstBytePort final : public RawPort {
public:
    using Reach = std::function<PortOpening(Reaching)>;
    using Tell = std::function<void(const std::string&)>;

    FirstBytePort(Reach reach, Tell tell, Trace& trace)
        : reach_(std::move(reach)), tell_(std::move(tell)), trace_(trace) {}

    RawOutcome write(std::string_view bytes, std::chrono::milliseconds patience) override {
        const auto deadline = Clock::now() + patience;
        if (!reached()) {
            return {0, false, unreachable, gone_};
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const RawOutcome outcome = trace_.write(*port_, bytes, std::max(left, stalledPatience));
        if (outcome.failure && outcome.gone) {
            problem_ = port_->describe(*outcome.failure);
            port_.reset();
            gone_ = true;
        }
        return outcome;
    }

    RawOutcome drain(std::chrono::milliseconds patience) override {
        if (port_ == nullptr) {
            return {};
        }
        RawOutcome outcome = trace_.drain(*port_, patience);
        if (outcome.complete && !outcome.failure) {
            if (auto held = port_->heldBack()) {
                tell_(*held);
            }
        }
        return outcome;
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return port_ == nullptr ? problem_ : port_->describe(error);
    }

    [[nodiscard]] std::optional<std::string> printerSays() override {
        return port_ == nullptr ? std::nullopt : trace_.askPrinter(*port_);
    }

private:
    // Any code will do: a port that was never reached describes every
    // failure as the reason it was not.
    static constexpr std::uint32_t unreachable = 1;

    bool reached() {
        if (port_ == nullptr && (gone_ || !tried_)) {
            tried_ = true;
            PortOpening opening = reach_(gone_ ? Reaching::again : Reaching::first);
            port_ = std::move(opening.port);
            gone_ = gone_ && port_ == nullptr;
            problem_ = std::move(opening.problem);
        }
        return port_ != nullptr;
    }

    Reach reach_;
    Tell tell_;
    Trace& trace_;
    std::unique_ptr<RawPort> port_;
    std::string problem_;
    bool tried_ = false;
    bool gone_ = false;
};

// A value the system cannot use, with its words.
ChosenPort refused(PortKind kind, PortValue value, const Refusal& refusal) {
    value.way = PortWay::refused;
    value.refusal = std::string(portKind(kind).variable) + "=" + value.text + refusal.words;
    std::string shown = value.text;
    return {std::move(value), {}, std::move(shown)};
}

}  // namespace

ChosenPort choosePort(PortKind kind, const char* value, PortSystem& system) {
    if (value == nullptr || *value == '\0') {
        Device device = system.defaultDevice(kind);
        std::string shown = device.name;
        return {{}, std::move(device), std::move(shown)};
    }
    PortValue read = readPortValue(kind, value);
    std::string shown = read.text;
    switch (read.way) {
    case PortWay::device: {
        auto reading = system.readDevice(kind, read.text);
        if (const auto* refusal = std::get_if<Refusal>(&reading)) {
            return refused(kind, std::move(read), *refusal);
        }
        Device device = std::get<Device>(std::move(reading));
        shown = device.name;
        return {std::move(read), std::move(device), std::move(shown)};
    }
    case PortWay::printerQueue: {
        auto reading = system.readQueue(kind, read.queue);
        if (const auto* refusal = std::get_if<Refusal>(&reading)) {
            return refused(kind, std::move(read), *refusal);
        }
        read.queue = std::get<std::string>(std::move(reading));
        break;
    }
    case PortWay::network:
        shown = read.address.shown;
        break;
    case PortWay::refused:
        break;
    }
    return {std::move(read), {}, std::move(shown)};
}

PortOpening Ports::open(PortKind kind) {
    const ChosenPort& port = chosen(kind);
    return {
        std::make_unique<FirstBytePort>([this, kind, &port](Reaching reaching) { return reach(kind, port, reaching); },
                                        [this, kind](const std::string& words) { sayOnce(kind, words); }, trace_),
        port.shown,
        {}};
}

void Ports::prepareSerialLine() {
    const ChosenPort& port = chosen(PortKind::serial);
    std::string problem;
    switch (port.value.way) {
    case PortWay::device:
        problem = system_.prepareLine(port.device);
        break;
    case PortWay::network:
    case PortWay::printerQueue:
        problem = noLineSettings(port.value.way);
        break;
    case PortWay::refused:
        return;  // said already
    }
    linePrepared_ = problem.empty();
    if (!problem.empty()) {
        say(PortKind::serial, "mode com1: " + port.shown + ": " + problem);
    }
}

// The variable is read once a run; a refused value is said then, once.
const ChosenPort& Ports::chosen(PortKind kind) {
    std::optional<ChosenPort>& port = byKind(kind, serial_, parallel_);
    if (!port) {
        const char* value = std::getenv(std::string(portKind(kind).variable).c_str());
        port = choosePort(kind, value, system_);
        if (port->value.way == PortWay::refused) {
            say(kind, port->value.refusal);
        }
    }
    return *port;
}

// A line back after its device went away gets answer 1's settings before
// any byte: what is plugged in may be another adapter, set as it came. Its
// settings fail while nothing is plugged in, which is said only if the open
// then finds a line.
PortOpening Ports::reach(PortKind kind, const ChosenPort& port, Reaching reaching) {
    if (reaching == Reaching::first) {
        return trace_.reach(kind, port, reaching, [this, kind, &port] { return openChosen(kind, port); });
    }
    std::string problem;
    PortOpening opening = trace_.reach(kind, port, reaching, [this, kind, &port, &problem] {
        if (linePrepared_ && port.value.way == PortWay::device) {
            problem = system_.resetLine(port.device);
        }
        return openChosen(kind, port);
    });
    if (opening.port != nullptr) {
        if (!problem.empty()) {
            say(kind, "mode com1: " + port.shown + ": " + problem);
        }
        say(kind, "the printer on " + port.shown + " is back");
    }
    return opening;
}

// A refused port has been said: its lost lines are counted, not said again.
PortOpening Ports::openChosen(PortKind kind, const ChosenPort& port) {
    switch (port.value.way) {
    case PortWay::device:
        return system_.openDevice(kind, port.device);
    case PortWay::network:
        return system_.openNetwork(port.value.address);
    case PortWay::printerQueue:
        return system_.openQueue(kind, port.value.queue);
    case PortWay::refused:
        break;
    }
    return {nullptr, port.shown, {}};
}

// What a port holds back is the same at every opening: said once a run.
void Ports::sayOnce(PortKind kind, const std::string& words) {
    if (said_.insert(words).second) {
        say(kind, words);
    }
}

void Ports::say(PortKind kind, const std::string& words) {
    writeErrorLine(errors_, std::string(portKind(kind).program) + ": " + words);
}

}  // namespace label
