#pragma once

// Tells the operator when command lines did not reach the printer. The
// dialogue on standard output goes on exactly as with a working port; this
// speaks on the error console instead, and through the exit status.
//
//   startChoice   a new menu choice: it may have one line of its own
//   sent(n)       n command lines were handed to the channel
//   lost(n)       n of them did not reach the printer in full
//   fault(port, problem)   says so on the error console, once per choice;
//                 a problem already said elsewhere comes without words
//   finish        the closing summary, if anything was lost
//   exitStatus    0 if every line sent reached the printer, else 1

#include <cstddef>
#include <string>
#include <string_view>

#include "console.h"

namespace label {

class DeliveryReport {
public:
    DeliveryReport(std::string_view program, Console& console);

    void startChoice() { saidThisChoice_ = false; }
    void sent(std::size_t lines) { sent_ += lines; }
    void lost(std::size_t lines) { lost_ += lines; }
    void fault(std::string_view port, std::string_view problem);
    void finish();
    [[nodiscard]] int exitStatus() const { return lost_ == 0 ? 0 : 1; }

private:
    std::string program_;
    Console& console_;
    std::string port_;
    std::size_t sent_ = 0;
    std::size_t lost_ = 0;
    bool saidThisChoice_ = false;
};

}  // namespace label
