#include "interfaces/ihtmlinputtextelement.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

using E = IHTMLInputTextElement;

constexpr auto kInputTextMembers =
    memberTable(property<&E::get_value, &E::put_value>(u"value", 1, u"The whole text"),
                propertyGet<&E::get_name>(u"name", 2, u"The NAME of the element"),
                propertyGet<&E::get_form>(u"form", 3, u"The form that contains the element"));

constexpr InterfaceInfo kIHTMLInputTextElement{u"IHTMLInputTextElement", IID_IHTMLInputTextElement,
                                               u"A single-line text input", true, kInputTextMembers};

} // namespace

const InterfaceInfo& IHTMLInputTextElement::typeInfo() const
{
    return kIHTMLInputTextElement;
}

const InterfaceInfo& IHTMLInputTextElement::interfaceInfo()
{
    return kIHTMLInputTextElement;
}

} // namespace quillbrook
