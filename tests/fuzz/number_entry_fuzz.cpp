// The formatted read against an independent reading of the same rules, and
// readWholeNumber run to the end of arbitrary input.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <regex>
#include <string>

#include "fakes.h"
#include "number_entry.h"
#include "require.h"

namespace {

using label::ReadOutcome;
using label::fuzzing::require;

constexpr std::size_t maxNumberLength = 15;

bool isSpace(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }
bool isSign(char byte) { return byte == '+' || byte == '-'; }

// A whole number, or the start of one that more characters could continue.
bool isNumberSoFar(const std::string& text) {
    static const std::regex number("[+-]?(0[xX][0-9a-fA-F]*|0[0-7]*|[1-9][0-9]*)");
    return std::regex_match(text, number);
}

std::int32_t expectedValue(const std::string& number) {
    const long long value = std::strtoll(number.c_str(), nullptr, 0);
    return static_cast<std::int32_t>(std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

void checkOneRead(const std::string& input) {
    label::testing::ConsoleRig rig(input);
    constexpr std::int32_t untouched = 7;
    std::int32_t value = untouched;
    const ReadOutcome outcome = readFormatted(rig.console, value);
    const bool failed = rig.console.inputFailed();
    const std::string rest = label::testing::drain(rig.console);
    require(input.ends_with(rest));
    const std::string taken = input.substr(0, input.size() - rest.size());
    const auto space = std::find_if_not(taken.begin(), taken.end(), isSpace);
    const std::string number(space, taken.end());
    switch (outcome) {
    case ReadOutcome::number:
        require(!failed && isNumberSoFar(number) && number.size() <= maxNumberLength);
        require(number.size() == maxNumberLength || rest.empty() || !isNumberSoFar(number + rest.front()));
        require(value == expectedValue(number));
        break;
    case ReadOutcome::notANumber:
        require(failed && value == 0 && number.empty() && !rest.empty());
        break;
    case ReadOutcome::ended:
        // Only a sign can have been looked at, and it was given back.
        require(number.empty() && (rest.empty() || (rest.size() == 1 && isSign(rest[0]))));
        require(value == (rest.empty() ? untouched : 0));
        break;
    }
}

void checkWholeNumbersToTheEnd(const std::string& input) {
    label::testing::ConsoleRig rig(input);
    constexpr std::array<std::string_view, 2> retryTexts = {"again\n", "> "};
    std::size_t numbers = 0;
    try {
        for (;;) {
            readWholeNumber(rig.console, retryTexts);
            require(++numbers <= input.size());
        }
    } catch (const label::InputEnded&) {
    }
    require(rig.input.readsAfterEnd == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    checkOneRead(input);
    checkWholeNumbersToTheEnd(input);
    return 0;
}
