#include "printer_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"

namespace label::testing {
namespace {

class Channel : public ::testing::Test {
protected:
    RecordingPorts ports;
    RecordingPorts::Port& port = ports[PortKind::parallel];
    ConsoleRig rig{""};
    DeliveryReport report{"labellpt", rig.console};
    PrinterChannel channel{ports, report};
};

TEST_F(Channel, LineEndSendsTheLineWithCarriageReturnAndLineFeed) {
    channel.open(PortKind::parallel);
    channel.writeText("D");
    channel.writeNumber(-3);
    EXPECT_EQ(port.received, "");
    channel.endLine();
    EXPECT_EQ(port.received, "D-3\r\n");
}

TEST_F(Channel, BytesWithoutLineEndWaitForTheNextLineOrTheClose) {
    channel.open(PortKind::parallel);
    channel.writeChar('\x1b');
    channel.writeText("VRT2");
    channel.writeText("U");
    channel.endLine();
    EXPECT_EQ(port.received, "\x1bVRT2U\r\n");
    channel.writeChar('\x1b');
    channel.close();
    EXPECT_EQ(port.received, "\x1bVRT2U\r\n\x1b");
}

TEST_F(Channel, HandsOnEveryFiveHundredTwelveBytes) {
    channel.open(PortKind::parallel);
    channel.writeText(std::string(PrinterChannel::pendingCapacity + 1, 'a'));
    EXPECT_EQ(port.received.size(), PrinterChannel::pendingCapacity);
    EXPECT_EQ(port.writeCount, 1);
}

TEST_F(Channel, FailedOpenDropsEverythingUntilOpenedAgain) {
    port.opens = false;
    channel.open(PortKind::parallel);
    EXPECT_TRUE(channel.hasFailed());
    channel.writeText("U");
    channel.endLine();
    channel.close();
    port.opens = true;
    channel.open(PortKind::parallel);
    channel.writeText("xa");
    channel.endLine();
    EXPECT_EQ(port.received, "xa\r\n");
}

TEST_F(Channel, RefusedBytesStayPendingAndNewTextIsDropped) {
    port.capacity = 2;
    channel.open(PortKind::parallel);
    channel.writeText("xa");
    channel.endLine();
    EXPECT_TRUE(channel.hasFailed());
    EXPECT_EQ(port.received, "xa");
    channel.writeText("U");
    port.capacity = 100;
    channel.endLine();
    EXPECT_EQ(port.received, "xa\r\n");
    EXPECT_TRUE(channel.hasFailed()) << "the mark stays until the close";
    channel.writeText("U");
    channel.endLine();
    EXPECT_EQ(port.received, "xa\r\n");
}

TEST_F(Channel, ClosingTwiceOrUnopenedIsHarmless) {
    channel.close();
    channel.open(PortKind::parallel);
    channel.close();
    channel.close();
    channel.writeText("U");
    channel.endLine();
    EXPECT_EQ(port.received, "");
    EXPECT_EQ(port.writeCount, 0);
}

}  // namespace
}  // namespace label::testing
