#include "platform/menu_ext_schema.h"

namespace quillbrook {

std::string menuExtEntryPath(std::string_view name)
{
    std::string path = kMenuExtKeyPath;
    path += '\\';
    path += name;
    return path;
}

bool carriesOwnershipMarker(const RegistryKey& entry)
{
    return entry.valueExists(kOwnershipMarker);
}

bool showsOnTextBoxes(const RegistryKey& entry)
{
    const auto contexts = entry.queryValue(kContextsValue);
    if (!contexts.ok() || contexts.value().type != REG_DWORD || contexts.value().data.size() < 4)
        return false;
    return (dwordFromBytes(contexts.value().data) & kTextBoxContext) != 0;
}

} // namespace quillbrook
