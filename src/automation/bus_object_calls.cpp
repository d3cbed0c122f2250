#include "automation/bus_object_calls.h"

#include "automation/bus_introspection.h"
#include "automation/bus_values.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusVariant>
#include <QVariantList>
#include <QVariantMap>
#include <vector>

namespace quillbrook::bus {

namespace {

constexpr QLatin1String kPropertiesInterface("org.freedesktop.DBus.Properties");
constexpr QLatin1String kIntrospectableInterface("org.freedesktop.DBus.Introspectable");
constexpr QLatin1String kPeerInterface("org.freedesktop.DBus.Peer");
// DISPID_UNKNOWN: what GetIDsOfNames gives for a name it does not know.
constexpr int kUnknownDispId = -1;

QVariantList listFrom(const QVariant& argument)
{
    if (argument.metaType() == QMetaType::fromType<QVariantList>())
        return argument.toList();
    QVariantList items;
    if (argument.metaType() == QMetaType::fromType<QDBusArgument>())
        argument.value<QDBusArgument>() >> items;
    return items;
}

class ObjectCall {
public:
    ObjectCall(const QDBusMessage& call, const std::shared_ptr<Dispatchable>& object, ObjectMarshaller& marshaller)
        : call_(call), object_(object), marshaller_(marshaller), info_(object->typeInfo()),
          typedInterface_(typedInterfaceName(info_))
    {}

    std::optional<QDBusMessage> answer()
    {
        const QString interface = call_.interface();
        const QString member = call_.member();
        if (interface == kPropertiesInterface)
            return properties(member);
        if (interface == typedInterface_ || (interface.isEmpty() && findMember(member, MemberKind::Method)))
            return typedMethod(member);
        const bool unnamed = interface.isEmpty();
        if (interface == QLatin1String(kDispatchInterface) || unnamed) {
            if (member == u"GetIDsOfNames")
                return getIDsOfNames();
            if (member == u"Invoke")
                return invoke();
            if (member == u"Release")
                return std::nullopt;
        }
        if ((interface == QLatin1String(kUnknownInterface) || unnamed) && member == u"QueryInterface")
            return queryInterface();
        if (interface == kIntrospectableInterface || interface == kPeerInterface || unnamed)
            return std::nullopt;
        if (interface == QLatin1String(kDispatchInterface) || interface == QLatin1String(kUnknownInterface))
            return error(QDBusError::UnknownMethod, QStringLiteral("No method %1 in %2").arg(member, interface));
        return error(QDBusError::UnknownInterface, QStringLiteral("The object has no interface %1").arg(interface));
    }

private:
    QString peer() const { return call_.service(); }

    QDBusMessage error(QDBusError::ErrorType type, const QString& text) const
    {
        return call_.createErrorReply(type, text);
    }
    QDBusMessage failure(HRESULT hr) const
    {
        return call_.createErrorReply(QLatin1String(kHresultErrorName), hresultText(hr));
    }
    QDBusMessage wrongArguments(const QString& expected) const
    {
        return error(QDBusError::InvalidArgs,
                     QStringLiteral("%1 takes (%2), not (%3)").arg(call_.member(), expected, call_.signature()));
    }

    // Only members with a C++ member behind them: an event of a dispinterface has no typed form.
    const MemberInfo* findMember(const QString& name, MemberKind kind) const
    {
        for (const MemberInfo& member : info_.members) {
            if (member.kind == kind && member.invoke && QStringView(member.name) == name)
                return &member;
        }
        return nullptr;
    }

    QDBusMessage typedMethod(const QString& name)
    {
        const MemberInfo* method = findMember(name, MemberKind::Method);
        if (!method)
            return error(QDBusError::UnknownMethod, QStringLiteral("No method %1 in %2").arg(name, typedInterface_));
        QString signature;
        for (const ParamInfo& param : method->parameters())
            signature += busSignature(param.type);
        if (call_.signature() != signature)
            return wrongArguments(signature);
        std::vector<Variant> args;
        const QVariantList received = call_.arguments();
        for (qsizetype i = 0; i < received.size(); ++i)
            args.push_back(
                fromBusValue(received[i], method->parameters()[static_cast<std::size_t>(i)].type, marshaller_));
        Variant result;
        const HRESULT hr = object_->Invoke(method->id, DispatchFlags::Method, args, &result);
        QVariantList reply{QVariant::fromValue(static_cast<qint32>(hr))};
        if (method->resultType != VT_VOID)
            reply.append(toBusValue(result, method->resultType, marshaller_, peer()));
        return call_.createReply(reply);
    }

    QDBusVariant propertyValue(const Variant& value, VarType type) const
    {
        if (busSignature(type) == QLatin1String("v"))
            return toBusVariant(value, marshaller_, peer());
        return QDBusVariant(toBusValue(value, type, marshaller_, peer()));
    }

    std::optional<QDBusMessage> properties(const QString& method)
    {
        const QVariantList args = call_.arguments();
        if (method == u"GetAll") {
            if (call_.signature() != u"s")
                return wrongArguments(QStringLiteral("s"));
            return getAll(args[0].toString());
        }
        if (method == u"Get" && call_.signature() != u"ss")
            return wrongArguments(QStringLiteral("ss"));
        if (method == u"Set" && call_.signature() != u"ssv")
            return wrongArguments(QStringLiteral("ssv"));
        if (method != u"Get" && method != u"Set")
            return error(QDBusError::UnknownMethod,
                         QStringLiteral("No method %1 in %2").arg(method, kPropertiesInterface));

        const QString interface = args[0].toString();
        const QString name = args[1].toString();
        const MemberInfo* get =
            interface == typedInterface_ || interface.isEmpty() ? findMember(name, MemberKind::PropertyGet) : nullptr;
        const MemberInfo* put =
            interface == typedInterface_ || interface.isEmpty() ? findMember(name, MemberKind::PropertyPut) : nullptr;
        if (!get && !put)
            return error(QDBusError::UnknownProperty, QStringLiteral("No property %1 in %2").arg(name, interface));
        return method == u"Get" ? getProperty(get) : setProperty(put, args[2]);
    }

