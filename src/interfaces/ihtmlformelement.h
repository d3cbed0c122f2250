// IHTMLFormElement: the browser's interface of a form. The system reads its NAME for the temporary
// file's name. The interface id is the browser's; the DISPID is chosen by this system.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QString>

namespace quillbrook {

inline constexpr Guid IID_IHTMLFormElement = *Guid::parse("{3050F1F7-98B5-11CF-BB82-00AA00BDCE0B}");

class IHTMLFormElement : public Dispatchable {
public:
    [[nodiscard]] virtual HRESULT get_name(QString* p) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

} // namespace quillbrook
