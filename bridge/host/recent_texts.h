// The texts Quillbrook kept, as the extension's "recent texts" submenu lists them: the newest
// kRecentInMenu, each as {id, title}, the title telling the time, the page and the text's start.
#pragma once

#include "recovery/recovery_store.h"

#include <QJsonArray>

namespace quillbrook::bridge {

inline constexpr std::size_t kRecentInMenu = 10;

QJsonArray recentTextsList(const RecoveryStore& store);

} // namespace quillbrook::bridge
