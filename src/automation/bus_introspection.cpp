#include "automation/bus_introspection.h"

#include "automation/bus_contract.h"
#include "automation/bus_values.h"

#include <algorithm>
#include <vector>

namespace quillbrook::bus {

namespace {

QString escaped(QStringView text)
{
    return text.toString().toHtmlEscaped();
}

QString annotation(const char* name, QStringView value, const QString& indent)
{
    return indent + QStringLiteral("<annotation name=\"%1\" value=\"%2\"/>\n").arg(QLatin1String(name), escaped(value));
}

QString argument(QStringView name, const QString& type, const char* direction)
{
    return QStringLiteral("    <arg name=\"%1\" type=\"%2\" direction=\"%3\"/>\n")
        .arg(escaped(name), type, QLatin1String(direction));
}

QString memberAnnotations(const MemberInfo& member, const QString& indent)
{
    return annotation(kDispIdAnnotation, QString::number(member.id), indent)
           + annotation(kHelpAnnotation, member.help, indent);
}

QString methodXml(const MemberInfo& method)
{
    QString xml = QStringLiteral("  <method name=\"%1\">\n").arg(escaped(method.name));
    int position = 0;
    for (const ParamInfo& param : method.parameters()) {
        const QString name =
            param.name.empty() ? QStringLiteral("arg%1").arg(position) : QStringView(param.name).toString();
        xml += argument(name, busSignature(param.type), "in");
        ++position;
    }
    xml += argument(u"hresult", QStringLiteral("i"), "out");
    if (method.resultType != VT_VOID)
        xml += argument(u"result", busSignature(method.resultType), "out");
    return xml + memberAnnotations(method, QStringLiteral("    ")) + QStringLiteral("  </method>\n");
}

QString propertyXml(const MemberInfo& first, const InterfaceInfo& info)
{
    bool readable = false;
    bool writable = false;
    VarType type = VT_VARIANT;
    for (const MemberInfo& member : info.members) {
        if (member.name != first.name)
            continue;
        if (member.kind == MemberKind::PropertyGet) {
            readable = true;
            type = member.resultType;
        } else if (member.kind == MemberKind::PropertyPut) {
            writable = true;
            if (!readable)
                type = member.parameters().front().type;
        }
    }
    const QString access = readable && writable ? QStringLiteral("readwrite")
                           : readable           ? QStringLiteral("read")
                                                : QStringLiteral("write");
    return QStringLiteral("  <property name=\"%1\" type=\"%2\" access=\"%3\">\n")
               .arg(escaped(first.name), busSignature(type), access)
           + memberAnnotations(first, QStringLiteral("    ")) + QStringLiteral("  </property>\n");
}

QString typedInterfaceXml(const InterfaceInfo& info)
{
    QString xml = QStringLiteral(" <interface name=\"%1\">\n").arg(escaped(typedInterfaceName(info)));
    // No PropertiesChanged is ever sent: a value read earlier may be stale.
    xml += annotation("org.freedesktop.DBus.Property.EmitsChangedSignal", u"false", QStringLiteral("  "));
    xml +=
        annotation("org.fernhollow.Automation.Iid", QString::fromStdString(info.iid.toString()), QStringLiteral("  "));
    xml += annotation(kHelpAnnotation, info.help, QStringLiteral("  "));
    std::vector<std::u16string_view> properties;
    for (const MemberInfo& member : info.members) {
        // Members without a C++ member (events of a dispinterface) are reached by Invoke only.
        if (!member.invoke)
            continue;
        if (member.kind == MemberKind::Method) {
            xml += methodXml(member);
        } else if (std::find(properties.begin(), properties.end(), member.name) == properties.end()) {
            properties.push_back(member.name);
            xml += propertyXml(member, info);
        }
    }
    return xml + QStringLiteral(" </interface>\n");
}

const char kDispatchXml[] = R"( <interface name="org.fernhollow.Automation.Dispatch">
  <method name="GetIDsOfNames">
    <arg name="names" type="as" direction="in"/>
    <arg name="hresult" type="i" direction="out"/>
    <arg name="dispids" type="ai" direction="out"/>
  </method>
  <method name="Invoke">
    <arg name="dispid" type="i" direction="in"/>
    <arg name="flags" type="q" direction="in"/>
    <arg name="args" type="av" direction="in"/>
    <arg name="hresult" type="i" direction="out"/>
    <arg name="result" type="v" direction="out"/>
  </method>
  <method name="Release"/>
 </interface>
 <interface name="org.fernhollow.Automation.Unknown">
  <method name="QueryInterface">
    <arg name="interface" type="s" direction="in"/>
    <arg name="answers" type="b" direction="out"/>
  </method>
 </interface>
)";

const char kClassFactoryXml[] = R"( <interface name="org.fernhollow.Quillbrook.ClassFactory">
  <method name="CreateInstance">
    <arg name="classId" type="s" direction="in"/>
    <arg name="hresult" type="i" direction="out"/>
    <arg name="object" type="o" direction="out"/>
  </method>
 </interface>
)";

} // namespace

QString typedInterfaceName(const InterfaceInfo& info)
{
    return QLatin1String(kInstanceInterfacePrefix) + QStringView(info.name).toString();
}

QString objectIntrospection(const InterfaceInfo& info)
{
    return typedInterfaceXml(info) + QLatin1String(kDispatchXml);
}

QString classFactoryIntrospection()
{
    return QLatin1String(kClassFactoryXml);
}

} // namespace quillbrook::bus
