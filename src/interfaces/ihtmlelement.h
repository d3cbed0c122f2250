// IHTMLElement: the browser's interface of any page element. The system reads one member of it:
// the document that holds the element. The interface id is the browser's; the DISPID is chosen by
// this system (the browser bridge reaches members by name).
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <memory>

namespace quillbrook {

inline constexpr Guid IID_IHTMLElement = *Guid::parse("{3050F1FF-98B5-11CF-BB82-00AA00BDCE0B}");

class IHTMLElement : public Dispatchable {
public:
    // The page's document, which answers IHTMLDocument2.
    [[nodiscard]] virtual HRESULT get_document(std::shared_ptr<Dispatchable>* p) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

} // namespace quillbrook
