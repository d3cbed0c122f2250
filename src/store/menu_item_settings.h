// The settings that one context-menu command carries, with the defaults of a fresh service
// object. Strings are automation strings: a null QString is the null string.
#pragma once

#include "automation/variant.h"

#include <QString>
#include <cstdint>

namespace quillbrook {

class GlobalSettings;

struct MenuItemSettings {
    QString Label;
    QString EditorProgramFile;
    QString EditorName;
    QString CommandLine = QString(QLatin1String(""));
    QString Extension;
    VARIANT_BOOL DeleteTemporaryFile = 1;
    VARIANT_BOOL CloseAtSaving = 0;
    VARIANT_BOOL CarbonCopy = 0;
    QString CarbonCopyFile = QString(QLatin1String(""));
    // Session state rather than a setting; kept here because it sits among the settings.
    VARIANT_BOOL Active = 0;
    VARIANT_BOOL Unicode = 0;
    QString TemplateFile = QString(QLatin1String(""));
    VARIANT_BOOL AlwaysAskTemplate = 0;
    VARIANT_BOOL UseTemplateFile = 0;
    // 1 the process charset, 1201 UTF-16 little-endian, 65001 UTF-8; any other value acts as 1.
    std::int32_t CodePage = 1;

    // A fresh object's settings: label, editor name, editor program and extension come from the
    // global defaults as they are now; later changes to those do not reach existing objects.
    static MenuItemSettings withGlobalDefaults(const GlobalSettings& settings);
};

} // namespace quillbrook
