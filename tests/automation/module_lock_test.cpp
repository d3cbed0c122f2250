#include "automation/module_lock.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

namespace quillbrook {
namespace {

TEST(ModuleLock, CountsEveryLiveLockAndCopy)
{
    const long before = ModuleLock::count();
    {
        ModuleLock first;
        EXPECT_EQ(ModuleLock::count(), before + 1);
        std::optional<ModuleLock> copy(first);
        EXPECT_EQ(ModuleLock::count(), before + 2);
        ModuleLock assigned;
        assigned = first;
        EXPECT_EQ(ModuleLock::count(), before + 3) << "assignment adds no lock";
        copy.reset();
        EXPECT_EQ(ModuleLock::count(), before + 2);
        std::vector<ModuleLock> grown(3);
        grown.resize(40); // reallocation copies and destroys the old elements
        EXPECT_EQ(ModuleLock::count(), before + 42);
    }
    EXPECT_EQ(ModuleLock::count(), before);
}

TEST(ModuleLock, CountsLocksTakenOnOtherThreads)
{
    const long before = ModuleLock::count();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 10000; ++i) {
                ModuleLock lock;
                std::vector<ModuleLock> copies(2, lock);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(ModuleLock::count(), before);
}

} // namespace
} // namespace quillbrook
