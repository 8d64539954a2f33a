#pragma once

// What may reach a port: the command table's lines, each ended by CR LF, with
// page-mode commands (ESC "VRT2", no line end of their own) in front of any
// line and, still waiting for a line end, at the very end.

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace label::fuzzing {

inline constexpr std::string_view pageMode = "\x1bVRT2";
inline constexpr std::int64_t int32Magnitude = std::int64_t{1} << 31;

// Takes a decimal magnitude (no sign, no leading zero) of at most `max`.
inline std::optional<std::int64_t> takeMagnitude(std::string_view& text, std::int64_t max) {
    std::size_t length = 0;
    std::int64_t value = 0;
    while (length < text.size() && text[length] >= '0' && text[length] <= '9' && value <= max) {
        value = value * 10 + (text[length++] - '0');
    }
    if (length == 0 || value > max || (length > 1 && text[0] == '0')) {
        return std::nullopt;
    }
    text.remove_prefix(length);
    return value;
}

// Takes a 32-bit signed number as the channel writes it.
inline bool takeNumber(std::string_view& text) {
    const bool negative = text.starts_with('-');
    text.remove_prefix(negative ? 1 : 0);
    const auto magnitude = takeMagnitude(text, negative ? int32Magnitude : int32Magnitude - 1);
    return magnitude.has_value() && !(negative && *magnitude == 0);
}

// "Q" distance ",B" thickness, then the offset's sign and its magnitude.
inline bool isBlackMark(std::string_view line) {
    if (!line.starts_with('Q')) {
        return false;
    }
    line.remove_prefix(1);
    if (!takeNumber(line) || !line.starts_with(",B")) {
        return false;
    }
    line.remove_prefix(2);
    if (!takeNumber(line) || line.empty() || (line[0] != '+' && line[0] != '-')) {
        return false;
    }
    const bool negative = line[0] == '-';
    line.remove_prefix(1);
    const auto magnitude = takeMagnitude(line, negative ? int32Magnitude : int32Magnitude - 1);
    return magnitude.has_value() && line.empty() && !(negative && *magnitude == 0);
}

inline bool isSetting(std::string_view line, char command) {
    if (!line.starts_with(command)) {
        return false;
    }
    line.remove_prefix(1);
    return takeNumber(line) && line.empty();
}

inline void skipPageModes(std::string_view& text) {
    while (text.starts_with(pageMode)) {
        text.remove_prefix(pageMode.size());
    }
}

inline bool isCommandLine(std::string_view line) {
    skipPageModes(line);
    return line == "U" || line == "xa" || line == "Q150,024" || line == "OVRT1" || isSetting(line, 'D') ||
           isSetting(line, 'q') || isBlackMark(line);
}

inline bool isCommandStream(std::string_view stream) {
    for (auto end = stream.find("\r\n"); end != std::string_view::npos; end = stream.find("\r\n")) {
        if (!isCommandLine(stream.substr(0, end))) {
            return false;
        }
        stream.remove_prefix(end + 2);
    }
    skipPageModes(stream);
    return stream.empty();
}

}  // namespace label::fuzzing
