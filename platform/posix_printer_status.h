#pragma once

// What a printer says about itself, where its Linux driver lets the program
// ask (LPGETSTATUS): the parallel port driver (lp) reads the port's status
// lines; the USB printer class driver (usblp) asks the printer for its
// status byte on the control pipe. Both hand on the same three signs (paper
// out, selected, no error); only lp's register has a busy line, which the
// port's hardware inverts, and a USB printer's byte has none.
//
//   printerDriver(device, root)   which of the two a device number belongs
//                to: lp has major 6 to itself; major 180 is every USB class
//                driver's, so there the driver sysfs names below `root` ("/"
//                in the programs, a folder of stand-ins in the tests) decides
//   printerWords(driver, status)  what a status means to the operator, the
//                most useful sign first (a printer out of paper often
//                deselects itself too); nothing where it says all is well
//   askPrinter(fd, driver)   the printer's words, asked on a duplicate of
//                the descriptor on a helper thread (helper_thread.h)
//                and waited for at most printerAnswerPatience: usblp waits
//                for the printer uninterruptibly, up to its own 5-second
//                control timeout, which no signal can cut short. The
//                duplicate keeps the driver's file open until the helper is
//                done, so a slow answer never reaches another file that took
//                the descriptor's number; it is let go before the answer is
//                handed back. A printer that answers only after the wait
//                holds usblp's one open that long, up to those 5 seconds.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace label::platform {

enum class PrinterDriver { none, parallel, usb };

// Long enough for a printer's controller to answer on its control pipe,
// short enough to add nothing the operator feels to the stall's 5 seconds.
inline constexpr std::chrono::milliseconds printerAnswerPatience{500};

PrinterDriver printerDriver(dev_t device, const std::string& root = "/");

std::optional<std::string> printerWords(PrinterDriver driver, int status);

std::optional<std::string> askPrinter(int fd, PrinterDriver driver);

}  // namespace label::platform
