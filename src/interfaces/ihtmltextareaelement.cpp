#include "interfaces/ihtmltextareaelement.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

using E = IHTMLTextAreaElement;

constexpr auto kTextAreaMembers =
    memberTable(property<&E::get_value, &E::put_value>(u"value", 1, u"The whole text"),
                propertyGet<&E::get_name>(u"name", 2, u"The NAME of the element"),
                propertyGet<&E::get_form>(u"form", 3, u"The form that contains the element"));

constexpr InterfaceInfo kIHTMLTextAreaElement{u"IHTMLTextAreaElement", IID_IHTMLTextAreaElement,
                                              u"A multi-line text box", true, kTextAreaMembers};

} // namespace

const InterfaceInfo& IHTMLTextAreaElement::typeInfo() const
{
    return kIHTMLTextAreaElement;
}

const InterfaceInfo& IHTMLTextAreaElement::interfaceInfo()
{
    return kIHTMLTextAreaElement;
}

} // namespace quillbrook
