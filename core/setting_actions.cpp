#include "setting_actions.h"

#include <array>
#include <cstdint>
#include <string>

#include "number_entry.h"
#include "printer_commands.h"

namespace label {
namespace {

constexpr std::array<std::string_view, 2> darknessRetryTexts = {
    "Invalid input.\n\a",
    "No decimals, WHOLE NUMBER only...Enter an integer: ",
};
// The label width and the mark distance answer alike.
constexpr std::array<std::string_view, 2> dotsRetryTexts = {
    "invalid input.\n\a",
    "WHOLE NUMBER ONLY    Enter an integer: ",
};
constexpr std::array<std::string_view, 3> thicknessRetryTexts = {
    "invalid input.\n\a",
    "Enter an integer \n",
    "No Decimals...WHOLE NUMBER ONLY: ",
};
constexpr std::array<std::string_view, 3> offsetRetryTexts = {
    "invalid input.\n\a",
    "NO DECIMALS ONLY WHOLE SIGNED NUMBERS (-34,56,-45 etc.)\n",
    "Enter a signed integer only (Whole numbers): ",
};

void printNumber(Console& console, std::int32_t value) { console.printText(std::to_string(value)); }

std::int32_t askMarkDistance(Console& console) {
    console.clearScreen();
    console.printLine("You have chosen to set the printer to use a");
    console.printLine("black mark sensor");
    console.printBlank();
    console.printLine("Enter the distance in dots");
    console.printLine("(203 dots =1 inch in 203 dots per inch printers");
    console.printLine("300 dots=1 inch in 300 dots per inch printers)");
    console.printLine("from the end of one black mark to the beginning of");
    console.printLine("the next black mark (example 203dpi printer - 3 inches");
    console.printText("would be 609)  For 3.5 inches with a 203 dpi printer\n");
    console.printText("you would enter 710.     WHOLE NUMBERS ONLY NO DECIMALS\n");
    console.printLine("Enter this value now\n");
    return readWholeNumber(console, dotsRetryTexts);
}

std::int32_t askLineThickness(Console& console, std::int32_t distance) {
    console.clearScreen();
    console.printBlank();
    console.printBlank();
    console.printText("You entered the distance between black marks is ");
    printNumber(console, distance);
    console.printLine(" dots");
    console.printBlank();
    console.printLine("Next enter the thickness of the black line in dots..");
    console.printLine("Example for a 203 dots per inch printer 1/4 (.25) inch");
    console.printLine("would be 51 dots   (203/4 = 51)");
    console.printText("WHOLE NUMBERS ONLY, (NO DECIMALS)\n");
    console.printLine("Enter the thickness of the black line in dots now...");
    return readWholeNumber(console, thicknessRetryTexts);
}

std::int32_t askOffset(Console& console, const PortProfile& profile, std::int32_t thickness) {
    console.clearScreen();
    console.printLine("You entered the thickness of the black");
    console.printText("line is ");
    printNumber(console, thickness);
    console.printLine(" dots");
    console.printBlank();
    console.printBlank();
    console.printLine("Next enter the offset in dots");
    console.printLine("The offset is the distance from");
    console.printLine(profile.offsetExplanationLine);
    console.printLine("or the perforation");
    console.printLine("This number can be a positive or negative number ");
    console.printLine("OR Zero (0) depending upon");
    console.printLine("the tear off position");
    console.printBlank();
    console.printBlank();
    console.printText(" Examples include :  -45,15,125,-87\n");
    console.printText("NO DECIMALS, Whole Numbers only\n");
    console.printLine("Enter the Offset in dots now");
    return readWholeNumber(console, offsetRetryTexts);
}

}  // namespace

void changeDarkness(ActionContext& context) {
    Console& console = context.console;
    console.printLine("Enter the darkness setting ");
    context.settings.darkness = readWholeNumber(console, darknessRetryTexts);
    sendDarkness(context.channel, context.settings.darkness);
    console.clearScreen();
    console.printText("The Darkness Setting has been changed to ");
    printNumber(console, context.settings.darkness);
}

void changeLabelWidth(ActionContext& context) {
    Console& console = context.console;
    console.clearScreen();
    console.printLine("You have chosen to redefine the label width");
    console.printBlank();
    console.printLine("Enter the number of dots that corresponds to");
    console.printLine("the width of your label");
    console.printLine("example: for a 2 inch wide label, if your printer");
    console.printLine("is 203 dots/inch  the number of dots would be 406,");
    console.printLine("If your printer");
    console.printLine("is 300 dots per inch, for a 2 inch wide label, the");
    console.printLine("number of dots would be 600. WHOLE NUMBERS ONLY NO DECIMALS\n");
    console.printText("Enter the number of dots for your label width now\n");
    context.settings.labelWidth = readWholeNumber(console, dotsRetryTexts);
    sendLabelWidth(context.channel, context.settings.labelWidth);
    console.clearScreen();
    console.printText("Your label width has been changed to ");
    printNumber(console, context.settings.labelWidth);
    console.printText(" dots");
}

void enableBlackMarkSensor(ActionContext& context) {
    Console& console = context.console;
    Settings& settings = context.settings;
    settings.markDistance = askMarkDistance(console);
    settings.lineThickness = askLineThickness(console, settings.markDistance);
    settings.offset = askOffset(console, context.profile, settings.lineThickness);
    console.clearScreen();
    console.printBlank();
    sendBlackMark(context.channel, settings.markDistance, settings.lineThickness, settings.offset);
    console.clearScreen();
    console.printText("You have set the offset to ");
    printNumber(console, settings.offset);
    console.printBlank();
    console.printBlank();
    console.printLine("You have now issued a command to enable the black mark sensor");
    console.printText("Press the feed button ON THE PRINTER to test your calculations");
}

}  // namespace label
