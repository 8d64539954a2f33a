#include "port_words.h"

#include "port_kinds.h"

namespace label {

std::string noLineSettings(PortWay way) {
    if (way == PortWay::network) {
        return "a network port has no line settings; going on";
    }
    return "a printer queue has no line settings here (the system sets its port up); going on";
}

std::string missingQueueWords(std::string_view name, const std::vector<std::string>& queues,
                              std::string_view noneHint) {
    const std::string missing = "no printer is installed by the name " + std::string(name);
    if (queues.empty()) {
        return missing + ", nor any other: " + std::string(noneHint);
    }
    std::vector<std::string> choices;
    choices.reserve(queues.size());
    for (const auto& queue : queues) {
        choices.push_back(std::string(printerScheme) + queue);
    }
    return missing + "; printers here: " + listed(choices);
}

}  // namespace label
