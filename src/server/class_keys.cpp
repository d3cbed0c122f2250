#include "server/class_keys.h"

#include "platform/charset.h"
#include "server/registration.h"
#include "server/registry_entries.h"

namespace quillbrook {
namespace {

std::string narrow(std::u16string_view text)
{
    return toNarrow(QStringView(text));
}

std::string appIdKey()
{
    return "AppID\\" + kQuillbrookAppId.toString();
}

std::string classKey(const ClassInfo& info)
{
    return "CLSID\\" + info.clsid.toString();
}

} // namespace

[[nodiscard]] Win32Error writeAppIdEntry(const RegistryKey& classesRoot, const std::string& programFileName)
{
    if (const Win32Error error = writeKey(classesRoot, appIdKey(), "Quillbrook"))
        return error;
    return writeKey(classesRoot, "AppID\\" + programFileName, std::nullopt, {{"AppID", kQuillbrookAppId.toString()}});
}

[[nodiscard]] Win32Error removeAppIdEntry(RegistryKey& classesRoot, const std::string& programFileName)
{
    if (const Win32Error error = removeKeyTree(classesRoot, appIdKey()))
        return error;
    return removeKeyTree(classesRoot, "AppID\\" + programFileName);
}

[[nodiscard]] Win32Error writeClassKeys(RegistryKey& classesRoot, const ClassInfo& info, const std::string& programPath)
{
    const std::string versioned = narrow(info.versionedProgId);
    const std::string independent = narrow(info.progId);
    const std::string description = narrow(info.friendlyName);
    const std::string clsid = info.clsid.toString();
    const std::string key = classKey(info);

    if (Win32Error error = writeKey(classesRoot, versioned, description))
        return error;
    if (Win32Error error = writeKey(classesRoot, versioned + "\\CLSID", clsid))
        return error;
    if (Win32Error error = writeKey(classesRoot, independent, description))
        return error;
    if (Win32Error error = writeKey(classesRoot, independent + "\\CLSID", clsid))
        return error;
    if (Win32Error error = writeKey(classesRoot, independent + "\\CurVer", versioned))
        return error;

    if (Win32Error error = removeKeyTree(classesRoot, key))
        return error;
    if (Win32Error error = writeKey(classesRoot, key, description, {{"AppID", kQuillbrookAppId.toString()}}))
        return error;
    if (Win32Error error = writeKey(classesRoot, key + "\\ProgID", versioned))
        return error;
    if (Win32Error error = writeKey(classesRoot, key + "\\VersionIndependentProgID", independent))
        return error;
    if (Win32Error error = writeKey(classesRoot, key + "\\Programmable", std::nullopt))
        return error;
    if (Win32Error error =
            writeKey(classesRoot, key + "\\LocalServer32", '"' + programPath + '"', {{"ThreadingModel", "apartment"}}))
        return error;
    return writeKey(classesRoot, key + "\\TypeLib", kQuillbrookAppId.toString());
}

[[nodiscard]] Win32Error removeClassKeys(RegistryKey& classesRoot, const ClassInfo& info)
{
    for (const std::string& key : {narrow(info.versionedProgId), narrow(info.progId), classKey(info)}) {
        if (const Win32Error error = removeKeyTree(classesRoot, key))
            return error;
    }
    return ERROR_SUCCESS;
}

} // namespace quillbrook
