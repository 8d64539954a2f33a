#pragma once

// What the operator is shown, assembled as the tests expect it.

#include <string>

namespace label::testing {

inline std::string menuText(int blankLinesAfterTitle) {
    return "\n\nThese are your 9 choices\n" + std::string(static_cast<std::size_t>(blankLinesAfterTitle), '\n') +
           "Enter 1 to Print a configuration label\n"
           "Enter 2 to Calibrate the printer\n"
           "Enter 3 to Change the darkness\n"
           "Enter 4 to Change the LABEL width\n"
           "Enter 5 to Enable the gap sensor\n"
           "Enter 6 to Change to Line Mode *CAUTION*\n"
           "Enter 7 to Change to Page Mode *CAUTION*\n"
           "Enter 8 to Enable the black mark sensor\n"
           "Enter 9  to exit\n"
           "Enter your choice now 1,2,3,4,5,6,7,8,or 9\n"
           "Any other choice will exit you out of the program\n\n";
}

}  // namespace label::testing
