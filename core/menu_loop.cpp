#include "menu_loop.h"

#include <array>

#include "number_entry.h"
#include "one_step_actions.h"
#include "setting_actions.h"

namespace label {
namespace {

using Action = void (*)(ActionContext&);

// Choices 1 to 8, in order.
constexpr std::array<Action, 8> actions = {
    printConfigurationLabel, calibrate,        changeDarkness,   changeLabelWidth,
    enableGapSensor,         changeToLineMode, changeToPageMode, enableBlackMarkSensor,
};

constexpr std::int32_t leaveChoice = 9;

void showMenu(Console& console, const PortProfile& profile) {
    console.printBlank();
    console.printBlank();
    console.printLine("These are your 9 choices");
    for (int line = 0; line < profile.blankLinesAfterTitle; ++line) {
        console.printBlank();
    }
    console.printLine("Enter 1 to Print a configuration label");
    console.printLine("Enter 2 to Calibrate the printer");
    console.printLine("Enter 3 to Change the darkness");
    console.printLine("Enter 4 to Change the LABEL width");
    console.printLine("Enter 5 to Enable the gap sensor");
    console.printLine("Enter 6 to Change to Line Mode *CAUTION*");
    console.printLine("Enter 7 to Change to Page Mode *CAUTION*");
    console.printLine("Enter 8 to Enable the black mark sensor");
    console.printLine("Enter 9  to exit");
    console.printLine("Enter your choice now 1,2,3,4,5,6,7,8,or 9");
    console.printLine("Any other choice will exit you out of the program\n");
}

void leave(Console& console, const PortProfile& profile) {
    switch (profile.leaving) {
    case LeavingStyle::clearScreen:
        console.clearScreen();
        break;
    case LeavingStyle::sayGoodbye:
        console.printText("You have chosen to close the program");
        break;
    }
}

// Shows the menu and runs the choice read; false once the run is over. A
// failed read leaves the choice at 0, which ends the run like any other
// choice outside the menu.
bool runCycle(ActionContext& context) {
    showMenu(context.console, context.profile);
    std::int32_t choice = 0;
    switch (readFormatted(context.console, choice)) {
    case ReadOutcome::ended:
        return false;
    case ReadOutcome::notANumber:
    case ReadOutcome::number:
        break;
    }
    if (choice >= 1 && choice <= static_cast<std::int32_t>(actions.size())) {
        actions.at(static_cast<std::size_t>(choice - 1))(context);
        return true;
    }
    if (choice == leaveChoice) {
        leave(context.console, context.profile);
    }
    return false;
}

// A per-cycle channel is opened before the menu and closed once the choice
// has run, so everything the choice sent is at the port before the next menu.
// Opening it only records the port: the printer is reached at the choice's
// first byte (ports.h), so the menu itself waits for nothing.
void runCycles(ActionContext& context, DeliveryReport& report) {
    const bool perCycle = context.profile.channelLifetime == ChannelLifetime::oneMenuCycle;
    for (bool goOn = true; goOn;) {
        report.startChoice();
        if (perCycle) {
            context.channel.open(context.profile.port);
        }
        goOn = runCycle(context);
        if (perCycle) {
            context.channel.close();
        }
    }
}

}  // namespace

int runMenuLoop(const PortProfile& profile, Console& console, PortOpener& ports) {
    DeliveryReport report(portKind(profile.port).program, console);
    PrinterChannel channel(ports, report);
    Settings settings;
    ActionContext context{console, channel, settings, profile};
    if (profile.channelLifetime == ChannelLifetime::wholeRun) {
        channel.open(profile.port);
    }
    try {
        runCycles(context, report);
    } catch (const InputEnded&) {
        // Nothing more can be typed: end as any other way out does.
    }
    channel.close();
    report.finish();
    return report.exitStatus();
}

}  // namespace label
