#include "number_entry.h"

#include <algorithm>
#include <limits>
#include <string>

namespace label {
namespace {

constexpr std::size_t maxNumberLength = 15;
constexpr std::size_t maxDiscardLength = 1000;
constexpr int octal = 8;
constexpr int decimal = 10;
constexpr int hexadecimal = 16;
// The value of the digit "a" (or "A").
constexpr int letterDigitBase = 10;

bool isSpace(int byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

int digitValue(int byte, int base) {
    int digit = base;
    if (byte >= '0' && byte <= '9') {
        digit = byte - '0';
    } else if (byte >= 'a' && byte <= 'f') {
        digit = byte - 'a' + letterDigitBase;
    } else if (byte >= 'A' && byte <= 'F') {
        digit = byte - 'A' + letterDigitBase;
    }
    return digit < base ? digit : -1;
}

std::int32_t clampToInt32(std::int64_t value) {
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

// Takes bytes for one number from the console, never more than 15 in all.
// The 15 is deliberate: it reproduces the runtime's formatted read, which
// scans a number into a buffer of that size and leaves the rest in the input
// ("1234567890123456" reads as 123456789012345, clamped, and leaves "6").
class NumberScan {
public:
    explicit NumberScan(Console& console) : console_(console) {}

    // Takes the next byte if `accepts` says so; returns it, or 0 if not taken.
    template <typename Accepts>
    int takeIf(Accepts accepts) {
        if (length_ >= maxNumberLength || !accepts(console_.peekByte())) {
            return 0;
        }
        ++length_;
        return console_.takeByte();
    }

private:
    Console& console_;
    std::size_t length_ = 0;
};

bool isSign(int byte) { return byte == '+' || byte == '-'; }
bool isZero(int byte) { return byte == '0'; }
bool isHexMark(int byte) { return byte == 'x' || byte == 'X'; }

bool skipSpace(Console& console) {
    while (isSpace(console.peekByte())) {
        console.takeByte();
    }
    return console.peekByte() != endOfInput;
}

// Adds the digits that follow, in `base`, to `magnitude`; false if none did.
bool takeDigits(NumberScan& scan, int base, std::int64_t& magnitude) {
    bool anyDigit = false;
    while (const int byte = scan.takeIf([base](int next) { return digitValue(next, base) >= 0; })) {
        anyDigit = true;
        magnitude = magnitude * base + digitValue(byte, base);
    }
    return anyDigit;
}

// No digit came. Only a sign can have been taken: it is given back, as a
// stream does, and the input is marked failed.
ReadOutcome refuse(Console& console, int sign, std::int32_t& value) {
    const bool ended = console.peekByte() == endOfInput;
    if (sign != 0) {
        console.putBack(std::string(1, static_cast<char>(sign)));
    }
    value = 0;
    console.markFailed();
    return ended ? ReadOutcome::ended : ReadOutcome::notANumber;
}

}  // namespace

ReadOutcome readFormatted(Console& console, std::int32_t& value) {
    if (console.inputFailed()) {
        return ReadOutcome::notANumber;
    }
    console.flush();
    if (!skipSpace(console)) {
        return ReadOutcome::ended;
    }
    NumberScan scan(console);
    const int sign = scan.takeIf(isSign);
    int base = decimal;
    const bool leadingZero = scan.takeIf(isZero) != 0;
    if (leadingZero) {
        base = scan.takeIf(isHexMark) != 0 ? hexadecimal : octal;
    }
    std::int64_t magnitude = 0;
    if (!takeDigits(scan, base, magnitude) && !leadingZero) {
        return refuse(console, sign, value);
    }
    value = clampToInt32(sign == '-' ? -magnitude : magnitude);
    return ReadOutcome::number;
}

namespace {

// A rejected answer is dropped up to its line end, but no further than 1000
// characters: an operator's line is never that long, and a bounded discard
// lets the next retry start on input that is still to come instead of
// swallowing a whole pasted or piped stream at once.
void discardLine(Console& console) {
    for (std::size_t count = 0; count < maxDiscardLength; ++count) {
        const int byte = console.takeByte();
        if (byte == '\n' || byte == endOfInput) {
            return;
        }
    }
}

}  // namespace

std::int32_t readWholeNumber(Console& console, RetryTexts retryTexts) {
    std::int32_t value = 0;
    for (;;) {
        switch (readFormatted(console, value)) {
        case ReadOutcome::number:
            return value;
        case ReadOutcome::ended:
            throw InputEnded{};
        case ReadOutcome::notANumber:
            break;
        }
        console.clearFailed();
        discardLine(console);
        for (const std::string_view text : retryTexts) {
            console.printText(text);
        }
    }
}

}  // namespace label
