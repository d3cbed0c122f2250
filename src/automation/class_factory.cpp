#include "automation/class_factory.h"

#include <QString>
#include <algorithm>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace quillbrook {
namespace {

struct RegisteredClass {
    std::uint64_t cookie;
    const ClassInfo* info;
    InstanceCreator creator;
};

// The process's one class table, as the broker kept one per process: registrations come from
// whichever room owns a class, lookups from any thread that activates one.
class ClassTable {
public:
    std::uint64_t add(const ClassInfo& info, InstanceCreator creator)
    {
        const std::lock_guard lock(mutex_);
        classes_.push_back({++lastCookie_, &info, std::move(creator)});
        return lastCookie_;
    }

    void remove(std::uint64_t cookie)
    {
        const std::lock_guard lock(mutex_);
        std::erase_if(classes_, [cookie](const RegisteredClass& entry) { return entry.cookie == cookie; });
    }

    // The newest registration that `matches`; nullopt when none does.
    template <class Predicate>
    std::optional<RegisteredClass> find(Predicate matches) const
    {
        const std::lock_guard lock(mutex_);
        const auto found = std::find_if(classes_.rbegin(), classes_.rend(),
                                        [&](const RegisteredClass& entry) { return matches(*entry.info); });
        if (found == classes_.rend())
            return std::nullopt;
        return *found;
    }

private:
    mutable std::mutex mutex_;
    std::vector<RegisteredClass> classes_;
    std::uint64_t lastCookie_ = 0;
};

ClassTable& classTable()
{
    static ClassTable table;
    return table;
}

std::optional<RegisteredClass> findById(const Guid& clsid)
{
    return classTable().find([&](const ClassInfo& info) { return info.clsid == clsid; });
}

std::optional<RegisteredClass> findByProgId(QStringView progId)
{
    const auto sameName = [progId](std::u16string_view name) {
        return !name.empty() && QStringView(name).compare(progId, Qt::CaseInsensitive) == 0;
    };
    return classTable().find(
        [&](const ClassInfo& info) { return sameName(info.progId) || sameName(info.versionedProgId); });
}

[[nodiscard]] HRESULT instantiate(const RegisteredClass& registered, const Guid& iid,
                                  std::shared_ptr<Dispatchable>* object)
{
    std::shared_ptr<Dispatchable> created;
    try {
        created = registered.creator();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!created)
        return E_OUTOFMEMORY;
    return created->QueryInterface(iid, object);
}

} // namespace

ClassRegistration::~ClassRegistration()
{
    revoke();
}

ClassRegistration::ClassRegistration(ClassRegistration&& other) noexcept : cookie_(std::exchange(other.cookie_, 0)) {}

ClassRegistration& ClassRegistration::operator=(ClassRegistration&& other) noexcept
{
    if (this != &other) {
        revoke();
        cookie_ = std::exchange(other.cookie_, 0);
    }
    return *this;
}

void ClassRegistration::revoke()
{
    if (cookie_ != 0)
        classTable().remove(std::exchange(cookie_, 0));
}

ClassRegistration registerClass(const ClassInfo& info, InstanceCreator creator)
{
    return ClassRegistration(classTable().add(info, std::move(creator)));
}

[[nodiscard]] HRESULT createInstance(const Guid& clsid, const Guid& iid, std::shared_ptr<Dispatchable>* object)
{
    if (!object)
        return E_POINTER;
    object->reset();
    const auto registered = findById(clsid);
    return registered ? instantiate(*registered, iid, object) : REGDB_E_CLASSNOTREG;
}

[[nodiscard]] HRESULT createInstance(QStringView progId, const Guid& iid, std::shared_ptr<Dispatchable>* object)
{
    if (!object)
        return E_POINTER;
    object->reset();
    const auto registered = findByProgId(progId);
    return registered ? instantiate(*registered, iid, object) : CO_E_CLASSSTRING;
}

const ClassInfo* findClass(const Guid& clsid)
{
    const auto registered = findById(clsid);
    return registered ? registered->info : nullptr;
}

const ClassInfo* findClass(QStringView progId)
{
    const auto registered = findByProgId(progId);
    return registered ? registered->info : nullptr;
}

} // namespace quillbrook
