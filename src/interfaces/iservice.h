// IService: the automation interface of the service object (CService), one per context-menu
// command. Dual; the members are in the original vtable order, and the type-info table in
// iservice.cpp gives their names, DISPIDs, parameter names and help strings.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace quillbrook {

inline constexpr Guid CLSID_CService = *Guid::parse("{4B8A2BC4-7F10-40F1-97A2-A076F7464018}");
inline constexpr Guid IID_IService = *Guid::parse("{5A523859-3DE9-41FE-9FF9-ACDEE0DE63A7}");
inline constexpr Guid DIID__IServiceEvents = *Guid::parse("{4ACB01EB-11CB-444A-87AF-619C1C15CB9D}");

class IService : public Dispatchable {
public:
    [[nodiscard]] virtual HRESULT get_CommandLine(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_CommandLine(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT get_Extension(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_Extension(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT get_DeleteTemporaryFile(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_DeleteTemporaryFile(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT get_CloseAtSaving(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_CloseAtSaving(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT get_CarbonCopy(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_CarbonCopy(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT get_CarbonCopyFile(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_CarbonCopyFile(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT ShowMenuDialog(std::int32_t WindowHandle) = 0;
    [[nodiscard]] virtual HRESULT Register(const std::shared_ptr<Dispatchable>& TextAreaElement) = 0;
    [[nodiscard]] virtual HRESULT get_EditorName(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_EditorName(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT get_EditorProgramFile(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_EditorProgramFile(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT OnChangeNotification() = 0;
    [[nodiscard]] virtual HRESULT get_Active(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT get_Unicode(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_Unicode(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT LoadFromMenuExt(const QString& Label) = 0;
    [[nodiscard]] virtual HRESULT SaveToMenuExt() = 0;
    [[nodiscard]] virtual HRESULT get_Label(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_Label(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT CopyTo(const std::shared_ptr<Dispatchable>& pUnkService) = 0;
    [[nodiscard]] virtual HRESULT OnUnload() = 0;
    [[nodiscard]] virtual HRESULT OnBeforeUnload() = 0;
    [[nodiscard]] virtual HRESULT get_TemplateFile(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_TemplateFile(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT get_AlwaysAskTemplate(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_AlwaysAskTemplate(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT get_UseTemplateFile(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_UseTemplateFile(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT OpenFile(const std::shared_ptr<Dispatchable>& TextAreaElement) = 0;
    [[nodiscard]] virtual HRESULT get_CodePage(std::int32_t* value) = 0;
    [[nodiscard]] virtual HRESULT put_CodePage(std::int32_t value) = 0;

    const InterfaceInfo& typeInfo() const override;

    // The IService table, without an object.
    static const InterfaceInfo& interfaceInfo();
};

// CService: ids, ProgIDs, IService as its default interface and _IServiceEvents (no members) as
// its events interface.
const ClassInfo& serviceClassInfo();

// The IService behind an object the caller holds; null when the object is not a service.
std::shared_ptr<IService> asService(const std::shared_ptr<Dispatchable>& object);

} // namespace quillbrook
