#include "number_entry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "case_names.h"
#include "fakes.h"

namespace label::testing {
namespace {

struct FormattedCase {
    std::string input;
    ReadOutcome outcome;
    std::int32_t value;
    std::string left;
};

const char* outcomeName(ReadOutcome outcome) {
    switch (outcome) {
    case ReadOutcome::number:
        return "number";
    case ReadOutcome::notANumber:
        return "not a number";
    case ReadOutcome::ended:
        return "ended";
    }
    return "?";
}

void PrintTo(const FormattedCase& c, std::ostream* out) {
    *out << '"' << escaped(c.input) << "\" " << outcomeName(c.outcome) << " " << c.value;
}

class FormattedRead : public ::testing::TestWithParam<FormattedCase> {};

TEST_P(FormattedRead, TakesTheNumberAndLeavesTheRest) {
    const FormattedCase& c = GetParam();
    ConsoleRig rig(c.input);
    std::int32_t value = 77;
    EXPECT_EQ(readFormatted(rig.console, value), c.outcome);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(drain(rig.console), c.left);
}

using enum ReadOutcome;
INSTANTIATE_TEST_SUITE_P(
    Cases, FormattedRead,
    ::testing::Values(
        FormattedCase{"12\n", number, 12, "\n"}, FormattedCase{"-7\n", number, -7, "\n"},
        FormattedCase{"+5", number, 5, ""}, FormattedCase{" \t\r\n\v\f 3 4", number, 3, " 4"},
        FormattedCase{"12.5\n", number, 12, ".5\n"}, FormattedCase{"12abc", number, 12, "abc"},
        FormattedCase{"010", number, 8, ""}, FormattedCase{"08", number, 0, "8"}, FormattedCase{"0x1F", number, 31, ""},
        FormattedCase{"-0x10", number, -16, ""}, FormattedCase{"0X", number, 0, ""},
        FormattedCase{"0x 5", number, 0, " 5"}, FormattedCase{"0xg", number, 0, "g"},
        FormattedCase{"2147483648", number, 2147483647, ""}, FormattedCase{"-99999999999", number, -2147483647 - 1, ""},
        FormattedCase{"0xFFFFFFFF", number, 2147483647, ""}, FormattedCase{"-0x80000001", number, -2147483647 - 1, ""},
        FormattedCase{"1234567890123456", number, 2147483647, "6"},
        FormattedCase{"-" + std::string(14, '0') + "12", number, 0, "12"},
        FormattedCase{"0x" + std::string(13, '0') + "1F", number, 0, "1F"},
        FormattedCase{"abc\n", notANumber, 0, "abc\n"}, FormattedCase{"-x", notANumber, 0, "-x"},
        FormattedCase{"+-1", notANumber, 0, "+-1"}, FormattedCase{".5", notANumber, 0, ".5"},
        FormattedCase{std::string("\0"
                                  "1",
                                  2),
                      notANumber, 0,
                      std::string("\0"
                                  "1",
                                  2)},
        FormattedCase{"\xff", notANumber, 0, "\xff"}, FormattedCase{"", ended, 77, ""},
        FormattedCase{" \n\n", ended, 77, ""}, FormattedCase{"-", ended, 0, "-"},
        FormattedCase{"1234567890", number, 1234567890, ""}, FormattedCase{"01234567", number, 01234567, ""},
        FormattedCase{"0x1234567", number, 0x1234567, ""}, FormattedCase{"0x89", number, 0x89, ""},
        FormattedCase{"0xabcdef", number, 0xabcdef, ""}, FormattedCase{"0XABCDEF", number, 0xABCDEF, ""}),
    caseName<FormattedCase>);

// Each byte just outside a range of digits, as the next byte after a number:
// the number ends before it, and it stays in the input.
std::vector<FormattedCase> digitEdges() {
    struct Edge {
        std::string number;
        std::int32_t value;
        std::string_view next;
    };
    const std::array<Edge, 4> edges = {{
        {"19", 19, "/:aAfF"},
        {"0", 0, "/89aA"},
        {"017", 15, "/89aA"},
        {"0x1f", 31, "/:;<=>?@GgxX`"},
    }};
    std::vector<FormattedCase> cases;
    for (const Edge& edge : edges) {
        for (const char next : edge.next) {
            cases.push_back({edge.number + next, number, edge.value, std::string(1, next)});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(DigitEdges, FormattedRead, ::testing::ValuesIn(digitEdges()), caseName<FormattedCase>);

TEST(FormattedRead, FailsAtOnceWhileMarkedFailed) {
    ConsoleRig rig("x 5");
    std::int32_t value = 3;
    rig.console.printText("prompt");
    EXPECT_EQ(readFormatted(rig.console, value), ReadOutcome::notANumber);
    EXPECT_EQ(rig.screen.text, "prompt");
    rig.console.printText(" again");
    value = 3;
    EXPECT_EQ(readFormatted(rig.console, value), ReadOutcome::notANumber);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(rig.screen.text, "prompt");
    EXPECT_EQ(rig.console.peekByte(), 'x');
}

constexpr std::array<std::string_view, 2> retryTexts = {"bad.\n\a", "again: "};

struct EntryCase {
    const char* input;
    std::int32_t value;
    const char* printed;
    const char* left;
};

void PrintTo(const EntryCase& c, std::ostream* out) { *out << '"' << escaped(c.input) << "\" gives " << c.value; }

class WholeNumberEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(WholeNumberEntry, RetriesUntilANumberComes) {
    const EntryCase& c = GetParam();
    ConsoleRig rig(c.input);
    EXPECT_EQ(readWholeNumber(rig.console, retryTexts), c.value);
    rig.console.flush();
    EXPECT_EQ(rig.screen.text, c.printed);
    EXPECT_EQ(drain(rig.console), c.left);
}

const std::string longRubbish = std::string(1000, 'z') + "zz\n9\n";

INSTANTIATE_TEST_SUITE_P(Cases, WholeNumberEntry,
                         ::testing::Values(EntryCase{"12\n", 12, "", "\n"}, EntryCase{"\n\n-3\n", -3, "", "\n"},
                                           EntryCase{"abc\n4\n", 4, "bad.\n\aagain: ", "\n"},
                                           EntryCase{"x\ny y\n0x10 z", 16, "bad.\n\aagain: bad.\n\aagain: ", " z"},
                                           EntryCase{longRubbish.c_str(), 9, "bad.\n\aagain: bad.\n\aagain: ", "\n"}),
                         caseName<EntryCase>);

struct EndCase {
    const char* input;
    const char* printed;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << '"' << escaped(c.input) << '"'; }

class WholeNumberEntryAtEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(WholeNumberEntryAtEnd, GivesUpWhenNoNumberCanCome) {
    ConsoleRig rig(GetParam().input);
    EXPECT_THROW(readWholeNumber(rig.console, retryTexts), InputEnded);
    rig.console.flush();
    EXPECT_EQ(rig.screen.text, GetParam().printed);
    EXPECT_EQ(rig.input.readsAfterEnd, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeNumberEntryAtEnd,
                         ::testing::Values(EndCase{"", ""}, EndCase{"  \n", ""}, EndCase{"+", ""},
                                           EndCase{"abc", "bad.\n\aagain: "}, EndCase{"abc\n", "bad.\n\aagain: "}),
                         caseName<EndCase>);

}  // namespace
}  // namespace label::testing
