// What "RegServer" writes into the hive's HKEY_CLASSES_ROOT and the user's data folder, and what
// "UnregServer" removes: the AppID entry, each class's ProgID and CLSID keys, the D-Bus activation
// file by which the bus starts the program with its embedding switch, and the type library (its
// description file and TypeLib and Interface keys). Context-menu entries, the scripts folder and
// the settings are never touched.
#pragma once

#include "automation/guid.h"
#include "automation/interface_info.h"
#include "platform/win32_error.h"

#include <array>
#include <string>

namespace quillbrook {

// Quillbrook's AppID, which is also its type library's identifier.
inline constexpr Guid kQuillbrookAppId = *Guid::parse("{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}");

// The creatable classes in table order: CService, then CFileOpenService.
std::array<const ClassInfo*, 2> serverClasses();

struct RegistrationTarget {
    std::string programPath; // the program's full path
    std::string dataFolder;  // $XDG_DATA_HOME: the activation file and the type library description

    // The running program and the current user's data folder.
    static RegistrationTarget forThisProgram();
};

// The AppID entry (stopping at its failure), each class in table order with the activation file
// (stopping at the first failure), then the type library, whose result is the result.
[[nodiscard]] HRESULT registerServer(const RegistrationTarget& target);
// For a server that the bus started from a system-wide activation file for a user whose hive does
// not know its classes yet (no LocalServer32 for CService): the AppID entry, the class keys and
// the type library, as "RegServer" writes them, without a per-user activation file, since the
// bus has one already. S_FALSE when the classes were registered before, and nothing is written.
[[nodiscard]] HRESULT registerClassesOnFirstUse(const RegistrationTarget& target);
// Each class's keys and the activation file (stopping at the first failure), the type library,
// then, only when that succeeded, the AppID entry, whose result is the result. Keys that are
// already gone count as removed; the type library's keys missing fail as TYPE_E_REGISTRYACCESS.
[[nodiscard]] HRESULT unregisterServer(const RegistrationTarget& target);

} // namespace quillbrook
