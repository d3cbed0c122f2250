// Builds type-info tables from member-function pointers. A table entry names the C++ member once;
// the parameter and result types, the thunk that converts the Variants and calls the member, and
// the checks that the entry fits the member are all derived from its signature at compile time.
//
//   constexpr auto kMembers = memberTable(
//       property<&IThing::get_Name, &IThing::put_Name>(u"Name", 1, u"help"),
//       propertyGet<&IThing::get_Busy>(u"Busy", 2, u"help"),
//       method<&IThing::Attach>(u"Attach", 3, {{u"Target", VT_UNKNOWN}}, u"help"));
//
// A member is `HRESULT Class::f(In..., Out*)`: the trailing pointer, when there is one, is the
// [out, retval]. Supported C++ types: QString (VT_BSTR), VARIANT_BOOL (VT_BOOL), std::int32_t
// (VT_I4), double (VT_R8), std::shared_ptr<Dispatchable> (VT_DISPATCH, or VT_UNKNOWN when the
// entry says so), Variant (VT_VARIANT), Guid (VT_BSTR in its braced text form).
//
// A dispinterface that the system only receives calls of (a source's events) lists its members
// with `event(u"onunload", 1008, u"help")`: they have a DISPID and a name but no C++ member.
#pragma once

#include "automation/dispatchable.h"

#include <QString>
#include <array>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <utility>

namespace quillbrook {

template <class T>
struct AutomationType;

template <>
struct AutomationType<QString> {
    static constexpr VarType type = VT_BSTR;
    static QString fromVariant(const Variant& v) { return v.bstr(); }
    static Variant toVariant(QString value) { return Variant::fromBstr(std::move(value)); }
};

// std::int16_t is VARIANT_BOOL here: no interface of the system passes a 16-bit integer.
template <>
struct AutomationType<VARIANT_BOOL> {
    static constexpr VarType type = VT_BOOL;
    static VARIANT_BOOL fromVariant(const Variant& v) { return v.boolVal(); }
    static Variant toVariant(VARIANT_BOOL value) { return Variant::fromBool(value); }
};

template <>
struct AutomationType<std::int32_t> {
    static constexpr VarType type = VT_I4;
    static std::int32_t fromVariant(const Variant& v) { return v.i4(); }
    static Variant toVariant(std::int32_t value) { return Variant::fromI4(value); }
};

template <>
struct AutomationType<double> {
    static constexpr VarType type = VT_R8;
    static double fromVariant(const Variant& v) { return v.r8(); }
    static Variant toVariant(double value) { return Variant::fromR8(value); }
};

template <>
struct AutomationType<std::shared_ptr<Dispatchable>> {
    static constexpr VarType type = VT_DISPATCH;
    static std::shared_ptr<Dispatchable> fromVariant(const Variant& v) { return v.object(); }
    static Variant toVariant(std::shared_ptr<Dispatchable> value) { return Variant::fromDispatch(std::move(value)); }
};

// An interface id crosses dispatch as its registry text; text that is not a GUID reads as the
// null GUID, which no interface has.
template <>
struct AutomationType<Guid> {
    static constexpr VarType type = VT_BSTR;
    static Guid fromVariant(const Variant& v) { return Guid::parse(v.bstr().toStdString()).value_or(Guid{}); }
    static Variant toVariant(const Guid& value) { return Variant::fromBstr(QString::fromStdString(value.toString())); }
};

template <>
struct AutomationType<Variant> {
    static constexpr VarType type = VT_VARIANT;
    static Variant fromVariant(const Variant& v) { return v; }
    static Variant toVariant(Variant value) { return value; }
};

namespace member_table_detail {

template <class... Args>
struct LastIsPointer : std::false_type {};
template <class First, class... Rest>
struct LastIsPointer<First, Rest...>
    : std::is_pointer<std::tuple_element_t<sizeof...(Rest), std::tuple<First, Rest...>>> {};

template <class F>
struct Signature;

template <class C, class... Args>
struct Signature<HRESULT (C::*)(Args...)> {
    using Class = C;
    static constexpr bool hasRetval = LastIsPointer<Args...>::value;
    static constexpr std::size_t inArity = sizeof...(Args) - (hasRetval ? 1 : 0);

    template <std::size_t I>
    using In = std::remove_cvref_t<std::tuple_element_t<I, std::tuple<Args...>>>;
    // void when there is no [out, retval].
    using Retval = std::remove_pointer_t<
        std::tuple_element_t<hasRetval ? sizeof...(Args) - 1 : sizeof...(Args), std::tuple<Args..., void*>>>;

    static constexpr std::array<VarType, inArity> inTypes()
    {
        return []<std::size_t... I>(std::index_sequence<I...>)
        {
            return std::array<VarType, inArity>{AutomationType<In<I>>::type...};
        }
        (std::make_index_sequence<inArity>{});
    }

