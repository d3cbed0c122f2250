#include "brackenhop/menu_ext_cleanup.h"

#include "platform/menu_ext_schema.h"

#include <cstdint>

namespace quillbrook {
namespace {

// The name buffer of the original enumeration, terminating zero included: a longer name made the
// enumeration fail, which ended it.
constexpr std::size_t kNameBuffer = 512;

bool carriesMarker(const RegistryKey& menuExt, const std::string& name)
{
    const auto entry = menuExt.openSubKey(name, KEY_READ);
    return entry.ok() && carriesOwnershipMarker(entry.value());
}

} // namespace

void removeMarkedMenuEntries(const HiveLocation& location)
{
    const auto user = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location);
    if (!user.ok())
        return;
    auto menuExt = user.value().openSubKey(kMenuExtKeyPath, KEY_ALL_ACCESS);
    if (!menuExt.ok())
        return;
    std::uint32_t index = 0;
    for (auto name = menuExt.value().enumSubKey(index); name.ok() && name.value().size() < kNameBuffer;
         name = menuExt.value().enumSubKey(index)) {
        // After a deletion the next entry has moved into this position.
        const bool removed =
            carriesMarker(menuExt.value(), name.value()) && menuExt.value().deleteSubKey(name.value()) == ERROR_SUCCESS;
        if (!removed)
            ++index;
    }
}

} // namespace quillbrook
