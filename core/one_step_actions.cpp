#include "one_step_actions.h"

#include "printer_commands.h"

namespace label {

void printConfigurationLabel(ActionContext& context) {
    sendConfigurationLabel(context.channel);
    context.console.printBlank();
    context.console.printText("****>>>A configuration page should have printed<<<****");
    context.console.clearScreen();
}

void calibrate(ActionContext& context) {
    sendCalibrate(context.channel);
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
    sendGapSensor(context.channel);
    sendCalibrate(context.channel);
    console.clearScreen();
    console.printLine("Your gap sensor should now be enabled and the printer");
    console.printText("should be calibrated");
}

void changeToLineMode(ActionContext& context) {
    context.console.printLine("You have chosen to change from page mode to line mode");
    sendLineMode(context.channel);
    context.console.clearScreen();
    context.console.printText("Your printer has been given the command to change to line mode");
}

void changeToPageMode(ActionContext& context) {
    Console& console = context.console;
    console.clearScreen();
    console.printLine("You have chosen to change from line mode to page mode");
    console.printBlank();
    console.printLine("Your printer should now be in page mode");
    sendPageMode(context.channel);
}

}  // namespace label
