// Type information as data: what the original system's type library said about an interface and
// a creatable class. One table per interface is the single source for member names, DISPIDs,
// kinds, parameter names and help strings; dispatch, introspection and the bus export read it.
#pragma once

#include "automation/guid.h"
#include "automation/variant.h"

#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillbrook {

class Dispatchable;

using DISPID = std::int32_t;

// The values are the original invocation kinds, so a kind matches the dispatch flags bitwise.
enum class MemberKind : std::uint16_t {
    Method = 1,
    PropertyGet = 2,
    PropertyPut = 4,
};

struct ParamInfo {
    std::u16string_view name; // empty for the value of a property put
    VarType type = VT_EMPTY;  // in a table built by member_table.h: VT_EMPTY means "the C++ type's"
};

// Calls the C++ member behind a table entry. `args` are already coerced to the parameter types.
using MemberThunk = HRESULT (*)(Dispatchable& target, std::span<const Variant> args, Variant* result);

struct MemberInfo {
    static constexpr std::size_t kMaxParameters = 6;

    std::u16string_view name;
    DISPID id = 0;
    MemberKind kind = MemberKind::Method;
    std::array<ParamInfo, kMaxParameters> parameterSlots{};
    std::size_t parameterCount = 0;
    VarType resultType = VT_VOID; // the [out, retval] type; VT_VOID when there is none
    std::u16string_view help;
    MemberThunk invoke = nullptr;

    constexpr std::span<const ParamInfo> parameters() const { return {parameterSlots.data(), parameterCount}; }
};

struct InterfaceInfo {
    std::u16string_view name;
    Guid iid;
    std::u16string_view help;
    bool dual = false;                   // false: a dispinterface
    std::span<const MemberInfo> members; // in vtable order; a property's get before its put

    // The first member of that name, letters compared case-insensitively; nullptr when none.
    const MemberInfo* findByName(QStringView memberName) const;
};

struct ClassInfo {
    std::u16string_view name;
    Guid clsid;
    std::u16string_view help;
    std::u16string_view progId; // version-independent
    std::u16string_view versionedProgId;
    std::u16string_view friendlyName;
    const InterfaceInfo* defaultInterface = nullptr;
    const InterfaceInfo* eventsInterface = nullptr; // the source dispinterface
};

} // namespace quillbrook
