#include "automation/variant.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

struct CoercionCase {
    std::string name;
    Variant from;
    VarType to;
    HRESULT expectedResult;
    Variant expected; // ignored when the coercion fails
};

TEST(VariantCoercion, ConvertsAsTheOriginalDispatchDoes)
{
    const QString nullString;
    const std::vector<CoercionCase> cases = {
        {"bool stays unnormalised", Variant::fromBool(5), VT_BOOL, S_OK, Variant::fromBool(5)},
        {"I4 nonzero to bool", Variant::fromI4(5), VT_BOOL, S_OK, Variant::fromBool(VARIANT_TRUE)},
        {"I4 zero to bool", Variant::fromI4(0), VT_BOOL, S_OK, Variant::fromBool(VARIANT_FALSE)},
        {"I2 to bool", Variant::fromI2(-3), VT_BOOL, S_OK, Variant::fromBool(VARIANT_TRUE)},
        {"R8 fraction to bool", Variant::fromR8(0.25), VT_BOOL, S_OK, Variant::fromBool(VARIANT_TRUE)},
        {"BSTR TRUE to bool", Variant::fromBstr("TRUE"), VT_BOOL, S_OK, Variant::fromBool(VARIANT_TRUE)},
        {"BSTR False to bool", Variant::fromBstr(" False "), VT_BOOL, S_OK, Variant::fromBool(VARIANT_FALSE)},
        {"BSTR number to bool", Variant::fromBstr("2"), VT_BOOL, S_OK, Variant::fromBool(VARIANT_TRUE)},
        {"BSTR zero to bool", Variant::fromBstr("0"), VT_BOOL, S_OK, Variant::fromBool(VARIANT_FALSE)},
        {"BSTR word to bool", Variant::fromBstr("yes"), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
        {"empty to bool", Variant(), VT_BOOL, S_OK, Variant::fromBool(VARIANT_FALSE)},
        {"null to bool", Variant::null(), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
        {"bool to I4", Variant::fromBool(VARIANT_TRUE), VT_I4, S_OK, Variant::fromI4(-1)},
        {"I2 to I4", Variant::fromI2(-7), VT_I4, S_OK, Variant::fromI4(-7)},
        {"R8 half rounds to even down", Variant::fromR8(2.5), VT_I4, S_OK, Variant::fromI4(2)},
        {"R8 half rounds to even up", Variant::fromR8(3.5), VT_I4, S_OK, Variant::fromI4(4)},
        {"R8 negative half", Variant::fromR8(-2.5), VT_I4, S_OK, Variant::fromI4(-2)},
        {"R8 too large for I4", Variant::fromR8(2147483647.5), VT_I4, DISP_E_OVERFLOW, {}},
        {"R8 smallest I4", Variant::fromR8(-2147483648.0), VT_I4, S_OK, Variant::fromI4(-2147483647 - 1)},
        {"BSTR number to I4", Variant::fromBstr(" 932 "), VT_I4, S_OK, Variant::fromI4(932)},
        {"BSTR decimal to I4", Variant::fromBstr("1201.4"), VT_I4, S_OK, Variant::fromI4(1201)},
        {"BSTR grouped digits", Variant::fromBstr("1,000"), VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"BSTR too large for I4", Variant::fromBstr("3e10"), VT_I4, DISP_E_OVERFLOW, {}},
        {"BSTR empty to I4", Variant::fromBstr(""), VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"I4 too large for I2", Variant::fromI4(40000), VT_I2, DISP_E_OVERFLOW, {}},
        {"object to I4", Variant::fromDispatch(nullptr), VT_I4, DISP_E_TYPEMISMATCH, {}},
        {"null BSTR stays null", Variant::fromBstr(nullString), VT_BSTR, S_OK, Variant::fromBstr(nullString)},
        {"empty BSTR stays empty", Variant::fromBstr(""), VT_BSTR, S_OK, Variant::fromBstr("")},
        {"empty to BSTR is empty, not null", Variant(), VT_BSTR, S_OK, Variant::fromBstr("")},
        {"I4 to BSTR", Variant::fromI4(-42), VT_BSTR, S_OK, Variant::fromBstr("-42")},
        {"bool true to BSTR", Variant::fromBool(VARIANT_TRUE), VT_BSTR, S_OK, Variant::fromBstr("-1")},
        {"bool 5 to BSTR", Variant::fromBool(5), VT_BSTR, S_OK, Variant::fromBstr("-1")},
        {"bool false to BSTR", Variant::fromBool(VARIANT_FALSE), VT_BSTR, S_OK, Variant::fromBstr("0")},
        {"R8 to BSTR", Variant::fromR8(1e20), VT_BSTR, S_OK, Variant::fromBstr("1E+20")},
        {"null to BSTR", Variant::null(), VT_BSTR, DISP_E_TYPEMISMATCH, {}},
        {"object to BSTR", Variant::fromDispatch(nullptr), VT_BSTR, DISP_E_TYPEMISMATCH, {}},
        {"empty to dispatch", Variant(), VT_DISPATCH, S_OK, Variant::fromDispatch(nullptr)},
        {"null to unknown", Variant::null(), VT_UNKNOWN, S_OK, Variant::fromUnknown(nullptr)},
        {"dispatch to unknown", Variant::fromDispatch(nullptr), VT_UNKNOWN, S_OK, Variant::fromUnknown(nullptr)},
        {"BSTR to dispatch", Variant::fromBstr("x"), VT_DISPATCH, DISP_E_TYPEMISMATCH, {}},
        {"I4 to dispatch", Variant::fromI4(0), VT_DISPATCH, DISP_E_TYPEMISMATCH, {}},
        {"anything to VARIANT", Variant::null(), VT_VARIANT, S_OK, Variant::null()},
    };
    for (const CoercionCase& c : cases) {
        Variant coerced = Variant::fromI4(12345);
        EXPECT_EQ(coerceVariant(c.from, c.to, coerced), c.expectedResult) << c.name;
        if (SUCCEEDED(c.expectedResult))
            EXPECT_EQ(coerced, c.expected) << c.name;
        else
            EXPECT_EQ(coerced, Variant::fromI4(12345)) << c.name << ": a failed coercion leaves the target";
    }
}

TEST(VariantEquality, TellsNullStringFromEmptyAndBoolFromI2)
{
    EXPECT_NE(Variant::fromBstr(QString()), Variant::fromBstr(""));
    EXPECT_NE(Variant::fromBool(1), Variant::fromI2(1));
    EXPECT_NE(Variant(), Variant::null());
}

} // namespace
} // namespace quillbrook
