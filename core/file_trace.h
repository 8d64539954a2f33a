#pragma once

// The trace that LABEL_TRACE=FILE asks for: one line per event of the ports
// (trace.h), each after the milliseconds since the run started, added at
// the end of FILE. Only the opening of the file is the system's.
//
//   startTrace(program, errors, system)   the trace of this run: nothing
//             (the do-nothing Trace) when LABEL_TRACE is unset or empty;
//             else a FileTrace, its first line the program, its version and
//             the system. A file that cannot be opened, or later written, is
//             said once on standard error as "PROGRAM: WORDS" and the run
//             goes on as it would without a trace.
//   escapedBytes(bytes)   bytes as a trace line shows them: printable ASCII
//             as is, CR as \r, LF as \n, \ and " as \\ and \", any other
//             byte as \xNN; so every event stays on its one line

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "console.h"
#include "raw_port.h"
#include "trace.h"

namespace label {

inline constexpr std::string_view traceVariable = "LABEL_TRACE";
// Why a system refuses a trace file that is not a file.
inline constexpr std::string_view notATraceFile =
    "a port, a device or a pipe, not a file: a trace is never written there";

class TraceFile {
public:
    virtual ~TraceFile() = default;
    // Adds `line` at the end of the file; why it could not, or "".
    virtual std::string append(std::string_view line) = 0;
};

struct TraceFileOpening {
    std::unique_ptr<TraceFile> file;  // nullptr if it could not be opened
    std::string problem;              // why not
};

// What a system gives a trace: the opening of its file, and its own name
// and version for the first line.
struct TraceSystem {
    std::function<TraceFileOpening(const std::string& path)> open;
    std::function<std::string()> name;
};

std::unique_ptr<Trace> startTrace(PortKind program, ConsoleOutput& errors, const TraceSystem& system);

std::string escapedBytes(std::string_view bytes);

class FileTrace final : public Trace {
public:
    using Now = std::function<Clock::time_point()>;

    // `failure` begins the line that says the file could not be written.
    FileTrace(std::unique_ptr<TraceFile> file, ConsoleOutput& errors, std::string failure, Now now = Clock::now);

    void started(std::string_view program, std::string_view system);

    PortOpening reach(PortKind kind, const ChosenPort& port, Reaching reaching,
                      const std::function<PortOpening()>& open) override;
    RawOutcome write(RawPort& port, std::string_view bytes, std::chrono::milliseconds patience) override;
    RawOutcome drain(RawPort& port, std::chrono::milliseconds patience) override;
    std::optional<std::string> askPrinter(RawPort& port) override;
    void shortfall(Shortfall left, const std::string& told) override;

private:
    [[nodiscard]] std::string since(Clock::time_point began) const;
    void line(std::string_view event);

    std::unique_ptr<TraceFile> file_;
    ConsoleOutput& errors_;
    std::string failure_;
    Now now_;
    Clock::time_point start_;
};

}  // namespace label
