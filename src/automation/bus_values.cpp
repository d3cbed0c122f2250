#include "automation/bus_values.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QVariantList>
#include <cmath>
#include <limits>
#include <utility>

namespace quillbrook::bus {

namespace {

Variant objectVariant(std::shared_ptr<Dispatchable> object, VarType type)
{
    return type == VT_UNKNOWN ? Variant::fromUnknown(std::move(object)) : Variant::fromDispatch(std::move(object));
}

QVariant referenceValue(const Variant& value, ObjectMarshaller& marshaller, const QString& peer)
{
    return QVariant::fromValue(value.object() ? marshaller.toReference(value.object(), peer) : ObjectReference{});
}

// Integers wider or unsigned: a long when they fit, else the nearest double.
template <class Integer>
Variant integerVariant(Integer number)
{
    if (std::cmp_greater_equal(number, std::numeric_limits<std::int32_t>::min())
        && std::cmp_less_equal(number, std::numeric_limits<std::int32_t>::max()))
        return Variant::fromI4(static_cast<std::int32_t>(number));
    return Variant::fromR8(static_cast<double>(number));
}

} // namespace

QString busSignature(VarType type)
{
    switch (type) {
    case VT_BSTR: return QStringLiteral("s");
    case VT_BOOL:
    case VT_I2: return QStringLiteral("n");
    case VT_I4: return QStringLiteral("i");
    case VT_R8: return QStringLiteral("d");
    case VT_DISPATCH:
    case VT_UNKNOWN: return QStringLiteral("(so)");
    default: return QStringLiteral("v");
    }
}

QString hresultText(HRESULT hr)
{
    return QStringLiteral("0x") + QString::number(static_cast<std::uint32_t>(hr), 16).rightJustified(8, u'0').toUpper();
}

std::optional<HRESULT> parseHresultText(const QString& text)
{
    if (!text.startsWith(u"0x") || text.size() != 10)
        return std::nullopt;
    bool ok = false;
    const std::uint32_t value = text.mid(2).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<HRESULT>(value);
}

QVariant toBusValue(const Variant& value, VarType type, ObjectMarshaller& marshaller, const QString& peer)
{
    if (busSignature(type) == QLatin1String("v"))
        return QVariant::fromValue(toBusVariant(value, marshaller, peer));
    Variant coerced;
    const bool converts = SUCCEEDED(coerceVariant(value, type, coerced));
    switch (type) {
    case VT_BSTR: return converts ? coerced.bstr() : QStringLiteral("");
    case VT_BOOL: return QVariant::fromValue(static_cast<qint16>(converts ? coerced.boolVal() : VARIANT_FALSE));
    case VT_I2: return QVariant::fromValue(static_cast<qint16>(converts ? coerced.i2() : 0));
    case VT_I4: return QVariant::fromValue(static_cast<qint32>(converts ? coerced.i4() : 0));
    case VT_R8: return QVariant::fromValue(converts ? coerced.r8() : 0.0);
    default: return referenceValue(converts ? coerced : Variant(), marshaller, peer);
    }
}

Variant fromBusValue(const QVariant& value, VarType type, ObjectMarshaller& marshaller)
{
    switch (type) {
    case VT_BSTR: return Variant::fromBstr(value.toString());
    case VT_BOOL: return Variant::fromBool(static_cast<VARIANT_BOOL>(value.toInt()));
    case VT_I2: return Variant::fromI2(static_cast<std::int16_t>(value.toInt()));
    case VT_I4: return Variant::fromI4(value.toInt());
    case VT_R8: return Variant::fromR8(value.toDouble());
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        const auto reference = referenceFrom(value);
        return objectVariant(reference ? marshaller.fromReference(*reference) : nullptr, type);
    }
    default: {
        Variant content;
        if (FAILED(fromBusVariant(value.value<QDBusVariant>().variant(), marshaller, content)))
            return Variant();
        return content;
    }
    }
}

QDBusVariant toBusVariant(const Variant& value, ObjectMarshaller& marshaller, const QString& peer)
{
    switch (value.type()) {
    case VT_I2: return QDBusVariant(QVariant::fromValue(value.i2()));
    case VT_BOOL: return QDBusVariant(QVariant::fromValue(value.boolVal()));
    case VT_I4: return QDBusVariant(QVariant::fromValue(value.i4()));
    case VT_R8: return QDBusVariant(QVariant::fromValue(value.r8()));
    case VT_BSTR: return QDBusVariant(value.bstr().isNull() ? QStringLiteral("") : value.bstr());
    case VT_DISPATCH:
    case VT_UNKNOWN: return QDBusVariant(referenceValue(value, marshaller, peer));
    default: return QDBusVariant(QVariant::fromValue(QVariantList()));
    }
}

[[nodiscard]] HRESULT fromBusVariant(const QVariant& content, ObjectMarshaller& marshaller, Variant& value)
{
    switch (content.metaType().id()) {
    case QMetaType::QString: value = Variant::fromBstr(content.toString()); return S_OK;
    case QMetaType::Bool: value = Variant::fromBool(content.toBool() ? VARIANT_TRUE : VARIANT_FALSE); return S_OK;
    case QMetaType::Short: value = Variant::fromBool(content.value<qint16>()); return S_OK;
    case QMetaType::Int: value = Variant::fromI4(content.toInt()); return S_OK;
    case QMetaType::UChar: value = integerVariant(content.value<uchar>()); return S_OK;
    case QMetaType::UShort: value = integerVariant(content.value<ushort>()); return S_OK;
    case QMetaType::UInt: value = integerVariant(content.value<uint>()); return S_OK;
    case QMetaType::LongLong: value = integerVariant(content.value<qlonglong>()); return S_OK;
    case QMetaType::ULongLong: value = integerVariant(content.value<qulonglong>()); return S_OK;
    case QMetaType::Double: value = Variant::fromR8(content.toDouble()); return S_OK;
    case QMetaType::QVariantList:
        if (!content.toList().isEmpty())
            return DISP_E_TYPEMISMATCH;
        value = Variant();
        return S_OK;
    default: break;
    }
    if (content.metaType() == QMetaType::fromType<QDBusVariant>())
        return fromBusVariant(content.value<QDBusVariant>().variant(), marshaller, value);
    if (const auto reference = referenceFrom(content)) {
        value = Variant::fromDispatch(marshaller.fromReference(*reference));
        return S_OK;
    }
    if (content.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto argument = content.value<QDBusArgument>();
        if (argument.currentSignature() == u"av") {
            QVariantList items;
            argument >> items;
            if (items.isEmpty()) {
                value = Variant();
                return S_OK;
            }
        }
    }
    return DISP_E_TYPEMISMATCH;
}

std::optional<ObjectReference> referenceFrom(const QVariant& argument)
{
    // A call within one connection keeps its arguments as they were sent.
    if (argument.metaType() == QMetaType::fromType<ObjectReference>())
        return argument.value<ObjectReference>();
    if (argument.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto structure = argument.value<QDBusArgument>();
    if (structure.currentSignature() != u"(so)")
        return std::nullopt;
    ObjectReference reference;
    structure >> reference;
    return reference;
}

} // namespace quillbrook::bus
