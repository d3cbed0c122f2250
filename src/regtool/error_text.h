// Win32 codes in the plain words the original platform uses for them.
#pragma once

#include "platform/win32_error.h"

#include <string>
#include <string_view>

namespace quillbrook::regtool {

std::string describeWin32Error(Win32Error error);

// The words for a registry key or value that does not exist.
inline constexpr std::string_view missingKeyOrValue =
    "The system was unable to find the specified registry key or value.";

// Like describeWin32Error, but a missing key or value is named as such.
std::string describeRegistryError(Win32Error error);

} // namespace quillbrook::regtool
