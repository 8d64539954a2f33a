#include <gtest/gtest.h>

#include <string>

#include "fakes.h"

namespace label::testing {
namespace {

TEST(Console, TextWaitsUntilALineEnds) {
    ConsoleRig rig("");
    rig.console.printText("pending");
    EXPECT_EQ(rig.screen.text, "");
    rig.console.printLine(" line");
    EXPECT_EQ(rig.screen.text, "pending line\n");
    rig.console.printBlank();
    EXPECT_EQ(rig.screen.text, "pending line\n\n");
}

TEST(Console, ClearScreenRunsAheadOfPendingText) {
    ConsoleRig rig("");
    rig.console.printText("confirmation");
    rig.console.clearScreen();
    rig.console.printBlank();
    EXPECT_EQ(rig.screen.text, "[cls]confirmation\n");
}

TEST(Console, HandsOnEarlyPastFiveHundredTwelveBytes) {
    ConsoleRig rig("");
    const std::string full(Console::pendingCapacity, 'a');
    rig.console.printText(full);
    EXPECT_EQ(rig.screen.text, "");
    rig.console.printText("b");
    EXPECT_EQ(rig.screen.text, full + "b");
}

TEST(Console, InputEndsForGood) {
    ConsoleRig rig("x");
    EXPECT_EQ(rig.console.takeByte(), 'x');
    EXPECT_EQ(rig.console.peekByte(), endOfInput);
    EXPECT_EQ(rig.console.takeByte(), endOfInput);
    EXPECT_EQ(rig.input.readsAfterEnd, 1);
}

TEST(Console, PutBackComesFirst) {
    ConsoleRig rig("b");
    rig.console.putBack("-a");
    EXPECT_EQ(rig.console.takeByte(), '-');
    EXPECT_EQ(rig.console.takeByte(), 'a');
    EXPECT_EQ(rig.console.takeByte(), 'b');
}

}  // namespace
}  // namespace label::testing
