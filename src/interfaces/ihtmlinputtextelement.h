// IHTMLInputTextElement: the browser's interface of a single-line text input.
// The system reads and replaces its whole text and reads its NAME and its form. The interface id
// is the browser's; the DISPIDs are chosen by this system.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QString>
#include <memory>

namespace quillbrook {

inline constexpr Guid IID_IHTMLInputTextElement = *Guid::parse("{3050F2A6-98B5-11CF-BB82-00AA00BDCE0B}");

class IHTMLInputTextElement : public Dispatchable {
public:
    // The whole text; put replaces all of it. A null string is an empty text.
    [[nodiscard]] virtual HRESULT get_value(QString* p) = 0;
    [[nodiscard]] virtual HRESULT put_value(const QString& v) = 0;
    [[nodiscard]] virtual HRESULT get_name(QString* p) = 0;
    // The containing form (an IHTMLFormElement); null outside any form.
    [[nodiscard]] virtual HRESULT get_form(std::shared_ptr<Dispatchable>* p) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

} // namespace quillbrook
