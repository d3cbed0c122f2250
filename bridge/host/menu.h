// The context-menu entries the bridge shows: the subkeys of kMenuExtKeyPath under HKEY_CURRENT_USER
// whose "contexts" value has the text-box bit, in the hive's enumeration order.
#pragma once

#include "platform/hive.h"
#include "platform/menu_ext_schema.h"

#include <QJsonObject>
#include <QString>
#include <string>
#include <vector>

namespace quillbrook::bridge {

struct MenuEntry {
    QString entry; // the subkey's name
    QString title; // as shown

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// The entries under `currentUser` (the HKEY_CURRENT_USER root); none when MenuExt is missing.
std::vector<MenuEntry> readMenu(const RegistryKey& currentUser);

// {"type":"menu","entries":[{"entry":..., "title":...}]}.
QJsonObject menuMessage(const std::vector<MenuEntry>& entries);

// The script file of the entry named `entry` (its default value).
Win32Result<std::string> entryScriptPath(const RegistryKey& currentUser, const QString& entry);

} // namespace quillbrook::bridge
