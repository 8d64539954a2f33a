#include "printer_commands.h"

#include <string_view>

namespace label {
namespace {

constexpr char escape = 27;

void sendLine(PrinterChannel& channel, std::string_view command) {
    channel.writeText(command);
    channel.endLine();
}

void sendSetting(PrinterChannel& channel, std::string_view command, std::int32_t value) {
    channel.writeText(command);
    channel.writeNumber(value);
    channel.endLine();
}

}  // namespace

void sendConfigurationLabel(PrinterChannel& channel) { sendLine(channel, "U"); }

void sendCalibrate(PrinterChannel& channel) { sendLine(channel, "xa"); }

void sendDarkness(PrinterChannel& channel, std::int32_t darkness) { sendSetting(channel, "D", darkness); }

void sendLabelWidth(PrinterChannel& channel, std::int32_t dots) { sendSetting(channel, "q", dots); }

// 024 keeps its leading zero: the printer reads the field as written.
void sendGapSensor(PrinterChannel& channel) { sendLine(channel, "Q150,024"); }

void sendLineMode(PrinterChannel& channel) { sendLine(channel, "OVRT1"); }

void sendPageMode(PrinterChannel& channel) {
    channel.writeChar(escape);
    channel.writeText("VRT2");
}

void sendBlackMark(PrinterChannel& channel, std::int32_t distance, std::int32_t thickness, std::int32_t offset) {
    channel.writeText("Q");
    channel.writeNumber(distance);
    channel.writeText(",B");
    channel.writeNumber(thickness);
    // The sign is always written, and the digits after it carry none; the
    // magnitude is taken in 64 bits so that the most negative offset survives.
    const std::int64_t wide = offset;
    channel.writeText(wide < 0 ? "-" : "+");
    channel.writeNumber(wide < 0 ? -wide : wide);
    channel.endLine();
}

}  // namespace label
