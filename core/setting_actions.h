#pragma once

// The menu choices that ask the operator for numbers and send them.

#include "menu_loop.h"

namespace label {

void changeDarkness(ActionContext& context);
void changeLabelWidth(ActionContext& context);
void enableBlackMarkSensor(ActionContext& context);

}  // namespace label
