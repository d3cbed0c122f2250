#include "automation/module_lock.h"

#include <atomic>

namespace quillbrook {

namespace {
// Process-wide by nature: the count the server's lifetime follows.
std::atomic<long> liveLocks{0};
} // namespace

ModuleLock::ModuleLock() noexcept
{
    liveLocks.fetch_add(1, std::memory_order_relaxed);
}

ModuleLock::ModuleLock(const ModuleLock&) noexcept : ModuleLock() {}

ModuleLock::~ModuleLock()
{
    liveLocks.fetch_sub(1, std::memory_order_acq_rel);
}

long ModuleLock::count() noexcept
{
    return liveLocks.load(std::memory_order_acquire);
}

} // namespace quillbrook
