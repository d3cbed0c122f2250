// The classes this process can create, by class id or ProgID: what the original platform's object
// broker found through its registered class objects. A room that owns a creatable class registers
// it at start-up; earlier rooms (the catalogue) and the bus server create objects through here
// without knowing the class's C++ type.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>

namespace quillbrook {

// The broker's answers, with the original values.
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);

// Makes a new object of one class; null when it cannot.
using InstanceCreator = std::function<std::shared_ptr<Dispatchable>()>;

// One class in the registry for as long as the object lives; move-only. While two registrations
// of one class id live, the newer one answers.
class [[nodiscard]] ClassRegistration {
public:
    ClassRegistration() = default;
    ~ClassRegistration();
    ClassRegistration(ClassRegistration&& other) noexcept;
    ClassRegistration& operator=(ClassRegistration&& other) noexcept;
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    bool isActive() const { return cookie_ != 0; }
    // Takes the class out of the registry now rather than at destruction.
    void revoke();

private:
    friend ClassRegistration registerClass(const ClassInfo& info, InstanceCreator creator);
    explicit ClassRegistration(std::uint64_t cookie) : cookie_(cookie) {}

    std::uint64_t cookie_ = 0;
};

// `info` is a type-info table that outlives the registration.
ClassRegistration registerClass(const ClassInfo& info, InstanceCreator creator);

// A new object of the class, asked for `iid`: S_OK with `object` set; REGDB_E_CLASSNOTREG for a
// class id nobody registered; E_NOINTERFACE when the new object does not answer `iid`;
// E_OUTOFMEMORY when the class could not make one; E_POINTER when `object` is null.
[[nodiscard]] HRESULT createInstance(const Guid& clsid, const Guid& iid, std::shared_ptr<Dispatchable>* object);
// The same by ProgID, versioned or not, letters compared case-insensitively as registry key names
// are. An unknown ProgID gives CO_E_CLASSSTRING, as the original's ProgID lookup does.
[[nodiscard]] HRESULT createInstance(QStringView progId, const Guid& iid, std::shared_ptr<Dispatchable>* object);

// The registered class's type information; null when none is registered.
const ClassInfo* findClass(const Guid& clsid);
const ClassInfo* findClass(QStringView progId);

} // namespace quillbrook
