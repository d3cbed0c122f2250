// Brackenhop's AppID step, run on "RegServer" and at the end of "UnregServer": Brackenhop's own
// AppID entry in HKEY_CLASSES_ROOT, written or removed. Its result is the exit status of both
// switches; the removal of the context-menu entries does not depend on it.
#pragma once

#include "automation/guid.h"
#include "platform/win32_error.h"

namespace quillbrook {

// Brackenhop's own AppID, different from Quillbrook's.
inline constexpr Guid kBrackenhopAppId = *Guid::parse("{619F3437-4718-4B28-8848-7AA388CC861E}");

// Registering writes AppID\{id} (default value "Brackenhop") and AppID\brackenhop (value "AppID"
// naming the id); unregistering removes both keys. S_OK, or the hive's failure.
[[nodiscard]] HRESULT updateAppIdRegistration(bool registering);

} // namespace quillbrook
