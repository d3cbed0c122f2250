// The type library on this platform: a description generated from the type-info tables (the
// introspection text of both classes with their interfaces, DISPIDs and help strings) in a file of
// the user's data folder, registered as the original registered its library: TypeLib\{libid}\1.0
// with FLAGS, HELPDIR (the program's folder) and 0\win32 (the description file), and
// Interface\{iid} with the interface's name and library for each interface it describes.
#pragma once

#include "platform/hive.h"
#include "server/registration.h"

#include <QString>
#include <string>

namespace quillbrook {

// Unregistering a library whose keys are not there, as the original reported it.
inline constexpr HRESULT TYPE_E_REGISTRYACCESS = static_cast<HRESULT>(0x8002801Cu);

// <data folder>/quillbrook/Quillbrook.tlb
std::string typeLibraryFile(const std::string& dataFolder);
// <typelib name=... libid=... version="1.0" help=...>, then each class's introspection text.
QString typeLibraryDescription();

[[nodiscard]] HRESULT registerTypeLibrary(RegistryKey& classesRoot, const RegistrationTarget& target);
// TYPE_E_REGISTRYACCESS, removing nothing, when TypeLib\{libid}\1.0 does not exist.
[[nodiscard]] HRESULT unregisterTypeLibrary(RegistryKey& classesRoot, const RegistrationTarget& target);

} // namespace quillbrook
