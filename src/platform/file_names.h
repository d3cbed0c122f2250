// File names joined to folders. A name that holds a separator or a NUL would lead somewhere other
// than into the folder; the original platform refuses such names, and so do we.
#pragma once

#include "platform/win32_error.h"

#include <string>

namespace quillbrook {

// The folder and the name joined with exactly one '/' (see joinPath). ERROR_INVALID_NAME when the
// name is empty, "." or "..", or holds a '/' or a NUL byte.
Win32Result<std::string> pathInFolder(const std::string& folder, const std::string& fileName);

} // namespace quillbrook
