#include "bridge/host/menu.h"

#include "platform/charset.h"
#include "platform/mnemonic_text.h"

#include <QJsonArray>

namespace quillbrook::bridge {

std::vector<MenuEntry> readMenu(const RegistryKey& currentUser)
{
    std::vector<MenuEntry> entries;
    const auto menuExt = currentUser.openSubKey(kMenuExtKeyPath, KEY_READ);
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
    const auto key = currentUser.openSubKey(menuExtEntryPath(name), KEY_QUERY_VALUE);
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
