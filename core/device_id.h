#pragma once

// Who a printer says it is: the IEEE 1284 device ID that USB and parallel
// printers give ("MFG:Corvane;MDL:VRT-4;CMD:...;"), read on every system.
//
//   printerName(deviceId) "MAKER MODEL" from MFG (or MANUFACTURER) and MDL (or
//                     MODEL), either alone if the other is missing; nothing
//                     if neither is there. Keys are matched in any case, the
//                     last field needs no ";", control characters show as ?
//                     (console.h), and each part is cut at nameLength.
//   lengthPrefixed(reply)   the ID inside a reply that begins with its own
//                     length, two bytes big-endian counting themselves (the
//                     USB printer class's answer); a length past the reply
//                     is cut to it, one under two gives nothing.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace label {

inline constexpr std::size_t nameLength = 40;

std::optional<std::string> printerName(std::string_view deviceId);

std::string_view lengthPrefixed(std::string_view reply);

}  // namespace label
