// Automation values: the original platform's VARIANT, reduced to the types the system's
// interfaces pass, with the coercions its dispatch applies to arguments.
#pragma once

#include "platform/win32_error.h"

#include <QString>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace quillbrook {

class Dispatchable;

using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Type codes with the original numbers. VT_VARIANT and VT_VOID only describe parameters and
// results in type information: VT_VARIANT takes any value unchanged, VT_VOID is "no result".
enum VarType : std::uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_VOID = 24,
};

class Variant {
public:
    Variant() = default; // VT_EMPTY

    static Variant null();
    static Variant fromI2(std::int16_t value);
    static Variant fromI4(std::int32_t value);
    static Variant fromR8(double value);
    static Variant fromBool(VARIANT_BOOL value); // kept as given, not normalised to -1
    static Variant fromBstr(QString value);      // a null QString is the null string
    static Variant fromDispatch(std::shared_ptr<Dispatchable> object);
    static Variant fromUnknown(std::shared_ptr<Dispatchable> object);

    VarType type() const { return type_; }

    // Each accessor gives the value when the variant holds that type, and zero, a null string or
    // a null object otherwise.
    std::int16_t i2() const { return type_ == VT_I2 ? static_cast<std::int16_t>(integer_) : 0; }
    std::int32_t i4() const { return type_ == VT_I4 ? integer_ : 0; }
    double r8() const { return type_ == VT_R8 ? real_ : 0.0; }
    VARIANT_BOOL boolVal() const { return type_ == VT_BOOL ? static_cast<VARIANT_BOOL>(integer_) : VARIANT_FALSE; }
    const QString& bstr() const { return string_; }
    const std::shared_ptr<Dispatchable>& object() const { return object_; }

    // Same type and same value; a null string differs from an empty one, objects compare by
    // identity.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    VarType type_ = VT_EMPTY;
    std::int32_t integer_ = 0;
    double real_ = 0.0;
    QString string_;
    std::shared_ptr<Dispatchable> object_;
};

// Converts `value` to `type` as the original dispatch converts an argument to its parameter's
// type. S_OK with `coerced` set, or DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW with `coerced` untouched.
[[nodiscard]] HRESULT coerceVariant(const Variant& value, VarType type, Variant& coerced);

// "VT_BSTR \"text\"", "VT_NULL", ...: for logs and test messages.
std::string describe(const Variant& value);
std::ostream& operator<<(std::ostream& out, const Variant& value);

} // namespace quillbrook
