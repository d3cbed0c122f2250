#include "automation/variant.h"

#include <cmath>
#include <limits>
#include <ostream>

namespace quillbrook {

Variant Variant::null()
{
    Variant v;
    v.type_ = VT_NULL;
    return v;
}

Variant Variant::fromI2(std::int16_t value)
{
    Variant v;
    v.type_ = VT_I2;
    v.integer_ = value;
    return v;
}

Variant Variant::fromI4(std::int32_t value)
{
    Variant v;
    v.type_ = VT_I4;
    v.integer_ = value;
    return v;
}

Variant Variant::fromR8(double value)
{
    Variant v;
    v.type_ = VT_R8;
    v.real_ = value;
    return v;
}

Variant Variant::fromBool(VARIANT_BOOL value)
{
    Variant v;
    v.type_ = VT_BOOL;
    v.integer_ = value;
    return v;
}

Variant Variant::fromBstr(QString value)
{
    Variant v;
    v.type_ = VT_BSTR;
    v.string_ = std::move(value);
    return v;
}

Variant Variant::fromDispatch(std::shared_ptr<Dispatchable> object)
{
    Variant v;
    v.type_ = VT_DISPATCH;
    v.object_ = std::move(object);
    return v;
}

Variant Variant::fromUnknown(std::shared_ptr<Dispatchable> object)
{
    Variant v;
    v.type_ = VT_UNKNOWN;
    v.object_ = std::move(object);
    return v;
}

bool operator==(const Variant& a, const Variant& b)
{
    return a.type_ == b.type_ && a.integer_ == b.integer_ && a.real_ == b.real_
           && a.string_.isNull() == b.string_.isNull() && a.string_ == b.string_ && a.object_ == b.object_;
}

namespace {

// A string as a number: optional surrounding blanks, sign, decimals, exponent. Group separators,
// infinities and NaN are not numbers.
bool parseNumber(const QString& text, double& number)
{
    bool ok = false;
    number = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(number);
}

// The numeric value of `value` before it is narrowed to the target type.
[[nodiscard]] HRESULT numericValue(const Variant& value, double& number)
{
    switch (value.type()) {
    case VT_EMPTY: number = 0.0; return S_OK;
    case VT_I2: number = value.i2(); return S_OK;
    case VT_I4: number = value.i4(); return S_OK;
    case VT_BOOL: number = value.boolVal(); return S_OK;
    case VT_R8: number = value.r8(); return S_OK;
    case VT_BSTR: return parseNumber(value.bstr(), number) ? S_OK : DISP_E_TYPEMISMATCH;
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Rounds half to even, as the original's conversions from floating point do.
template <class Integer>
[[nodiscard]] HRESULT toInteger(const Variant& value, Integer& result)
{
    double number = 0.0;
    if (const HRESULT hr = numericValue(value, number); FAILED(hr))
        return hr;
    const double rounded = std::nearbyint(number);
    if (!(rounded >= std::numeric_limits<Integer>::min() && rounded <= std::numeric_limits<Integer>::max()))
        return DISP_E_OVERFLOW;
    result = static_cast<Integer>(rounded);
    return S_OK;
}

[[nodiscard]] HRESULT toBool(const Variant& value, VARIANT_BOOL& result)
{
    if (value.type() == VT_BOOL) {
        result = value.boolVal();
        return S_OK;
    }
    if (value.type() == VT_BSTR) {
        const QString text = value.bstr().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0) {
            result = VARIANT_TRUE;
            return S_OK;
        }
        if (text.compare(u"false", Qt::CaseInsensitive) == 0) {
            result = VARIANT_FALSE;
            return S_OK;
        }
    }
    double number = 0.0;
    if (const HRESULT hr = numericValue(value, number); FAILED(hr))
        return hr;
    result = number != 0.0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

[[nodiscard]] HRESULT toBstr(const Variant& value, QString& result)
{
    switch (value.type()) {
    case VT_BSTR: result = value.bstr(); return S_OK;
    case VT_EMPTY: result = QStringLiteral(""); return S_OK;
    case VT_I2: result = QString::number(value.i2()); return S_OK;
    case VT_I4: result = QString::number(value.i4()); return S_OK;
    case VT_BOOL: result = value.boolVal() != VARIANT_FALSE ? QStringLiteral("-1") : QStringLiteral("0"); return S_OK;
    case VT_R8: result = QString::number(value.r8(), 'G', 15); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

} // namespace

[[nodiscard]] HRESULT coerceVariant(const Variant& value, VarType type, Variant& coerced)
{
    HRESULT hr = S_OK;
    switch (type) {
    case VT_VARIANT: coerced = value; return S_OK;
    case VT_I2: {
        std::int16_t result = 0;
        if (hr = toInteger(value, result); SUCCEEDED(hr))
            coerced = Variant::fromI2(result);
        return hr;
    }
    case VT_I4: {
        std::int32_t result = 0;
        if (hr = toInteger(value, result); SUCCEEDED(hr))
            coerced = Variant::fromI4(result);
        return hr;
    }
    case VT_R8: {
        double result = 0.0;
        if (hr = numericValue(value, result); SUCCEEDED(hr))
            coerced = Variant::fromR8(result);
        return hr;
    }
    case VT_BOOL: {
        VARIANT_BOOL result = VARIANT_FALSE;
        if (hr = toBool(value, result); SUCCEEDED(hr))
            coerced = Variant::fromBool(result);
        return hr;
    }
    case VT_BSTR: {
        QString result;
        if (hr = toBstr(value, result); SUCCEEDED(hr))
            coerced = Variant::fromBstr(std::move(result));
        return hr;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        const VarType from = value.type();
        if (from != VT_DISPATCH && from != VT_UNKNOWN && from != VT_EMPTY && from != VT_NULL)
            return DISP_E_TYPEMISMATCH;
        coerced = type == VT_DISPATCH ? Variant::fromDispatch(value.object()) : Variant::fromUnknown(value.object());
        return S_OK;
    }
    default: return DISP_E_TYPEMISMATCH;
    }
}

std::string describe(const Variant& value)
{
    switch (value.type()) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I2: return "VT_I2 " + std::to_string(value.i2());
    case VT_I4: return "VT_I4 " + std::to_string(value.i4());
    case VT_R8: return "VT_R8 " + QString::number(value.r8(), 'G', 17).toStdString();
    case VT_BOOL: return "VT_BOOL " + std::to_string(value.boolVal());
    case VT_BSTR: return value.bstr().isNull() ? "VT_BSTR (null)" : "VT_BSTR \"" + value.bstr().toStdString() + '"';
    case VT_DISPATCH: return value.object() ? "VT_DISPATCH (object)" : "VT_DISPATCH (null)";
    case VT_UNKNOWN: return value.object() ? "VT_UNKNOWN (object)" : "VT_UNKNOWN (null)";
    default: return "VT " + std::to_string(value.type());
    }
}

std::ostream& operator<<(std::ostream& out, const Variant& value)
{
    return out << describe(value);
}

} // namespace quillbrook
