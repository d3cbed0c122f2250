#include "interfaces/ihtmlelement.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

constexpr auto kElementMembers =
    memberTable(propertyGet<&IHTMLElement::get_document>(u"document", 1, u"The document that holds the element"));

constexpr InterfaceInfo kIHTMLElement{u"IHTMLElement", IID_IHTMLElement, u"A page element", true, kElementMembers};

} // namespace

const InterfaceInfo& IHTMLElement::typeInfo() const
{
    return kIHTMLElement;
}

const InterfaceInfo& IHTMLElement::interfaceInfo()
{
    return kIHTMLElement;
}

} // namespace quillbrook
