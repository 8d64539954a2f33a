#pragma once

// The menu choices that need no number from the operator.

#include "menu_loop.h"

namespace label {

void printConfigurationLabel(ActionContext& context);
void calibrate(ActionContext& context);
void enableGapSensor(ActionContext& context);
void changeToLineMode(ActionContext& context);
void changeToPageMode(ActionContext& context);

}  // namespace label
