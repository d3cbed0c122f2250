#include "server/type_library.h"

#include "automation/introspection.h"
#include "platform/charset.h"
#include "platform/folders.h"
#include "server/registry_entries.h"

#include <filesystem>
#include <utility>
#include <vector>

namespace quillbrook {
namespace {

constexpr char16_t kLibraryName[] = u"QuillbrookLib";
constexpr char16_t kLibraryHelp[] = u"Quillbrook 1.0 Type Library";
constexpr char kVersion[] = "1.0";

std::string libraryKey()
{
    return "TypeLib\\" + kQuillbrookAppId.toString();
}

std::string versionKey()
{
    return libraryKey() + "\\" + kVersion;
}

// Every interface the library describes: each class's default and events interface.
std::vector<const InterfaceInfo*> describedInterfaces()
{
    std::vector<const InterfaceInfo*> interfaces;
    for (const ClassInfo* info : serverClasses()) {
        for (const InterfaceInfo* interface : {info->defaultInterface, info->eventsInterface}) {
            if (interface)
                interfaces.push_back(interface);
        }
    }
    return interfaces;
}

std::string interfaceKey(const InterfaceInfo& info)
{
    return "Interface\\" + info.iid.toString();
}

} // namespace

std::string typeLibraryFile(const std::string& dataFolder)
{
    return joinPath(joinPath(dataFolder, "quillbrook"), "Quillbrook.tlb");
}

QString typeLibraryDescription()
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<typelib name=\"%1\" libid=\"%2\" "
                                 "version=\"%3\" help=\"%4\">\n")
                      .arg(QStringView(kLibraryName), QString::fromStdString(kQuillbrookAppId.toString()),
                           QLatin1StringView(kVersion), QStringView(kLibraryHelp));
    for (const ClassInfo* info : serverClasses())
        xml += introspectionXml(*info);
    return xml + QStringLiteral("</typelib>\n");
}

[[nodiscard]] HRESULT registerTypeLibrary(RegistryKey& classesRoot, const RegistrationTarget& target)
{
    const std::string file = typeLibraryFile(target.dataFolder);
    if (const Win32Error error = writeTextFile(file, typeLibraryDescription().toStdString()))
        return HRESULT_FROM_WIN32(error);

    const std::string helpFolder = std::filesystem::path(target.programPath).parent_path().string();
    const std::string version = versionKey();
    const std::pair<std::string, std::string> libraryKeys[] = {
        {version, toNarrow(QStringView(kLibraryHelp))},
        {version + "\\FLAGS", "0"},
        {version + "\\HELPDIR", helpFolder},
        {version + "\\0\\win32", file},
    };
    for (const auto& [key, value] : libraryKeys) {
        if (const Win32Error error = writeKey(classesRoot, key, value))
            return HRESULT_FROM_WIN32(error);
    }
    for (const InterfaceInfo* info : describedInterfaces()) {
        const std::string key = interfaceKey(*info);
        if (const Win32Error error = removeKeyTree(classesRoot, key))
            return HRESULT_FROM_WIN32(error);
        if (const Win32Error error = writeKey(classesRoot, key, toNarrow(QStringView(info->name))))
            return HRESULT_FROM_WIN32(error);
        if (const Win32Error error =
                writeKey(classesRoot, key + "\\TypeLib", kQuillbrookAppId.toString(), {{"Version", kVersion}}))
            return HRESULT_FROM_WIN32(error);
    }
    return S_OK;
}

[[nodiscard]] HRESULT unregisterTypeLibrary(RegistryKey& classesRoot, const RegistrationTarget& target)
{
    if (!classesRoot.openSubKey(versionKey(), KEY_READ).ok())
        return TYPE_E_REGISTRYACCESS;
    for (const InterfaceInfo* info : describedInterfaces()) {
        if (const Win32Error error = removeKeyTree(classesRoot, interfaceKey(*info)))
            return HRESULT_FROM_WIN32(error);
    }
    if (const Win32Error error = removeKeyTree(classesRoot, versionKey()))
        return HRESULT_FROM_WIN32(error);
    // Another version of the library may still be registered under the same identifier.
    (void)classesRoot.deleteSubKey(libraryKey());
    return HRESULT_FROM_WIN32(removeFile(typeLibraryFile(target.dataFolder)));
}

} // namespace quillbrook
