#include "file_trace.h"

#include <cstdlib>
#include <utility>

#include "ports.h"

namespace label {
namespace {

// Milliseconds to the microsecond, as "12.345".
std::string milliseconds(Clock::duration duration) {
    constexpr long long perMillisecond = 1000;
    const long long micro = std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    const std::string fraction = std::to_string(micro % perMillisecond);
    return std::to_string(micro / perMillisecond) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string quoted(std::string_view text) { return "\"" + escapedBytes(text) + "\""; }

std::string chosenWay(const ChosenPort& port) {
    switch (port.value.way) {
    case PortWay::device:
        return "device " + escapedBytes(port.device.path);
    case PortWay::network:
        return "network " + escapedBytes(port.value.address.shown);
    case PortWay::printerQueue:
        return "queue " + quoted(port.value.queue);
    case PortWay::refused:
        break;
    }
    return "refused: " + escapedBytes(port.value.refusal);
}

// Why the port is the one it is: the variable's value, or its default.
std::string chosenBy(PortKind kind, const ChosenPort& port) {
    const std::string variable(portKind(kind).variable);
    if (port.value.text.empty()) {
        return variable + " unset, so the default";
    }
    return variable + "=" + quoted(port.value.text);
}

// "error 28: No space left on device", or that the call ran out of patience.
std::string fallingShort(RawPort& port, const RawOutcome& outcome) {
    if (outcome.failure) {
        return ": error " + std::to_string(*outcome.failure) + ": " + escapedBytes(port.describe(*outcome.failure));
    }
    return outcome.complete ? "" : ": out of patience";
}

void sayNoTrace(ConsoleOutput& errors, const std::string& failure, const std::string& problem) {
    writeErrorLine(errors, failure + problem + "; the run goes on without a trace");
}

std::string shortfallWords(Shortfall left) {
    switch (left) {
    case Shortfall::stalled:
        return "shortfall: the port is stalled until a write goes through whole";
    case Shortfall::ended:
        return "shortfall: the port ends until it is opened again";
    case Shortfall::gone:
        break;
    }
    return "shortfall: the device went away; the next write opens its path afresh";
}

std::string within(std::chrono::milliseconds patience) { return " within " + std::to_string(patience.count()) + " ms"; }

}  // namespace

std::string escapedBytes(std::string_view bytes) {
    constexpr std::string_view hex = "0123456789abcdef";
    constexpr unsigned nibble = 4;
    constexpr unsigned low = 0xf;
    constexpr unsigned lastAscii = 0x7f;
    std::string shown;
    for (const char byte : bytes) {
        const unsigned code = static_cast<unsigned char>(byte);
        if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\\' || byte == '"') {
            shown += {'\\', byte};
        } else if (isControl(byte) || code > lastAscii) {
            shown += {'\\', 'x', hex[code >> nibble], hex[code & low]};
        } else {
            shown += byte;
        }
    }
    return shown;
}

FileTrace::FileTrace(std::unique_ptr<TraceFile> file, ConsoleOutput& errors, std::string failure, Now now)
    : file_(std::move(file)), errors_(errors), failure_(std::move(failure)), now_(std::move(now)), start_(now_()) {}

void FileTrace::started(std::string_view program, std::string_view system) {
    line("start " + std::string(program) + " " + LABEL_VERSION + " on " + escapedBytes(system));
}

PortOpening FileTrace::reach(PortKind kind, const ChosenPort& port, Reaching reaching,
                             const std::function<PortOpening()>& open) {
    const Clock::time_point began = now_();
    PortOpening opening = open();
    std::string event = std::string(reaching == Reaching::first ? "open " : "reopen, the device having gone: ") +
                        chosenBy(kind, port) + ": " + chosenWay(port);
    if (opening.port != nullptr) {
        event += ": opened in " + since(began) + " ms";
    } else if (port.value.way != PortWay::refused) {
        event += ": not opened in " + since(began) + " ms: " + escapedBytes(opening.problem);
    }
    line(event);
    return opening;
}

RawOutcome FileTrace::write(RawPort& port, std::string_view bytes, std::chrono::milliseconds patience) {
    const Clock::time_point began = now_();
    const RawOutcome outcome = port.write(bytes, patience);
    line("write " + quoted(bytes) + within(patience) + ": took " + std::to_string(outcome.taken) + " of " +
         std::to_string(bytes.size()) + " in " + since(began) + " ms" + fallingShort(port, outcome));
    return outcome;
}

RawOutcome FileTrace::drain(RawPort& port, std::chrono::milliseconds patience) {
    const Clock::time_point began = now_();
    const RawOutcome outcome = port.drain(patience);
    line("drain" + within(patience) + ": " + (outcome.complete ? "done" : "not done") + " in " + since(began) + " ms" +
         fallingShort(port, outcome));
    return outcome;
}

std::optional<std::string> FileTrace::askPrinter(RawPort& port) {
    const Clock::time_point began = now_();
    std::optional<std::string> says = port.printerSays();
    line("ask the printer in " + since(began) +
         " ms: " + (says ? "it says " + quoted(*says) : std::string("nothing (all is well, or it cannot be asked)")));
    return says;
}

void FileTrace::shortfall(Shortfall left, const std::string& told) {
    std::string event = shortfallWords(left);
    line(told.empty() ? event : event + "; the operator is told: " + escapedBytes(told));
}

std::string FileTrace::since(Clock::time_point began) const { return milliseconds(now_() - began); }

// One write a line, so that lines of two runs on one file never interleave.
void FileTrace::line(std::string_view event) {
    if (file_ == nullptr) {
        return;
    }
    const std::string time = milliseconds(now_() - start_);
    constexpr std::size_t timeWidth = 10;
    const std::string padding(time.size() < timeWidth ? timeWidth - time.size() : 0, ' ');
    if (std::string problem = file_->append(padding + time + " " + std::string(event) + "\n"); !problem.empty()) {
        file_.reset();
        sayNoTrace(errors_, failure_, problem);
    }
}

std::unique_ptr<Trace> startTrace(PortKind program, ConsoleOutput& errors, const TraceSystem& system) {
    const char* path = std::getenv(std::string(traceVariable).c_str());
    if (path == nullptr || *path == '\0') {
        return std::make_unique<Trace>();
    }
    const std::string failure =
        std::string(portKind(program).program) + ": " + std::string(traceVariable) + "=" + path + ": ";
    TraceFileOpening opening = system.open(path);
    if (opening.file == nullptr) {
        sayNoTrace(errors, failure, opening.problem);
        return std::make_unique<Trace>();
    }
    auto trace = std::make_unique<FileTrace>(std::move(opening.file), errors, failure);
    trace->started(portKind(program).program, system.name());
    return trace;
}

}  // namespace label
