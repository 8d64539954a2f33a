#pragma once

// What may reach a port: the command lines of the "... sends" entries in
// tests/expectations.txt, each ended by CR LF, with a number as the channel
// writes it wherever the entry has a {place}. A command with no line end of
// its own (page mode) may stand in front of any line and, still waiting for
// a line end, at the very end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expectations.h"

namespace label::fuzzing {

inline constexpr std::int64_t int32Magnitude = std::int64_t{1} << 31;
inline constexpr std::string_view lineEnd = "\r\n";

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

// Takes a 32-bit signed number for {place}; a "signed ..." place always
// carries its sign.
inline bool takeNumber(std::string_view& text, std::string_view place) {
    const bool signAlways = place.starts_with("signed ");
    const bool negative = text.starts_with('-');
    if (signAlways && !negative && !text.starts_with('+')) {
        return false;
    }
    text.remove_prefix(negative || signAlways ? 1 : 0);
    const auto magnitude = takeMagnitude(text, negative ? int32Magnitude : int32Magnitude - 1);
    return magnitude.has_value() && !(negative && *magnitude == 0);
}

inline bool matches(std::string_view line, std::string_view pattern) {
    while (!pattern.empty()) {
        if (pattern.starts_with('{')) {
            const std::size_t close = pattern.find('}');
            if (!takeNumber(line, pattern.substr(1, close - 1))) {
                return false;
            }
            pattern.remove_prefix(close + 1);
        } else if (line.starts_with(pattern.front())) {
            line.remove_prefix(1);
            pattern.remove_prefix(1);
        } else {
            return false;
        }
    }
    return line.empty();
}

struct Commands {
    std::vector<std::string> lines;    // without their line ends
    std::vector<std::string> unended;  // commands with no line end of their own
};

inline const Commands& commands() {
    static const Commands all = [] {
        Commands found;
        for (const auto& [name, sent] : testing::expectations_file::entries()) {
            if (!name.ends_with(" sends")) {
                continue;
            }
            std::string_view rest = sent;
            for (auto end = rest.find(lineEnd); end != std::string_view::npos; end = rest.find(lineEnd)) {
                found.lines.emplace_back(rest.substr(0, end));
                rest.remove_prefix(end + lineEnd.size());
            }
            if (!rest.empty()) {
                found.unended.emplace_back(rest);
            }
        }
        return found;
    }();
    return all;
}

inline void skipUnended(std::string_view& text) {
    for (bool skipped = true; skipped;) {
        skipped = false;
        for (const std::string& command : commands().unended) {
            if (text.starts_with(command)) {
                text.remove_prefix(command.size());
                skipped = true;
            }
        }
    }
}

inline bool isCommandLine(std::string_view line) {
    skipUnended(line);
    for (const std::string& pattern : commands().lines) {
        if (matches(line, pattern)) {
            return true;
        }
    }
    return false;
}

inline bool isCommandStream(std::string_view stream) {
    for (auto end = stream.find(lineEnd); end != std::string_view::npos; end = stream.find(lineEnd)) {
        if (!isCommandLine(stream.substr(0, end))) {
            return false;
        }
        stream.remove_prefix(end + lineEnd.size());
    }
    skipUnended(stream);
    return stream.empty();
}

}  // namespace label::fuzzing
