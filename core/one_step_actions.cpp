#include "one_step_actions.h"

namespace label {
namespace {

constexpr char escape = 27;

void sendLine(PrinterChannel& channel, std::string_view command) {
    channel.writeText(command);
    channel.endLine();
}

}  // namespace

void printConfigurationLabel(ActionContext& context) {
    sendLine(context.channel, "U");
    context.console.printBlank();
    context.console.printText("****>>>A configuration page should have printed<<<****");
    context.console.clearScreen();
}

void calibrate(ActionContext& context) {
    sendLine(context.channel, "xa");
    context.console.printBlank();
    context.console.clearScreen();
    context.console.printText("***The Printer Should have calibrated***");
}

void enableGapSensor(ActionContext& context) {
    Console& console = context.console;
    console.printLine("This choice will turn the gap sensor on,");
    console.printLine("It will calibrate automatically after turning the");
    console.printLine("sensor on");
    console.printBlank();
    sendLine(context.channel, "Q150,024");
    sendLine(context.channel, "xa");
    console.clearScreen();
    console.printLine("Your gap sensor should now be enabled and the printer");
    console.printText("should be calibrated");
}

void changeToLineMode(ActionContext& context) {
    context.console.printLine("You have chosen to change from page mode to line mode");
    sendLine(context.channel, "OVRT1");
    context.console.clearScreen();
    context.console.printText("Your printer has been given the command to change to line mode");
}

void changeToPageMode(ActionContext& context) {
    Console& console = context.console;
    console.clearScreen();
    console.printLine("You have chosen to change from line mode to page mode");
    console.printBlank();
    console.printLine("Your printer should now be in page mode");
    // No line end: the bytes wait in the channel for the next line end or the close.
    context.channel.writeChar(escape);
    context.channel.writeText("VRT2");
}

}  // namespace label
