#include "interfaces/ihtmlformelement.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

constexpr auto kFormMembers =
    memberTable(propertyGet<&IHTMLFormElement::get_name>(u"name", 1, u"The NAME of the form"));

constexpr InterfaceInfo kIHTMLFormElement{u"IHTMLFormElement", IID_IHTMLFormElement, u"A form", true, kFormMembers};

} // namespace

const InterfaceInfo& IHTMLFormElement::typeInfo() const
{
    return kIHTMLFormElement;
}

const InterfaceInfo& IHTMLFormElement::interfaceInfo()
{
    return kIHTMLFormElement;
}

} // namespace quillbrook
