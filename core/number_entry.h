#pragma once

// Reading whole numbers typed by the operator.
//
//   readFormatted   one attempt, with the console's own rules: skip white
//                   space, at most 15 characters, optional sign, 0x for
//                   hexadecimal, a leading 0 for octal, clamp to 32 bits
//   readWholeNumber retries with the prompt's own texts until a number comes
//
// When input is over for good no number can ever come: readWholeNumber then
// throws InputEnded, and the menu loop ends the run.

#include <cstdint>
#include <span>
#include <string_view>

#include "console.h"

namespace label {

enum class ReadOutcome { number, notANumber, ended };

// Reads into `value`. A read that fails at once (mark already set), or finds
// the end of input before any character of a number, leaves `value` as it
// was. One that took a character and found no digit (notANumber, or ended
// after a lone sign: "-" then the end) sets `value` to 0 and the console's
// failed mark, and gives the sign back.
ReadOutcome readFormatted(Console& console, std::int32_t& value);

using RetryTexts = std::span<const std::string_view>;

struct InputEnded {};

std::int32_t readWholeNumber(Console& console, RetryTexts retryTexts);

}  // namespace label
