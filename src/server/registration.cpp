#include "server/registration.h"

#include "automation/bus_activation.h"
#include "interfaces/ifileopenservice.h"
#include "interfaces/iservice.h"
#include "platform/folders.h"
#include "server/activation_file.h"
#include "server/class_keys.h"
#include "server/type_library.h"

#include <filesystem>
#include <system_error>

namespace quillbrook {
namespace {

std::string programFileName(const RegistrationTarget& target)
{
    return std::filesystem::path(target.programPath).filename().string();
}

enum class ActivationFile { Write, Leave };

[[nodiscard]] HRESULT writeRegistration(const RegistrationTarget& target, ActivationFile activationFile)
{
    auto classesRoot = RegistryKey::openRoot(HiveRoot::ClassesRoot);
    if (!classesRoot.ok())
        return HRESULT_FROM_WIN32(classesRoot.error());
    if (const Win32Error error = writeAppIdEntry(classesRoot.value(), programFileName(target)))
        return HRESULT_FROM_WIN32(error);
    for (const ClassInfo* info : serverClasses()) {
        if (const Win32Error error = writeClassKeys(classesRoot.value(), *info, target.programPath))
            return HRESULT_FROM_WIN32(error);
    }
    if (activationFile == ActivationFile::Write) {
        if (const Win32Error error = writeActivationFile(target.dataFolder, target.programPath))
            return HRESULT_FROM_WIN32(error);
    }
    return registerTypeLibrary(classesRoot.value(), target);
}

} // namespace

std::array<const ClassInfo*, 2> serverClasses()
{
    return {&serviceClassInfo(), &fileOpenServiceClassInfo()};
}

RegistrationTarget RegistrationTarget::forThisProgram()
{
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return {program.string(), applicationDataFolder()};
}

[[nodiscard]] HRESULT registerServer(const RegistrationTarget& target)
{
    return writeRegistration(target, ActivationFile::Write);
}

[[nodiscard]] HRESULT registerClassesOnFirstUse(const RegistrationTarget& target)
{
    // Registered is what a client's activation looks for: CService's LocalServer32 command.
    std::string commandLine;
    const QString clsid = QString::fromStdString(serverClasses()[0]->clsid.toString());
    if (SUCCEEDED(bus::localServerCommandLine(clsid, commandLine)))
        return S_FALSE;
    return writeRegistration(target, ActivationFile::Leave);
}

[[nodiscard]] HRESULT unregisterServer(const RegistrationTarget& target)
{
    auto classesRoot = RegistryKey::openRoot(HiveRoot::ClassesRoot);
    if (!classesRoot.ok())
        return HRESULT_FROM_WIN32(classesRoot.error());
    for (const ClassInfo* info : serverClasses()) {
        if (const Win32Error error = removeClassKeys(classesRoot.value(), *info))
            return HRESULT_FROM_WIN32(error);
    }
    if (const Win32Error error = removeActivationFile(target.dataFolder))
        return HRESULT_FROM_WIN32(error);
    if (const HRESULT result = unregisterTypeLibrary(classesRoot.value(), target); FAILED(result))
        return result;
    return HRESULT_FROM_WIN32(removeAppIdEntry(classesRoot.value(), programFileName(target)));
}

} // namespace quillbrook
