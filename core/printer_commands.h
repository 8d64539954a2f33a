#pragma once

// The printer's command set: one function per command line the programs send,
// each writing its bytes to the channel. This is the one place that knows
// them; the actions around it hold only the dialogue.
//
//   sendConfigurationLabel   U CR LF
//   sendCalibrate            xa CR LF
//   sendDarkness(n)          D n CR LF
//   sendLabelWidth(n)        q n CR LF
//   sendGapSensor            Q150,024 CR LF
//   sendLineMode             OVRT1 CR LF
//   sendPageMode             ESC VRT2, no line end: it waits in the channel
//                            for the next line end or the close
//   sendBlackMark(d, t, o)   Q d ,B t, then + or -, the offset's digits, CR LF
//
// Numbers are decimal, with a leading "-" only where negative.

#include <cstdint>

#include "printer_channel.h"

namespace label {

void sendConfigurationLabel(PrinterChannel& channel);
void sendCalibrate(PrinterChannel& channel);
void sendDarkness(PrinterChannel& channel, std::int32_t darkness);
void sendLabelWidth(PrinterChannel& channel, std::int32_t dots);
void sendGapSensor(PrinterChannel& channel);
void sendLineMode(PrinterChannel& channel);
void sendPageMode(PrinterChannel& channel);
void sendBlackMark(PrinterChannel& channel, std::int32_t distance, std::int32_t thickness, std::int32_t offset);

}  // namespace label
