#include "interfaces/ihtmldocument2.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

using D = IHTMLDocument2;

constexpr auto kDocumentMembers =
    memberTable(propertyGet<&D::get_title>(u"title", 1, u"The title of the page"),
                propertyGet<&D::get_URL>(u"URL", 2, u"The address of the page"),
                propertyGet<&D::get_parentWindow>(u"parentWindow", 3, u"The window that shows the page"));

constexpr InterfaceInfo kIHTMLDocument2{u"IHTMLDocument2", IID_IHTMLDocument2, u"A page's document", true,
                                        kDocumentMembers};

} // namespace

const InterfaceInfo& IHTMLDocument2::typeInfo() const
{
    return kIHTMLDocument2;
}

const InterfaceInfo& IHTMLDocument2::interfaceInfo()
{
    return kIHTMLDocument2;
}

} // namespace quillbrook
