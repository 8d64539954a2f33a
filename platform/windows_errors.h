#pragma once

// The system's own words for an error code, without its line end: a port's
// and a socket's errors alike.

#include <windows.h>

#include <string>

namespace label::platform {

std::string describeError(DWORD error);

}  // namespace label::platform
