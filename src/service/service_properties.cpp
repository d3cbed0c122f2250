// The mechanical members of CService: property accessors and CopyTo.
#include "service/service.h"

#include "store/menu_item_setting_table.h"

namespace quillbrook {
namespace {

[[nodiscard]] HRESULT getString(const QString& stored, QString* value)
{
    if (!value)
        return E_POINTER;
    *value = stored;
    return S_OK;
}

// Putting the very string already stored does nothing; otherwise the copy ends at the first NUL
// and a null argument stores null.
[[nodiscard]] HRESULT putString(QString& stored, const QString& value)
{
    if (&value == &stored)
        return S_OK;
    if (value.isNull()) {
        stored = QString();
        return S_OK;
    }
    const qsizetype nul = value.indexOf(QChar(u'\0'));
    stored = nul < 0 ? value : value.left(nul);
    if (stored.isNull())
        stored = QString(QLatin1String(""));
    return S_OK;
}

template <class T>
[[nodiscard]] HRESULT getValue(T stored, T* value)
{
    if (!value)
        return E_POINTER;
    *value = stored;
    return S_OK;
}

template <class T>
[[nodiscard]] HRESULT putValue(T& stored, T value)
{
    stored = value;
    return S_OK;
}

} // namespace

HRESULT CService::get_CommandLine(QString* value)
{
    return getString(settings_.CommandLine, value);
}
HRESULT CService::put_CommandLine(const QString& value)
{
    return putString(settings_.CommandLine, value);
}
HRESULT CService::get_Extension(QString* value)
{
    return getString(settings_.Extension, value);
}
HRESULT CService::put_Extension(const QString& value)
{
    return putString(settings_.Extension, value);
}
HRESULT CService::get_CarbonCopyFile(QString* value)
{
    return getString(settings_.CarbonCopyFile, value);
}
HRESULT CService::put_CarbonCopyFile(const QString& value)
{
    return putString(settings_.CarbonCopyFile, value);
}
HRESULT CService::get_EditorName(QString* value)
{
    return getString(settings_.EditorName, value);
}
HRESULT CService::put_EditorName(const QString& value)
{
    return putString(settings_.EditorName, value);
}
HRESULT CService::get_EditorProgramFile(QString* value)
{
    return getString(settings_.EditorProgramFile, value);
}
HRESULT CService::put_EditorProgramFile(const QString& value)
{
    return putString(settings_.EditorProgramFile, value);
}
HRESULT CService::get_Label(QString* value)
{
    return getString(settings_.Label, value);
}
HRESULT CService::put_Label(const QString& value)
{
    return putString(settings_.Label, value);
}
HRESULT CService::get_TemplateFile(QString* value)
{
    return getString(settings_.TemplateFile, value);
}
HRESULT CService::put_TemplateFile(const QString& value)
{
    return putString(settings_.TemplateFile, value);
}

HRESULT CService::get_DeleteTemporaryFile(VARIANT_BOOL* value)
{
    return getValue(settings_.DeleteTemporaryFile, value);
}
HRESULT CService::put_DeleteTemporaryFile(VARIANT_BOOL value)
{
    return putValue(settings_.DeleteTemporaryFile, value);
}
HRESULT CService::get_CloseAtSaving(VARIANT_BOOL* value)
{
    return getValue(settings_.CloseAtSaving, value);
}
HRESULT CService::put_CloseAtSaving(VARIANT_BOOL value)
{
    return putValue(settings_.CloseAtSaving, value);
}
HRESULT CService::get_CarbonCopy(VARIANT_BOOL* value)
{
    return getValue(settings_.CarbonCopy, value);
}
HRESULT CService::put_CarbonCopy(VARIANT_BOOL value)
{
    return putValue(settings_.CarbonCopy, value);
}
HRESULT CService::get_Unicode(VARIANT_BOOL* value)
{
    return getValue(settings_.Unicode, value);
}
HRESULT CService::put_Unicode(VARIANT_BOOL value)
{
    return putValue(settings_.Unicode, value);
}
HRESULT CService::get_AlwaysAskTemplate(VARIANT_BOOL* value)
{
    return getValue(settings_.AlwaysAskTemplate, value);
}
HRESULT CService::put_AlwaysAskTemplate(VARIANT_BOOL value)
{
    return putValue(settings_.AlwaysAskTemplate, value);
}
HRESULT CService::get_UseTemplateFile(VARIANT_BOOL* value)
{
    return getValue(settings_.UseTemplateFile, value);
}
HRESULT CService::put_UseTemplateFile(VARIANT_BOOL value)
{
    return putValue(settings_.UseTemplateFile, value);
}
HRESULT CService::get_CodePage(std::int32_t* value)
{
    return getValue(settings_.CodePage, value);
}
HRESULT CService::put_CodePage(std::int32_t value)
{
    return putValue(settings_.CodePage, value);
}

// Copies the fourteen settings through the target's puts, in the table's copy order; what the puts
// return is not examined. Active and the session are not copied.
HRESULT CService::CopyTo(const std::shared_ptr<Dispatchable>& pUnkService)
{
    if (!pUnkService)
        return E_POINTER;
    const std::shared_ptr<IService> target = std::dynamic_pointer_cast<IService>(pUnkService);
    if (!target)
        return E_NOINTERFACE;
    forEachMenuItemSetting(&MenuItemSetting::copyOrder, [&](const MenuItemSetting& row) {
        std::visit([&](const auto& access) { (target.get()->*access.put)(settings_.*access.field); }, row.access);
    });
    return S_OK;
}

} // namespace quillbrook
