#include "delivery_report.h"

namespace label {

DeliveryReport::DeliveryReport(std::string_view program, Console& console) : program_(program), console_(console) {}

// A fault without words has been said already (a refused port variable).
void DeliveryReport::fault(std::string_view port, std::string_view problem) {
    port_ = port;
    if (saidThisChoice_ || problem.empty()) {
        return;
    }
    saidThisChoice_ = true;
    console_.printError(program_ + ": the printer on " + port_ +
                        " did not get the last command: " + std::string(problem));
}

// A line written in mid-dialogue is usually wiped by the next screen clear;
// this is what the operator still sees once the run is over.
void DeliveryReport::finish() {
    if (lost_ > 0) {
        console_.printError(program_ + ": " + std::to_string(lost_) + " of " + std::to_string(sent_) +
                            " command lines did not reach the printer on " + port_);
    }
}

}  // namespace label
