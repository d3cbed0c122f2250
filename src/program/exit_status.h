// A result as a process exit status, which holds only 8 bits here: a success is 0, and a failure
// must never look like one, so it becomes its low byte, or 1 when that byte is 0 (-1 becomes
// 255). The full HRESULT of a failure goes to standard error.
#pragma once

#include "platform/win32_error.h"

#include <string_view>

namespace quillbrook {

int exitStatusFor(HRESULT result);

// exitStatusFor, after writing "<program>: 0x80070005" (the failure in hex) to standard error
// when `result` is a failure.
int reportExitStatus(std::string_view program, HRESULT result);

} // namespace quillbrook
