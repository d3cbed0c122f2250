// The IDispatch side of an automation object: names to DISPIDs and calls by DISPID, both driven
// by the object's type-info table, with the original platform's results; and QueryInterface, by
// which a holder of one interface asks the object for another.
#pragma once

#include "automation/interface_info.h"
#include "automation/variant.h"
#include "platform/win32_error.h"

#include <QStringView>
#include <cstdint>
#include <memory>
#include <span>

namespace quillbrook {

// The two interfaces every automation object answers, with their original ids.
inline constexpr Guid IID_IUnknown = *Guid::parse("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IDispatch = *Guid::parse("{00020400-0000-0000-C000-000000000046}");

// The original dispatch flags. Scripts call a method or read a property with Method|PropertyGet.
enum class DispatchFlags : std::uint16_t {
    Method = 1,
    PropertyGet = 2,
    PropertyPut = 4,
    PropertyPutRef = 8,
};

constexpr DispatchFlags operator|(DispatchFlags a, DispatchFlags b)
{
    return static_cast<DispatchFlags>(static_cast<std::uint16_t>(a) | static_cast<std::uint16_t>(b));
}

// Whether a call with `flags` may reach a member of `kind`.
constexpr bool allows(DispatchFlags flags, MemberKind kind)
{
    return (static_cast<std::uint16_t>(flags) & static_cast<std::uint16_t>(kind)) != 0;
}

class Dispatchable : public std::enable_shared_from_this<Dispatchable> {
public:
    virtual ~Dispatchable() = default;
    Dispatchable(const Dispatchable&) = delete;
    Dispatchable& operator=(const Dispatchable&) = delete;

    virtual const InterfaceInfo& typeInfo() const = 0;

    // Asks the object for its interface `iid`: S_OK with `object` set, E_NOINTERFACE with `object`
    // null when the object does not answer it, E_POINTER when `object` is null. Where a C++ class
    // of the interface exists, the answer is an object of that class. The default answers the
    // object's own interface, IID_IDispatch and IID_IUnknown with the object itself; an object with
    // several interfaces answers with its facets (facets.h), a proxy by asking the remote side.
    [[nodiscard]] virtual HRESULT QueryInterface(const Guid& iid, std::shared_ptr<Dispatchable>* object);

    // Letters compared case-insensitively. DISP_E_UNKNOWNNAME when no member has that name.
    // Both this and Invoke read typeInfo(); a proxy of an object in another process overrides
    // them to ask that object, whose table only it knows.
    [[nodiscard]] virtual HRESULT GetIDsOfNames(QStringView name, DISPID& id) const;

    // `args` in natural order, first parameter first; a property put takes the new value as its
    // only argument. `result` (may be null) is emptied, then receives the [out, retval] value.
    // DISP_E_MEMBERNOTFOUND: no member with that DISPID and a kind the flags allow.
    // DISP_E_BADPARAMCOUNT: not exactly as many arguments as parameters.
    // DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW: an argument does not convert to its parameter's type.
    // Otherwise the member's own result.
    [[nodiscard]] virtual HRESULT Invoke(DISPID id, DispatchFlags flags, std::span<const Variant> args,
                                         Variant* result);

    // GetIDsOfNames, then Invoke: how a caller that knows only names (the bus) reaches a member.
    [[nodiscard]] HRESULT invokeByName(QStringView name, DispatchFlags flags, std::span<const Variant> args,
                                       Variant* result);

protected:
    Dispatchable() = default;
};

// The object's `Interface` (a class with a static interfaceInfo()), or null when `object` is null
// or does not answer that interface.
template <class Interface>
std::shared_ptr<Interface> queryInterface(const std::shared_ptr<Dispatchable>& object)
{
    std::shared_ptr<Dispatchable> answer;
    if (!object || FAILED(object->QueryInterface(Interface::interfaceInfo().iid, &answer)))
        return nullptr;
    return std::dynamic_pointer_cast<Interface>(answer);
}

} // namespace quillbrook
