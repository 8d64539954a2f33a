#include "windows_errors.h"

#include <array>
#include <cstddef>

namespace label::platform {

std::string describeError(DWORD error) {
    constexpr std::size_t longestWords = 512;
    std::array<char, longestWords> text{};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::string words(text.data(), length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(error) : words;
}

}  // namespace label::platform
