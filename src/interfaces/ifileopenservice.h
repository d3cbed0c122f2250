// IFileOpenService: the automation interface of the Open File service (CFileOpenService). Dual;
// members in the original vtable order, described by the type-info table in ifileopenservice.cpp.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QString>
#include <memory>

namespace quillbrook {

inline constexpr Guid CLSID_CFileOpenService = *Guid::parse("{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}");
inline constexpr Guid IID_IFileOpenService = *Guid::parse("{856D28A2-654D-4515-B032-B694076F5405}");
inline constexpr Guid DIID__IFileOpenServiceEvents = *Guid::parse("{3360FC3F-980A-4F02-92CE-FCC697E72876}");

class IFileOpenService : public Dispatchable {
public:
    [[nodiscard]] virtual HRESULT get_Registered(VARIANT_BOOL* value) = 0;
    [[nodiscard]] virtual HRESULT put_Registered(VARIANT_BOOL value) = 0;
    [[nodiscard]] virtual HRESULT get_Extensions(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_Extensions(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT get_OpeningFile(QString* value) = 0;
    [[nodiscard]] virtual HRESULT put_OpeningFile(const QString& value) = 0;
    [[nodiscard]] virtual HRESULT OpenFile(const std::shared_ptr<Dispatchable>& TextAreaElement) = 0;

    const InterfaceInfo& typeInfo() const override;

    // The IFileOpenService table, without an object.
    static const InterfaceInfo& interfaceInfo();
};

// CFileOpenService: ids, ProgIDs, IFileOpenService as its default interface and
// _IFileOpenServiceEvents (no members) as its events interface.
const ClassInfo& fileOpenServiceClassInfo();

// The IFileOpenService behind an object the caller holds; null when it is something else.
std::shared_ptr<IFileOpenService> asFileOpenService(const std::shared_ptr<Dispatchable>& object);

} // namespace quillbrook
