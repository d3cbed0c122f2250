// A second process for the hive tests.
//   hive_writer values HIVE PREFIX COUNT
//       waits until fd 3 reaches its end (the start signal), then sets COUNT values PREFIX0... in
//       HKEY_CURRENT_USER\Software\Concurrent, one write each.
//   hive_writer churn HIVE DEPTH MICROSECONDS
//       forever: creates HKEY_CURRENT_USER\Churn with a chain of DEPTH keys below it in one write,
//       then deletes that tree in another; SIGKILL ends it after MICROSECONDS of its CPU time, at
//       a point of its work that the test chooses without depending on scheduling.
#include "platform/hive.h"

#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <string>
#include <time.h>
#include <unistd.h>

using namespace quillbrook;

namespace {

int fail(const char* what, Win32Error error)
{
    std::fprintf(stderr, "hive_writer: %s failed with %u\n", what, error);
    return 1;
}

int writeValues(RegistryKey& root, const std::string& prefix, int count)
{
    char byte = 0;
    while (read(3, &byte, 1) > 0) {
    }
    auto key = root.createSubKey("Software\\Concurrent", KEY_ALL_ACCESS);
    if (!key.ok())
        return fail("createSubKey", key.error());
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + std::to_string(i);
        if (const Win32Error error = key.value().setValue(name, REG_SZ, name); error != ERROR_SUCCESS)
            return fail("setValue", error);
    }
    return 0;
}

// The process's end, as a signal that cannot be caught, after `microseconds` of CPU time.
bool killSelfAfter(long microseconds)
{
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGKILL;
    timer_t timer{};
    itimerspec when{};
    when.it_value.tv_sec = microseconds / 1000000;
    when.it_value.tv_nsec = microseconds % 1000000 * 1000;
    return timer_create(CLOCK_PROCESS_CPUTIME_ID, &event, &timer) == 0 && timer_settime(timer, 0, &when, nullptr) == 0;
}

int churn(RegistryKey& root, int depth, long microseconds)
{
    std::string path = "Churn";
    for (int level = 1; level <= depth; ++level)
        path += "\\Level" + std::to_string(level);
    if (!killSelfAfter(microseconds))
        return fail("timer_create", ERROR_GEN_FAILURE);
    while (true) {
        if (auto key = root.createSubKey(path, KEY_READ); !key.ok())
            return fail("createSubKey", key.error());
        if (const Win32Error error = root.deleteTree("Churn"); error != ERROR_SUCCESS)
            return fail("deleteTree", error);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "values" && argc == 5) || (mode == "churn" && argc == 5))) {
        std::fprintf(stderr, "usage: hive_writer values HIVE PREFIX COUNT | churn HIVE DEPTH MICROSECONDS\n");
        return 2;
    }
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, {argv[2], std::chrono::seconds(30)});
    if (!root.ok())
        return fail("openRoot", root.error());
    if (mode == "values")
        return writeValues(root.value(), argv[3], std::atoi(argv[4]));
    return churn(root.value(), std::atoi(argv[3]), std::atol(argv[4]));
}
