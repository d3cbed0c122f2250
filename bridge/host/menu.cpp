#include "bridge/host/menu.h"

#include "platform/charset.h"
#include "platform/mnemonic_text.h"

#include <QJsonArray>
#include <cstring>

namespace quillbrook::bridge {
namespace {

bool showsOnTextBoxes(const RegistryKey& entry)
{
    const auto contexts = entry.queryValue("contexts");
    if (!contexts.ok() || contexts.value().type != REG_DWORD || contexts.value().data.size() < 4)
        return false;
    const std::string& data = contexts.value().data;
    const std::uint32_t value = static_cast<std::uint8_t>(data[0]) | static_cast<std::uint8_t>(data[1]) << 8
                                | static_cast<std::uint8_t>(data[2]) << 16
                                | static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[3])) << 24;
    return (value & kTextBoxContext) != 0;
}

} // namespace

std::vector<MenuEntry> readMenu(const RegistryKey& currentUser)
{
    std::vector<MenuEntry> entries;
    const auto menuExt = currentUser.openSubKey(kMenuExtPath, KEY_READ);
    if (!menuExt.ok())
        return entries;
    // The names at one moment: another process may be adding or removing entries meanwhile.
    const auto names = menuExt.value().subKeyNames();
    if (!names.ok())
        return entries;
    for (const std::string& name : names.value()) {
        const auto entry = menuExt.value().openSubKey(name, KEY_QUERY_VALUE);
        if (!entry.ok() || !showsOnTextBoxes(entry.value()))
            continue;
        const QString wide = toWide(name);
        entries.push_back({wide, withoutMnemonicMarks(wide)});
    }
    return entries;
}

QJsonObject menuMessage(const std::vector<MenuEntry>& entries)
{
    QJsonArray list;
    for (const MenuEntry& entry : entries)
        list.append(QJsonObject{{QStringLiteral("entry"), entry.entry}, {QStringLiteral("title"), entry.title}});
    return {{QStringLiteral("type"), QStringLiteral("menu")}, {QStringLiteral("entries"), list}};
}

Win32Result<std::string> entryScriptPath(const RegistryKey& currentUser, const QString& entry)
{
    const std::string name = toNarrow(entry);
    // A name with a backslash would reach another key.
    if (name.empty() || name.find('\\') != std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    const auto key = currentUser.openSubKey(std::string(kMenuExtPath) + "\\" + name, KEY_QUERY_VALUE);
    if (!key.ok())
        return key.error();
    const auto value = key.value().queryValue("");
    if (!value.ok())
        return value.error();
    if (value.value().type != REG_SZ && value.value().type != REG_EXPAND_SZ)
        return ERROR_FILE_NOT_FOUND;
    const std::string& data = value.value().data;
    return data.substr(0, data.find('\0'));
}

} // namespace quillbrook::bridge
