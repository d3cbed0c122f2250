// The AppID entry and one class's ProgID and CLSID keys under HKEY_CLASSES_ROOT.
#pragma once

#include "automation/interface_info.h"
#include "platform/hive.h"

#include <string>

namespace quillbrook {

// AppID\{appid} = "Quillbrook" and AppID\<program file name> with "AppID" = {appid}. The key
// AppID itself is never removed.
[[nodiscard]] Win32Error writeAppIdEntry(const RegistryKey& classesRoot, const std::string& programFileName);
[[nodiscard]] Win32Error removeAppIdEntry(RegistryKey& classesRoot, const std::string& programFileName);

// The versioned and the version-independent ProgID keys and CLSID\{clsid} (removed first when it
// exists), with LocalServer32 naming the program in double quotes. The key CLSID itself stays.
[[nodiscard]] Win32Error writeClassKeys(RegistryKey& classesRoot, const ClassInfo& info,
                                        const std::string& programPath);
[[nodiscard]] Win32Error removeClassKeys(RegistryKey& classesRoot, const ClassInfo& info);

} // namespace quillbrook