    QDBusMessage getProperty(const MemberInfo* get)
    {
        if (!get)
            return error(QDBusError::AccessDenied,
                         QStringLiteral("%1 is write-only").arg(call_.arguments()[1].toString()));
        Variant value;
        if (const HRESULT hr = object_->Invoke(get->id, DispatchFlags::PropertyGet, {}, &value); FAILED(hr))
            return failure(hr);
        return call_.createReply(QVariant::fromValue(propertyValue(value, get->resultType)));
    }

    QDBusMessage setProperty(const MemberInfo* put, const QVariant& received)
    {
        if (!put)
            return error(QDBusError::PropertyReadOnly,
                         QStringLiteral("%1 is read-only").arg(call_.arguments()[1].toString()));
        Variant value;
        HRESULT hr = fromBusVariant(received.value<QDBusVariant>().variant(), marshaller_, value);
        if (SUCCEEDED(hr))
            hr = object_->Invoke(put->id, DispatchFlags::PropertyPut, {&value, 1}, nullptr);
        return FAILED(hr) ? failure(hr) : call_.createReply();
    }

    // A property whose get fails is left out, so that one failing value does not hide the rest.
    QDBusMessage getAll(const QString& interface)
    {
        QVariantMap values;
        if (interface == typedInterface_ || interface.isEmpty()) {
            for (const MemberInfo& member : info_.members) {
                if (member.kind != MemberKind::PropertyGet || !member.invoke)
                    continue;
                Variant value;
                if (SUCCEEDED(object_->Invoke(member.id, DispatchFlags::PropertyGet, {}, &value)))
                    values.insert(QStringView(member.name).toString(),
                                  propertyValue(value, member.resultType).variant());
            }
        }
        return call_.createReply(QVariant::fromValue(values));
    }

    QDBusMessage getIDsOfNames()
    {
        if (call_.signature() != u"as")
            return wrongArguments(QStringLiteral("as"));
        const QStringList names = call_.arguments()[0].toStringList();
        HRESULT hr = S_OK;
        QList<int> ids;
        DISPID memberId = kUnknownDispId;
        if (!names.isEmpty()) {
            hr = object_->GetIDsOfNames(names.front(), memberId);
            ids.append(SUCCEEDED(hr) ? memberId : kUnknownDispId);
        }
        // The names after the first are the member's parameter names; their ids are positions.
        for (qsizetype i = 1; i < names.size(); ++i) {
            const int position = parameterPosition(memberId, names[i]);
            ids.append(position);
            if (position == kUnknownDispId)
                hr = DISP_E_UNKNOWNNAME;
        }
        return call_.createReply({QVariant::fromValue(static_cast<qint32>(hr)), QVariant::fromValue(ids)});
    }

    int parameterPosition(DISPID memberId, const QString& name) const
    {
        for (const MemberInfo& member : info_.members) {
            if (member.id != memberId)
                continue;
            const auto params = member.parameters();
            for (std::size_t i = 0; i < params.size(); ++i) {
                if (QStringView(params[i].name).compare(name, Qt::CaseInsensitive) == 0)
                    return static_cast<int>(i);
            }
        }
        return kUnknownDispId;
    }

    QDBusMessage invoke()
    {
        if (call_.signature() != u"iqav")
            return wrongArguments(QStringLiteral("iqav"));
        const QVariantList received = call_.arguments();
        std::vector<Variant> args;
        HRESULT hr = S_OK;
        for (const QVariant& item : listFrom(received[2])) {
            Variant arg;
            hr = fromBusVariant(item, marshaller_, arg);
            if (FAILED(hr))
                break;
            args.push_back(std::move(arg));
        }
        Variant result;
        if (SUCCEEDED(hr)) {
            const auto flags = static_cast<DispatchFlags>(received[1].value<ushort>());
            hr = object_->Invoke(received[0].toInt(), flags, args, &result);
        }
        return call_.createReply({QVariant::fromValue(static_cast<qint32>(hr)),
                                  QVariant::fromValue(toBusVariant(result, marshaller_, peer()))});
    }

    QDBusMessage queryInterface()
    {
        if (call_.signature() != u"s")
            return wrongArguments(QStringLiteral("s"));
        const QString name = call_.arguments()[0].toString();
        const bool answers = name == typedInterface_ || name == QLatin1String(kDispatchInterface)
                             || name == QLatin1String(kUnknownInterface);
        return call_.createReply(QVariant(answers));
    }

    const QDBusMessage& call_;
    std::shared_ptr<Dispatchable> object_;
    ObjectMarshaller& marshaller_;
    const InterfaceInfo& info_;
    QString typedInterface_;
};

} // namespace

std::optional<QDBusMessage> answerObjectCall(const QDBusMessage& call, const std::shared_ptr<Dispatchable>& object,
                                             ObjectMarshaller& marshaller)
{
    return ObjectCall(call, object, marshaller).answer();
}

} // namespace quillbrook::bus
