#pragma once

// Readable names for the cases of parametrised tests. Each case type has a
// PrintTo that says what the case is, with control characters escaped so
// that --gtest_list_tests prints no raw escape sequence; caseName turns that
// into the case's name: its number, then the printed words in letters,
// digits and underscores.

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace label::testing {

// `text` as a C string literal writes it, without the quotes.
inline std::string escaped(std::string_view text) {
    std::string shown;
    for (const char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\t') {
            shown += "\\t";
        } else if (std::isprint(code) == 0) {
            std::array<char, 5> hex{};
            std::snprintf(hex.data(), hex.size(), "\\x%02x", code);
            shown += hex.data();
        } else {
            shown += byte;
        }
    }
    return shown;
}

template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    constexpr std::size_t longest = 48;
    std::string name = std::to_string(info.index) + "_";
    for (const char byte : ::testing::PrintToString(info.param)) {
        const bool word = std::isalnum(static_cast<unsigned char>(byte)) != 0;
        if (name.size() >= longest) {
            break;
        }
        if (word) {
            name += byte;
        } else if (name.back() != '_') {
            name += '_';
        }
    }
    while (name.back() == '_') {
        name.pop_back();
    }
    return name;
}

}  // namespace label::testing