    static constexpr VarType resultType()
    {
        if constexpr (hasRetval)
            return AutomationType<Retval>::type;
        else
            return VT_VOID;
    }
};

template <auto Member, class Sig, std::size_t... I>
[[nodiscard]] HRESULT callWithArguments(typename Sig::Class& self, [[maybe_unused]] std::span<const Variant> args,
                                        [[maybe_unused]] Variant* result, std::index_sequence<I...>)
{
    if constexpr (Sig::hasRetval) {
        typename Sig::Retval value{};
        const HRESULT hr =
            (self.*Member)(AutomationType<typename Sig::template In<I>>::fromVariant(args[I])..., &value);
        if (SUCCEEDED(hr) && result)
            *result = AutomationType<typename Sig::Retval>::toVariant(std::move(value));
        return hr;
    } else {
        return (self.*Member)(AutomationType<typename Sig::template In<I>>::fromVariant(args[I])...);
    }
}

template <auto Member>
[[nodiscard]] HRESULT callMember(Dispatchable& target, std::span<const Variant> args, Variant* result)
{
    using Sig = Signature<decltype(Member)>;
    auto* self = dynamic_cast<typename Sig::Class*>(&target);
    if (!self)
        return E_NOINTERFACE;
    if (args.size() != Sig::inArity)
        return DISP_E_BADPARAMCOUNT;
    return callWithArguments<Member, Sig>(*self, args, result, std::make_index_sequence<Sig::inArity>{});
}

// Not constexpr: a table that reaches it does not compile, and the message shows in the error.
inline void invalidMemberTable(const char* /*why*/) {}

// constexpr rather than consteval: it is only called by the consteval builders below, which keep
// it at compile time, and clang 14 refuses a consteval call on their parameters.
template <auto Member>
constexpr MemberInfo describeMember(std::u16string_view name, DISPID id, MemberKind kind,
                                    std::initializer_list<ParamInfo> params, std::u16string_view help)
{
    using Sig = Signature<decltype(Member)>;
    if (Sig::inArity > MemberInfo::kMaxParameters)
        invalidMemberTable("more parameters than MemberInfo::kMaxParameters");
    if (kind == MemberKind::PropertyGet && (Sig::inArity != 0 || !Sig::hasRetval))
        invalidMemberTable("a property get takes only its [out, retval] pointer");
    if (kind == MemberKind::PropertyPut && (Sig::inArity != 1 || Sig::hasRetval))
        invalidMemberTable("a property put takes only the new value");
    if (params.size() != Sig::inArity)
        invalidMemberTable("the entry names a different number of parameters than the member has");

    MemberInfo info;
    info.name = name;
    info.id = id;
    info.kind = kind;
    info.help = help;
    info.resultType = Sig::resultType();
    info.invoke = &callMember<Member>;
    const auto cppTypes = Sig::inTypes();
    std::size_t i = 0;
    for (const ParamInfo& param : params) {
        const VarType type = param.type == VT_EMPTY ? cppTypes[i] : param.type;
        if (type != cppTypes[i] && !(cppTypes[i] == VT_DISPATCH && type == VT_UNKNOWN))
            invalidMemberTable("a parameter's declared type does not fit its C++ type");
        info.parameterSlots[i] = ParamInfo{param.name, type};
        ++i;
    }
    info.parameterCount = Sig::inArity;
    return info;
}

} // namespace member_table_detail

template <auto Method>
consteval std::array<MemberInfo, 1> method(std::u16string_view name, DISPID id, std::initializer_list<ParamInfo> params,
                                           std::u16string_view help)
{
    return {member_table_detail::describeMember<Method>(name, id, MemberKind::Method, params, help)};
}

template <auto Getter>
consteval std::array<MemberInfo, 1> propertyGet(std::u16string_view name, DISPID id, std::u16string_view help)
{
    return {member_table_detail::describeMember<Getter>(name, id, MemberKind::PropertyGet, {}, help)};
}

// A read-write property: its get, then its put, sharing name, DISPID and help string.
template <auto Getter, auto Putter>
consteval std::array<MemberInfo, 2> property(std::u16string_view name, DISPID id, std::u16string_view help)
{
    const MemberInfo get = member_table_detail::describeMember<Getter>(name, id, MemberKind::PropertyGet, {}, help);
    const MemberInfo put = member_table_detail::describeMember<Putter>(name, id, MemberKind::PropertyPut, {{}}, help);
    if (get.resultType != put.parameterSlots[0].type)
        member_table_detail::invalidMemberTable("a property's get and put disagree on its type");
    return {get, put};
}

// A member of a dispinterface that the system receives but does not implement: calls of it by
// Invoke answer DISP_E_MEMBERNOTFOUND.
consteval std::array<MemberInfo, 1> event(std::u16string_view name, DISPID id, std::u16string_view help)
{
    MemberInfo info;
    info.name = name;
    info.id = id;
    info.kind = MemberKind::Method;
    info.help = help;
    return {info};
}

// Joins the entries in order and checks that names and DISPIDs pair up one to one and that no
// DISPID has two members of one kind.
template <std::size_t... N>
consteval auto memberTable(const std::array<MemberInfo, N>&... parts)
{
    std::array<MemberInfo, (N + ... + 0)> table{};
    std::size_t next = 0;
    (
        [&] {
            for (const MemberInfo& member : parts)
                table[next++] = member;
        }(),
        ...);
    for (std::size_t i = 0; i < table.size(); ++i) {
        for (std::size_t j = i + 1; j < table.size(); ++j) {
            const bool sameId = table[i].id == table[j].id;
            const bool sameName = table[i].name == table[j].name;
            if (sameId != sameName)
                member_table_detail::invalidMemberTable("a DISPID and a name do not pair up one to one");
            if (sameId && table[i].kind == table[j].kind)
                member_table_detail::invalidMemberTable("a DISPID has two members of the same kind");
        }
    }
    return table;
}

} // namespace quillbrook
