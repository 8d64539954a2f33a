#pragma once

// Words about ports that belong to no one system.
//
//   noLineSettings(way)   why labelcom's answer 1 leaves a network port or a
//                         printer queue as it is
//   missingQueueWords(name, queues, noneHint)   what the operator is told
//                         when no queue is named `name`: the queues there
//                         are, each as printer:NAME to paste, or `noneHint`

#include <string>
#include <string_view>
#include <vector>

#include "port_value.h"

namespace label {

std::string noLineSettings(PortWay way);

std::string missingQueueWords(std::string_view name, const std::vector<std::string>& queues, std::string_view noneHint);

}  // namespace label
