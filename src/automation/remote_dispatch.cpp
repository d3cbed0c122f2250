#include "automation/remote_dispatch.h"

#include "automation/bus_values.h"

#include <QDBusArgument>
#include <QList>

namespace quillbrook::bus {

namespace {

constexpr InterfaceInfo kRemoteDispatch{u"IDispatch", IID_IDispatch, u"", false, {}};

QList<int> idsFrom(const QVariant& argument)
{
    if (argument.metaType() == QMetaType::fromType<QList<int>>())
        return argument.value<QList<int>>();
    QList<int> ids;
    if (argument.metaType() == QMetaType::fromType<QDBusArgument>())
        argument.value<QDBusArgument>() >> ids;
    return ids;
}

} // namespace

const InterfaceInfo& RemoteDispatch::typeInfo() const
{
    return kRemoteDispatch;
}

HRESULT RemoteDispatch::GetIDsOfNames(QStringView name, DISPID& id) const
{
    const QDBusMessage reply = remote().call(QLatin1String(kDispatchInterface), QStringLiteral("GetIDsOfNames"),
                                             {QStringList{name.toString()}});
    const HRESULT hr = RemoteObject::resultOf(reply);
    if (FAILED(hr))
        return hr;
    const QList<int> ids = reply.arguments().size() >= 2 ? idsFrom(reply.arguments()[1]) : QList<int>();
    if (ids.size() != 1)
        return E_UNEXPECTED;
    id = ids.front();
    return hr;
}

HRESULT RemoteDispatch::Invoke(DISPID id, DispatchFlags flags, std::span<const Variant> args, Variant* result)
{
    if (result)
        *result = Variant();
    const RemoteObject& target = remote();
    QVariantList busArgs;
    for (const Variant& arg : args)
        busArgs.append(toBusVariant(arg, target.marshaller(), target.reference().service).variant());
    const QDBusMessage reply = target.call(QLatin1String(kDispatchInterface), QStringLiteral("Invoke"),
                                           {QVariant::fromValue(static_cast<qint32>(id)),
                                            QVariant::fromValue(static_cast<ushort>(flags)), QVariant(busArgs)});
    const HRESULT hr = RemoteObject::resultOf(reply);
    if (result && reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() >= 2) {
        Variant value;
        if (SUCCEEDED(fromBusVariant(reply.arguments()[1].value<QDBusVariant>().variant(), target.marshaller(), value)))
            *result = std::move(value);
    }
    return hr;
}

const ObjectReference* remoteReferenceOf(const Dispatchable& identity)
{
    const auto* remote = dynamic_cast<const RemoteDispatch*>(&identity);
    return remote ? &remote->remote().reference() : nullptr;
}

} // namespace quillbrook::bus
