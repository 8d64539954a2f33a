#pragma once

// The test-side copy of what the programs show and send, read once from
// tests/expectations.txt (LABEL_EXPECTATIONS_FILE; the file says how it is
// written).
//
//   expected(name, values)  the entry, each {place} in it filled from
//                           `values`, or else with the entry of that name
//   filled(text, values)    the same for a text of the test's own
//   shown(name, values)     the same as the unit tests' Transcript shows it:
//                           each screen clear as "[cls]"
//
// expectations_file::entries() has every entry as written. A missing entry
// or a malformed file throws, which fails the test at hand.

#include <cstddef>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace label::testing {

using Values = std::map<std::string, std::string, std::less<>>;

namespace expectations_file {

inline char escaped(std::string_view literal, std::size_t& at) {
    constexpr int hexadecimal = 16;
    switch (literal.at(at)) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'a':
        return '\a';
    case 'f':
        return '\f';
    case '\\':
        return '\\';
    case '"':
        return '"';
    case 'x':
        at += 2;
        return static_cast<char>(std::stoi(std::string(literal.substr(at - 1, 2)), nullptr, hexadecimal));
    default:
        throw std::invalid_argument("unknown escape");
    }
}

// The text of a C string literal, quotes included.
inline std::string unquote(std::string_view literal) {
    if (literal.size() < 2 || !literal.starts_with('"') || !literal.ends_with('"')) {
        throw std::invalid_argument("the text is not in double quotes");
    }
    literal = literal.substr(1, literal.size() - 2);
    std::string text;
    for (std::size_t at = 0; at < literal.size(); ++at) {
        text += literal[at] == '\\' ? escaped(literal, ++at) : literal[at];
    }
    return text;
}

inline Values read(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    Values entries;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.find_first_not_of(" \t") == std::string::npos || line.starts_with('#')) {
            continue;
        }
        const std::size_t colon = line.find(": ");
        try {
            if (colon == std::string::npos) {
                throw std::invalid_argument("no \": \" after the name");
            }
            entries[line.substr(0, colon)] += unquote(std::string_view(line).substr(colon + 2));
        } catch (const std::exception& problem) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + problem.what());
        }
    }
    return entries;
}

inline const Values& entries() {
    static const Values all = read(LABEL_EXPECTATIONS_FILE);
    return all;
}

inline const std::string& entry(std::string_view name) {
    const auto found = entries().find(name);
    if (found == entries().end()) {
        throw std::out_of_range("no entry \"" + std::string(name) + "\" in " LABEL_EXPECTATIONS_FILE);
    }
    return found->second;
}

}  // namespace expectations_file

inline std::string filled(std::string_view text, const Values& values = {}) {
    std::string result;
    std::size_t from = 0;
    for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{', from)) {
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos) {
            throw std::invalid_argument("\"" + std::string(text) + "\" opens a place it does not close");
        }
        const std::string_view place = text.substr(open + 1, close - open - 1);
        const auto given = values.find(place);
        result += text.substr(from, open - from);
        result += given != values.end() ? given->second : expectations_file::entry(place);
        from = close + 1;
    }
    return result + std::string(text.substr(from));
}

inline std::string expected(std::string_view name, const Values& values = {}) {
    return filled(expectations_file::entry(name), values);
}

inline std::string shown(std::string_view name, const Values& values = {}) {
    std::string text = expected(name, values);
    for (std::size_t clear = text.find('\f'); clear != std::string::npos; clear = text.find('\f', clear)) {
        text.replace(clear, 1, "[cls]");
    }
    return text;
}

}  // namespace label::testing
