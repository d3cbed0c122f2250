#include "brackenhop/app_id_step.h"

#include "platform/hive.h"

#include <string>

namespace quillbrook {
namespace {

constexpr char kProgramName[] = "Brackenhop";
constexpr char kProgramFileName[] = "brackenhop";

// The original carried no script for this step and so reported a failure after a successful
// uninstallation; an uninstaller must see success when its work is done, so the entry is real.
[[nodiscard]] HRESULT registerAppId(RegistryKey& classes)
{
    const std::string id = kBrackenhopAppId.toString();
    auto idKey = classes.createSubKey("AppID\\" + id, KEY_WRITE);
    if (!idKey.ok())
        return HRESULT_FROM_WIN32(idKey.error());
    if (const Win32Error error = idKey.value().setValue("", REG_SZ, kProgramName))
        return HRESULT_FROM_WIN32(error);
    auto fileKey = classes.createSubKey(std::string("AppID\\") + kProgramFileName, KEY_WRITE);
    if (!fileKey.ok())
        return HRESULT_FROM_WIN32(fileKey.error());
    return HRESULT_FROM_WIN32(fileKey.value().setValue("AppID", REG_SZ, id));
}

[[nodiscard]] HRESULT unregisterAppId(RegistryKey& classes)
{
    for (const std::string& key :
         {"AppID\\" + kBrackenhopAppId.toString(), std::string("AppID\\") + kProgramFileName}) {
        const Win32Error error = classes.deleteTree(key);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(error);
    }
    return S_OK;
}

} // namespace

[[nodiscard]] HRESULT updateAppIdRegistration(bool registering)
{
    auto classes = RegistryKey::openRoot(HiveRoot::ClassesRoot);
    if (!classes.ok())
        return HRESULT_FROM_WIN32(classes.error());
    return registering ? registerAppId(classes.value()) : unregisterAppId(classes.value());
}

} // namespace quillbrook
