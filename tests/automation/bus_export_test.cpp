// An exported object as another process sees it: its typed interface's methods and properties,
// Dispatch by name and DISPID, Unknown.QueryInterface, and the introspection generated from its
// type information.
#include "automation/bus_values.h"
#include "support/bus/bus_fixture.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QXmlStreamReader>
#include <map>

namespace quillbrook::testing {
namespace {

const QString kTyped = QStringLiteral("org.fernhollow.Quillbrook.ITestService");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kDispatch = QStringLiteral("org.fernhollow.Automation.Dispatch");

using BusExport = BusFixture;

QVariant busVariant(const QVariant& content)
{
    return QVariant::fromValue(QDBusVariant(content));
}

QList<int> intList(const QVariant& argument)
{
    QList<int> ids;
    argument.value<QDBusArgument>() >> ids;
    return ids;
}

TEST_F(BusExport, TypedMethodsReturnTheHresultFirst)
{
    const QString path = createService();
    const QDBusMessage shown = call(path, kTyped, QStringLiteral("ShowMenuDialog"), {QVariant(7)});
    ASSERT_EQ(shown.type(), QDBusMessage::ReplyMessage) << shown.errorMessage().toStdString();
    EXPECT_EQ(shown.signature(), QStringLiteral("i"));
    EXPECT_EQ(shown.arguments().front().toInt(), S_OK);

    const QDBusMessage echoed = call(path, kTyped, QStringLiteral("Echo"), {busVariant(QStringLiteral("hello"))});
    ASSERT_EQ(echoed.signature(), QStringLiteral("iv")) << echoed.errorMessage().toStdString();
    EXPECT_EQ(echoed.arguments()[1].value<QDBusVariant>().variant(), QVariant(QStringLiteral("hello")));

    // The member's own failure is the HRESULT, not a bus error.
    const QDBusMessage failed =
        call(path, kTyped, QStringLiteral("CopyTo"), {QVariant::fromValue(bus::ObjectReference{})});
    ASSERT_EQ(failed.type(), QDBusMessage::ReplyMessage) << failed.errorMessage().toStdString();
    EXPECT_EQ(failed.arguments().front().toInt(), E_POINTER);

    EXPECT_EQ(served(path)->calls, (std::vector<std::string>{"ShowMenuDialog 7", "Echo VT_BSTR \"hello\"", "CopyTo"}));
}

TEST_F(BusExport, TypedCallsWithOtherArgumentsOrNamesAreBusErrors)
{
    const QString path = createService();
    EXPECT_EQ(call(path, kTyped, QStringLiteral("ShowMenuDialog"), {QStringLiteral("7")}).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(call(path, kTyped, QStringLiteral("showmenudialog"), {QVariant(7)}).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    // Properties and events are no methods of the typed interface.
    EXPECT_EQ(call(path, kTyped, QStringLiteral("Label")).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    EXPECT_EQ(
        call(path, QStringLiteral("org.example.Other"), QStringLiteral("ShowMenuDialog"), {QVariant(7)}).errorName(),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));
    EXPECT_TRUE(served(path)->calls.empty());
}

TEST_F(BusExport, PropertiesAreReadAndWrittenWithTheirTypes)
{
    const QString path = createService();
    const QDBusMessage set = call(path, kProperties, QStringLiteral("Set"),
                                  {kTyped, QStringLiteral("Label"), busVariant(QStringLiteral("Reply box"))});
    ASSERT_EQ(set.type(), QDBusMessage::ReplyMessage) << set.errorMessage().toStdString();
    EXPECT_EQ(served(path)->label, QStringLiteral("Reply box"));

    const struct {
        const char* name;
        QVariant expected;
    } cases[] = {
        {"Label", QVariant(QStringLiteral("Reply box"))},
        {"Active", QVariant::fromValue(static_cast<qint16>(VARIANT_TRUE))},
        {"CodePage", QVariant(0)},
    };
    for (const auto& c : cases) {
        const QDBusMessage got = call(path, kProperties, QStringLiteral("Get"), {kTyped, QString::fromLatin1(c.name)});
        ASSERT_EQ(got.type(), QDBusMessage::ReplyMessage) << c.name << ": " << got.errorMessage().toStdString();
        EXPECT_EQ(got.arguments().front().value<QDBusVariant>().variant(), c.expected) << c.name;
    }

    const QDBusMessage all = call(path, kProperties, QStringLiteral("GetAll"), {kTyped});
    ASSERT_EQ(all.signature(), QStringLiteral("a{sv}")) << all.errorMessage().toStdString();
    QVariantMap values;
    all.arguments().front().value<QDBusArgument>() >> values;
    for (const auto& c : cases)
        EXPECT_EQ(values.value(QString::fromLatin1(c.name)), c.expected) << c.name;
}

TEST_F(BusExport, RefusedPropertyWritesAreBusErrors)
{
    const QString path = createService();
    const QDBusMessage readOnly =
        call(path, kProperties, QStringLiteral("Set"),
             {kTyped, QStringLiteral("Active"), busVariant(QVariant::fromValue(static_cast<qint16>(0)))});
    EXPECT_EQ(readOnly.errorName(), QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));

    const QDBusMessage refused =
        call(path, kProperties, QStringLiteral("Set"), {kTyped, QStringLiteral("CodePage"), busVariant(-1)});
    EXPECT_EQ(refused.errorName(), QString::fromLatin1(bus::kHresultErrorName));
    EXPECT_EQ(refused.errorMessage(), QStringLiteral("0x80070057"));

    const QDBusMessage mismatch = call(path, kProperties, QStringLiteral("Set"),
                                       {kTyped, QStringLiteral("CodePage"), busVariant(QStringLiteral("many"))});
    EXPECT_EQ(mismatch.errorMessage(), QStringLiteral("0x80020005"));

    const QDBusMessage unknown = call(path, kProperties, QStringLiteral("Get"), {kTyped, QStringLiteral("Nothing")});
    EXPECT_EQ(unknown.errorName(), QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
    EXPECT_EQ(served(path)->codePage, 0);
}

TEST_F(BusExport, GetIDsOfNamesGivesMemberAndParameterIds)
{
    const QString path = createService();
    const struct {
        const char* name;
        QStringList names;
        HRESULT hr;
        QList<int> ids;
    } cases[] = {
        {"member, any case", {QStringLiteral("showMENUdialog")}, S_OK, {7}},
        {"member and parameter", {QStringLiteral("ShowMenuDialog"), QStringLiteral("windowhandle")}, S_OK, {7, 0}},
        {"event handler", {QStringLiteral("OnBeforeUnload")}, S_OK, {1017}},
        {"unknown member", {QStringLiteral("Unknown")}, DISP_E_UNKNOWNNAME, {-1}},
        {"unknown parameter", {QStringLiteral("ShowMenuDialog"), QStringLiteral("Owner")}, DISP_E_UNKNOWNNAME, {7, -1}},
    };
    for (const auto& c : cases) {
        const QDBusMessage reply = call(path, kDispatch, QStringLiteral("GetIDsOfNames"), {c.names});
        ASSERT_EQ(reply.signature(), QStringLiteral("iai")) << c.name << ": " << reply.errorMessage().toStdString();
        EXPECT_EQ(bus::hresultText(reply.arguments()[0].toInt()), bus::hresultText(c.hr)) << c.name;
        EXPECT_EQ(intList(reply.arguments()[1]), c.ids) << c.name;
    }
}

TEST_F(BusExport, InvokeReachesMembersByDispid)
{
    const QString path = createService();
    served(path)->label = QStringLiteral("Editor");
    const struct {
        const char* name;
        int dispid;
        ushort flags;
        QVariantList args;
        HRESULT hr;
        QVariant result;
    } cases[] = {
        {"method", 7, 1, {QVariant(3)}, S_OK, QVariant(QVariantList())},
        {"get", 16, 2, {}, S_OK, QVariant(QStringLiteral("Editor"))},
        {"method or get, as scripts call", 16, 3, {}, S_OK, QVariant(QStringLiteral("Editor"))},
        {"put", 16, 4, {QVariant(QStringLiteral("Notes"))}, S_OK, QVariant(QVariantList())},
        {"event", 1017, 1, {}, S_OK, QVariant(QVariantList())},
        {"converted argument", 7, 1, {QVariant(QStringLiteral("9"))}, S_OK, QVariant(QVariantList())},
        {"unknown dispid", 999, 1, {}, DISP_E_MEMBERNOTFOUND, QVariant(QVariantList())},
        {"put of a read-only property", 12, 4, {QVariant(true)}, DISP_E_MEMBERNOTFOUND, QVariant(QVariantList())},
        {"missing argument", 7, 1, {}, DISP_E_BADPARAMCOUNT, QVariant(QVariantList())},
    };
    for (const auto& c : cases) {
        const QDBusMessage reply =
            call(path, kDispatch, QStringLiteral("Invoke"), {c.dispid, QVariant::fromValue(c.flags), QVariant(c.args)});
        ASSERT_EQ(reply.signature(), QStringLiteral("iv")) << c.name << ": " << reply.errorMessage().toStdString();
        EXPECT_EQ(bus::hresultText(reply.arguments()[0].toInt()), bus::hresultText(c.hr)) << c.name;
        QVariant result = reply.arguments()[1].value<QDBusVariant>().variant();
        if (result.metaType() == QMetaType::fromType<QDBusArgument>()) {
            QVariantList list;
            result.value<QDBusArgument>() >> list;
            result = QVariant(list);
        }
        EXPECT_EQ(result, c.result) << c.name;
    }
    EXPECT_EQ(served(path)->calls,
              (std::vector<std::string>{"ShowMenuDialog 3", "put_Label Notes", "OnBeforeUnload", "ShowMenuDialog 9"}));
}

TEST_F(BusExport, QueryInterfaceAnswersTheObjectsOwnInterfaces)
{
    const QString path = createService();
    const struct {
        const char* interface;
        bool answers;
    } cases[] = {
        {"org.fernhollow.Quillbrook.ITestService", true}, {"org.fernhollow.Automation.Dispatch", true},
        {"org.fernhollow.Automation.Unknown", true},      {"org.fernhollow.Quillbrook.ITestElement", false},
        {"org.fernhollow.Dom.IHTMLElement", false},       {"ITestService", false},
    };
    for (const auto& c : cases) {
        const QDBusMessage reply = call(path, QStringLiteral("org.fernhollow.Automation.Unknown"),
                                        QStringLiteral("QueryInterface"), {QString::fromLatin1(c.interface)});
        ASSERT_EQ(reply.signature(), QStringLiteral("b")) << c.interface;
        EXPECT_EQ(reply.arguments().front().toBool(), c.answers) << c.interface;
    }
}

struct IntrospectedMember {
    QString kind;
    QString type;
    QString access;
    QStringList args;
    QMap<QString, QString> annotations;
};

// The members of `interface` in introspection XML, by name.
std::map<QString, IntrospectedMember> membersOf(const QString& xml, const QString& interface)
{
    std::map<QString, IntrospectedMember> members;
    QXmlStreamReader reader(xml);
    bool inside = false;
    IntrospectedMember* current = nullptr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto attributes = reader.attributes();
            const QStringView element = reader.name();
            if (element == u"interface") {
                inside = attributes.value(QLatin1String("name")) == interface;
            } else if (inside && (element == u"method" || element == u"property")) {
                current = &members[attributes.value(QLatin1String("name")).toString()];
                current->kind = element.toString();
                current->type = attributes.value(QLatin1String("type")).toString();
                current->access = attributes.value(QLatin1String("access")).toString();
            } else if (inside && current && element == u"arg") {
                current->args.append(attributes.value(QLatin1String("direction")).toString() + u' '
                                     + attributes.value(QLatin1String("type")).toString());
            } else if (inside && current && element == u"annotation") {
                current->annotations.insert(attributes.value(QLatin1String("name")).toString(),
                                            attributes.value(QLatin1String("value")).toString());
            }
        } else if (reader.isEndElement() && (reader.name() == u"method" || reader.name() == u"property")) {
            current = nullptr;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return members;
}

TEST_F(BusExport, IntrospectionCarriesDispidsAndHelpStrings)
{
    const QString path = createService();
    const QDBusMessage reply =
        call(path, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const QString xml = reply.arguments().front().toString();
    auto members = membersOf(xml, kTyped);

    const struct {
        const char* name;
        const char* kind;
        const char* type;
        const char* access;
        QStringList args;
        const char* dispid;
        const char* help;
    } cases[] = {
        {"Label", "property", "s", "readwrite", {}, "16", "メニューラベル"},
        {"Active", "property", "n", "read", {}, "12", "アクティブか"},
        {"CodePage", "property", "i", "readwrite", {}, "22", "コードページ"},
        {"Partner", "property", "(so)", "read", {}, "30", "the other service"},
        {"ShowMenuDialog", "method", "", "", {"in i", "out i"}, "7", "メニューダイアログの表示"},
        {"CopyTo", "method", "", "", {"in (so)", "out i"}, "17", "メソッドCopyTo"},
        {"Echo", "method", "", "", {"in v", "out i", "out v"}, "31", "gives its argument back"},
        {"OnBeforeUnload", "method", "", "", {"out i"}, "1017", "OnBeforeUnloadイベントハンドラ"},
    };
    EXPECT_EQ(members.size(), std::size(cases));
    for (const auto& c : cases) {
        const IntrospectedMember& member = members[QString::fromLatin1(c.name)];
        EXPECT_EQ(member.kind, QString::fromLatin1(c.kind)) << c.name;
        EXPECT_EQ(member.type, QString::fromLatin1(c.type)) << c.name;
        EXPECT_EQ(member.access, QString::fromLatin1(c.access)) << c.name;
        EXPECT_EQ(member.args, c.args) << c.name;
        EXPECT_EQ(member.annotations.value(QStringLiteral("org.fernhollow.Automation.DispId")),
                  QString::fromLatin1(c.dispid))
            << c.name;
        EXPECT_EQ(member.annotations.value(QStringLiteral("org.fernhollow.Automation.Help")), QString::fromUtf8(c.help))
            << c.name;
    }
    EXPECT_TRUE(xml.contains(QStringLiteral("value=\"ITestService &lt;&amp;&gt; help\"")));
    const auto dispatch = membersOf(xml, kDispatch);
    ASSERT_EQ(dispatch.size(), 3u);
    EXPECT_EQ(dispatch.at(QStringLiteral("Invoke")).args, (QStringList{"in i", "in q", "in av", "out i", "out v"}));
    EXPECT_EQ(membersOf(xml, QStringLiteral("org.fernhollow.Automation.Unknown")).size(), 1u);
}

TEST_F(BusExport, TheClassFactoryIntrospectsItsOneMethod)
{
    const QDBusMessage reply =
        call(QStringLiteral("/org/fernhollow/Quillbrook"), QStringLiteral("org.freedesktop.DBus.Introspectable"),
             QStringLiteral("Introspect"));
    const auto members =
        membersOf(reply.arguments().front().toString(), QStringLiteral("org.fernhollow.Quillbrook.ClassFactory"));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members.at(QStringLiteral("CreateInstance")).args, (QStringList{"in s", "out i", "out o"}));
}

} // namespace
} // namespace quillbrook::testing
