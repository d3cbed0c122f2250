#include "automation/dispatchable.h"

#include <array>

namespace quillbrook {

HRESULT Dispatchable::QueryInterface(const Guid& iid, std::shared_ptr<Dispatchable>* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != typeInfo().iid && iid != IID_IDispatch && iid != IID_IUnknown)
        return E_NOINTERFACE;
    // An object that no shared_ptr owns cannot hand out a reference to itself.
    *object = weak_from_this().lock();
    return *object ? S_OK : E_FAIL;
}

HRESULT Dispatchable::GetIDsOfNames(QStringView name, DISPID& id) const
{
    const MemberInfo* member = typeInfo().findByName(name);
    if (!member)
        return DISP_E_UNKNOWNNAME;
    id = member->id;
    return S_OK;
}

HRESULT Dispatchable::Invoke(DISPID id, DispatchFlags flags, std::span<const Variant> args, Variant* result)
{
    if (result)
        *result = Variant();
    const MemberInfo* target = nullptr;
    for (const MemberInfo& member : typeInfo().members) {
        if (member.id == id && allows(flags, member.kind)) {
            target = &member;
            break;
        }
    }
    if (!target || !target->invoke)
        return DISP_E_MEMBERNOTFOUND;

    const auto parameters = target->parameters();
    if (args.size() != parameters.size())
        return DISP_E_BADPARAMCOUNT;
    std::array<Variant, MemberInfo::kMaxParameters> coerced;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (const HRESULT hr = coerceVariant(args[i], parameters[i].type, coerced[i]); FAILED(hr))
            return hr;
    }
    return target->invoke(*this, std::span<const Variant>(coerced.data(), parameters.size()), result);
}

HRESULT Dispatchable::invokeByName(QStringView name, DispatchFlags flags, std::span<const Variant> args,
                                   Variant* result)
{
    DISPID id = 0;
    if (const HRESULT hr = GetIDsOfNames(name, id); FAILED(hr)) {
        if (result)
            *result = Variant();
        return hr;
    }
    return Invoke(id, flags, args, result);
}

} // namespace quillbrook
