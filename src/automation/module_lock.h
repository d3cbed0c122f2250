// The server module's lock count: live objects and class-object locks. The server keeps running
// while the count is above zero. Each ModuleLock is one lock for as long as it exists; a copy is
// another lock, so an object that holds one as a member counts once per object.
#pragma once

namespace quillbrook {

class ModuleLock {
public:
    ModuleLock() noexcept;
    ModuleLock(const ModuleLock&) noexcept;
    // Both sides already hold one lock each; assigning changes nothing.
    ModuleLock& operator=(const ModuleLock&) noexcept { return *this; }
    ~ModuleLock();

    // Locks held in the process right now.
    static long count() noexcept;
};

} // namespace quillbrook
