// How values, references and results cross the bus, without a bus: signatures, the HRESULT text
// of errors, the contents of D-Bus variants, and the results of replies.
#include "automation/bus_values.h"
#include "automation/main_thread.h"
#include "automation/remote_object.h"

#include <QDBusMetaType>
#include <gtest/gtest.h>

namespace quillbrook::bus {
namespace {

// Values without objects never reach the marshaller.
class NoObjects final : public ObjectMarshaller {
public:
    ObjectReference toReference(const std::shared_ptr<Dispatchable>&, const QString&) override
    {
        ADD_FAILURE() << "no object was passed";
        return {};
    }
    std::shared_ptr<Dispatchable> fromReference(const ObjectReference&) override
    {
        ADD_FAILURE() << "no object was passed";
        return nullptr;
    }
    QDBusConnection connection() const override { return QDBusConnection(QString()); }
};

TEST(BusValues, ObjectReferenceIsAStructOfNameAndPath)
{
    registerBusTypes();
    EXPECT_STREQ(QDBusMetaType::typeToSignature(QMetaType::fromType<ObjectReference>()), "(so)");
    EXPECT_TRUE(ObjectReference{}.isNull());
    EXPECT_EQ(ObjectReference{}.path.path(), QStringLiteral("/"));
}

TEST(BusValues, HresultTextIsEightUpperCaseHexDigits)
{
    const struct {
        HRESULT hr;
        const char* text;
    } cases[] = {
        {E_INVALIDARG, "0x80070057"},
        {S_OK, "0x00000000"},
        {S_FALSE, "0x00000001"},
        {static_cast<HRESULT>(0x8002000Au), "0x8002000A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hresultText(c.hr).toStdString(), c.text);
        EXPECT_EQ(parseHresultText(QString::fromLatin1(c.text)), c.hr) << c.text;
    }
    for (const char* text : {"80070057", "0x8007005", "0x800700571", "0xZ0070057", ""})
        EXPECT_FALSE(parseHresultText(QString::fromLatin1(text))) << text;
}

TEST(BusValues, VariantContentsBecomeAutomationValues)
{
    NoObjects marshaller;
    const struct {
        const char* name;
        QVariant content;
        Variant expected;
    } cases[] = {
        {"s", QVariant(QStringLiteral("text")), Variant::fromBstr(QStringLiteral("text"))},
        {"n is VARIANT_BOOL", QVariant::fromValue(static_cast<qint16>(-1)), Variant::fromBool(VARIANT_TRUE)},
        {"b true", QVariant(true), Variant::fromBool(VARIANT_TRUE)},
        {"b false", QVariant(false), Variant::fromBool(VARIANT_FALSE)},
        {"i", QVariant::fromValue(static_cast<qint32>(-7)), Variant::fromI4(-7)},
        {"u in range", QVariant::fromValue(7u), Variant::fromI4(7)},
        {"u out of range", QVariant::fromValue(4000000000u), Variant::fromR8(4000000000.0)},
        {"x", QVariant::fromValue(static_cast<qlonglong>(-5)), Variant::fromI4(-5)},
        {"d", QVariant(2.5), Variant::fromR8(2.5)},
        {"empty av", QVariant(QVariantList()), Variant()},
        {"v in v", QVariant::fromValue(QDBusVariant(QVariant(3))), Variant::fromI4(3)},
    };
    for (const auto& c : cases) {
        Variant value = Variant::fromI4(12345);
        EXPECT_EQ(fromBusVariant(c.content, marshaller, value), S_OK) << c.name;
        EXPECT_EQ(value, c.expected) << c.name;
    }
    Variant untouched;
    EXPECT_EQ(fromBusVariant(QVariant(QStringList{QStringLiteral("a")}), marshaller, untouched), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(fromBusVariant(QVariant(QVariantList{QVariant(1)}), marshaller, untouched), DISP_E_TYPEMISMATCH);
}

TEST(BusValues, AutomationValuesKeepTheirTypeInAVariant)
{
    NoObjects marshaller;
    const Variant values[] = {Variant::fromBstr(QStringLiteral("a")), Variant::fromBool(VARIANT_TRUE),
                              Variant::fromI4(-3), Variant::fromR8(0.25), Variant()};
    for (const Variant& value : values) {
        Variant back;
        EXPECT_EQ(fromBusVariant(toBusVariant(value, marshaller, {}).variant(), marshaller, back), S_OK) << value;
        EXPECT_EQ(back, value);
    }
    // D-Bus strings cannot be null, and has no null value.
    Variant back;
    EXPECT_EQ(fromBusVariant(toBusVariant(Variant::fromBstr(QString()), marshaller, {}).variant(), marshaller, back),
              S_OK);
    EXPECT_EQ(back, Variant::fromBstr(QStringLiteral("")));
    EXPECT_EQ(fromBusVariant(toBusVariant(Variant::null(), marshaller, {}).variant(), marshaller, back), S_OK);
    EXPECT_EQ(back, Variant());
}

TEST(BusValues, TypedValuesTakeTheDeclaredTypeOrItsZero)
{
    NoObjects marshaller;
    EXPECT_EQ(toBusValue(Variant::fromI4(1), VT_BOOL, marshaller, {}),
              QVariant::fromValue(static_cast<qint16>(VARIANT_TRUE)));
    EXPECT_EQ(toBusValue(Variant::fromBstr(QStringLiteral("42")), VT_I4, marshaller, {}), QVariant(42));
    // A failed get leaves its result empty; the reply still has the declared signature.
    EXPECT_EQ(toBusValue(Variant(), VT_BSTR, marshaller, {}), QVariant(QStringLiteral("")));
    EXPECT_EQ(toBusValue(Variant::fromBstr(QStringLiteral("x")), VT_I4, marshaller, {}), QVariant(0));
    EXPECT_EQ(toBusValue(Variant(), VT_BOOL, marshaller, {}).metaType(), QMetaType::fromType<qint16>());
}

TEST(BusValues, RepliesGiveTheirHresult)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral(":1.1"), QStringLiteral("/"),
                                                             QStringLiteral("a.b"), QStringLiteral("M"));
    const struct {
        const char* name;
        QDBusMessage reply;
        HRESULT expected;
    } cases[] = {
        {"hresult first", call.createReply(QVariantList{QVariant(static_cast<qint32>(E_NOINTERFACE)), QVariant(1)}),
         E_NOINTERFACE},
        {"no hresult", call.createReply(), S_OK},
        {"a first argument of another type", call.createReply(QVariant(QStringLiteral("x"))), S_OK},
        {"hresult error", call.createErrorReply(QString::fromLatin1(kHresultErrorName), QStringLiteral("0x80070057")),
         E_INVALIDARG},
        {"hresult error without one",
         call.createErrorReply(QString::fromLatin1(kHresultErrorName), QStringLiteral("bad")), E_FAIL},
        {"peer gone", call.createErrorReply(QDBusError::ServiceUnknown, {}), RPC_E_DISCONNECTED},
        {"name without owner", call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"), {}),
         RPC_E_DISCONNECTED},
        {"no reply", call.createErrorReply(QDBusError::NoReply, {}), RPC_E_DISCONNECTED},
        {"object gone", call.createErrorReply(QDBusError::UnknownObject, {}), RPC_E_DISCONNECTED},
        {"no such method", call.createErrorReply(QDBusError::UnknownMethod, {}), E_NOTIMPL},
        {"read-only", call.createErrorReply(QDBusError::PropertyReadOnly, {}), DISP_E_MEMBERNOTFOUND},
        {"wrong arguments", call.createErrorReply(QDBusError::InvalidArgs, {}), E_INVALIDARG},
        {"other error", call.createErrorReply(QStringLiteral("org.example.Oops"), {}), E_FAIL},
        {"no message", QDBusMessage(), RPC_E_DISCONNECTED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hresultText(RemoteObject::resultOf(c.reply)), hresultText(c.expected)) << c.name;
}

} // namespace
} // namespace quillbrook::bus
