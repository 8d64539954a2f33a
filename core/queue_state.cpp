#include "queue_state.h"

#include <utility>

namespace label {
namespace {

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

// A reason may come with the suffix -report, -warning or -error, or none.
QueueState queueStateFromReasons(const std::vector<std::string>& reasons, bool stopped, std::string message) {
    QueueState state;
    state.paused = stopped;
    state.message = std::move(message);
    for (const auto& reason : reasons) {
        if (startsWith(reason, "media-empty")) {
            state.paperOut = true;
        } else if (startsWith(reason, "offline")) {
            state.offLine = true;
        } else if (endsWith(reason, "-error")) {
            state.error = true;
        }
    }
    return state;
}

std::optional<std::string> queueSays(const QueueState& state) {
    if (state.paperOut) {
        return std::string(printerOutOfPaper);
    }
    if (state.offLine) {
        return std::string(printerOffLine);
    }
    if (state.error) {
        return state.message.empty() ? std::string(printerError) : state.message;
    }
    return std::nullopt;
}

std::string heldJobWords(std::string_view shown, std::string_view release, const QueueState& state) {
    std::string words =
        std::string(shown) + " is paused: the job waits in the queue until " + std::string(release) + " lets it print";
    if (auto says = queueSays(state)) {
        words += " (" + *says + ")";
    }
    return words;
}

}  // namespace label
