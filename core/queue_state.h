#pragma once

// What a printer queue says of its printer, the same on both systems: CUPS
// gives it as IPP's printer-state-reasons, Windows as PRINTER_INFO_2's
// status bits, and each system only reads its own into a QueueState.
//
//   queueStateFromReasons(reasons, stopped, message)   a CUPS queue's state
//               from its printer-state-reasons keywords, whether the queue is
//               stopped, and its printer-state-message
//   queueSays(state)   the operator's words after a shortfall: out of paper,
//               off line, or the printer's own message for any other error;
//               nothing where the queue names no trouble
//   heldJobWords(shown, release, state)   said once a run when a paused
//               queue took a job whole and holds it: it counts as delivered,
//               and the operator learns which command lets it print

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace label {

// What a printer says of itself, the same whether its driver or its queue
// tells it.
inline constexpr std::string_view printerOutOfPaper = "the printer is out of paper";
inline constexpr std::string_view printerOffLine = "the printer is off line";
inline constexpr std::string_view printerError = "the printer reports an error";

struct QueueState {
    bool paused = false;
    bool paperOut = false;
    bool offLine = false;
    bool error = false;
    std::string message;  // the printer's own words, where it gives any
};

QueueState queueStateFromReasons(const std::vector<std::string>& reasons, bool stopped, std::string message);

std::optional<std::string> queueSays(const QueueState& state);

std::string heldJobWords(std::string_view shown, std::string_view release, const QueueState& state);

}  // namespace label
