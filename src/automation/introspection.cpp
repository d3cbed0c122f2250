#include "automation/introspection.h"

namespace quillbrook {

namespace {

QString attribute(QStringView name, QStringView value)
{
    return QStringLiteral(" %1=\"%2\"").arg(name, value.toString().toHtmlEscaped());
}

QString memberXml(const MemberInfo& member)
{
    QString xml = QStringLiteral("  <member") + attribute(u"name", member.name)
                  + attribute(u"dispid", QString::number(member.id)) + attribute(u"kind", typeLibraryName(member.kind));
    if (member.resultType != VT_VOID)
        xml += attribute(u"type", typeLibraryName(member.resultType));
    xml += attribute(u"help", member.help);
    if (member.parameters().empty())
        return xml + QStringLiteral("/>\n");
    xml += QStringLiteral(">\n");
    for (const ParamInfo& param : member.parameters())
        xml += QStringLiteral("    <param") + attribute(u"name", param.name)
               + attribute(u"type", typeLibraryName(param.type)) + QStringLiteral("/>\n");
    return xml + QStringLiteral("  </member>\n");
}

QString guidText(const Guid& guid)
{
    return QString::fromStdString(guid.toString());
}

} // namespace

QString typeLibraryName(VarType type)
{
    switch (type) {
    case VT_I2: return QStringLiteral("short");
    case VT_I4: return QStringLiteral("long");
    case VT_R8: return QStringLiteral("double");
    case VT_BSTR: return QStringLiteral("BSTR");
    case VT_DISPATCH: return QStringLiteral("IDispatch*");
    case VT_BOOL: return QStringLiteral("VARIANT_BOOL");
    case VT_VARIANT: return QStringLiteral("VARIANT");
    case VT_UNKNOWN: return QStringLiteral("IUnknown*");
    case VT_VOID: return QStringLiteral("void");
    default: return QString::number(type);
    }
}

QString typeLibraryName(MemberKind kind)
{
    switch (kind) {
    case MemberKind::Method: return QStringLiteral("method");
    case MemberKind::PropertyGet: return QStringLiteral("propget");
    case MemberKind::PropertyPut: return QStringLiteral("propput");
    }
    return {};
}

QString introspectionXml(const InterfaceInfo& info)
{
    QString xml = QStringLiteral("<interface") + attribute(u"name", info.name) + attribute(u"iid", guidText(info.iid))
                  + attribute(u"dual", info.dual ? u"true" : u"false") + attribute(u"help", info.help);
    if (info.members.empty())
        return xml + QStringLiteral("/>\n");
    xml += QStringLiteral(">\n");
    for (const MemberInfo& member : info.members)
        xml += memberXml(member);
    return xml + QStringLiteral("</interface>\n");
}

QString introspectionXml(const ClassInfo& info)
{
    QString xml = QStringLiteral("<class") + attribute(u"name", info.name) + attribute(u"clsid", guidText(info.clsid))
                  + attribute(u"progid", info.progId) + attribute(u"versionedProgid", info.versionedProgId)
                  + attribute(u"friendlyName", info.friendlyName) + attribute(u"help", info.help)
                  + QStringLiteral(">\n");
    if (info.defaultInterface)
        xml +=
            QStringLiteral("<default>\n") + introspectionXml(*info.defaultInterface) + QStringLiteral("</default>\n");
    if (info.eventsInterface)
        xml += QStringLiteral("<source>\n") + introspectionXml(*info.eventsInterface) + QStringLiteral("</source>\n");
    return xml + QStringLiteral("</class>\n");
}

} // namespace quillbrook
