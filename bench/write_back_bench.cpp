// Write-back latency: from the moment the editor's save of a session's file is complete to the
// moment the text box holds the new text, with no sync delay, so the figure is the overhead that
// the change watcher, the notification round, the read, the decoding and the put add. The goal is
// under 5 ms for 100 KB and under 50 ms for 10 MB, with 1 and with 1,000 registered sessions.
//
// The benchmark plays the editor. "in_place" saves over the file on the main thread, so the round
// runs once the save is complete; "rename" writes a new file and renames it over the old one on
// another thread while the main thread waits in its event loop, so the figure includes waking the
// watcher and the main thread, and any round in progress when the save lands. With 1,000 sessions
// the other 999 sessions are idle on pages of their own and are notified first in every round.
#include "platform/file_descriptor.h"
#include "support/main_thread_loop.h"
#include "write_back_sessions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <numeric>
#include <optional>
#include <thread>
#include <unistd.h>

namespace quillbrook::bench {
namespace {

using Clock = std::chrono::steady_clock;

enum class SaveStyle { InPlace, Rename };

bool writeFile(const std::string& path, std::string_view bytes)
{
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!file.valid())
        return false;
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A save as the benchmark's editor made it. A rename counts as complete when the call begins,
// since the box may take the text before the editor's thread is back from the call; the call's
// own time thus counts towards the latency and is reported apart.
struct Save {
    Clock::time_point complete;
    Clock::duration renameCall{};
};

Save save(SaveStyle style, const std::string& path, const std::string& bytes)
{
    if (style == SaveStyle::InPlace) {
        writeFile(path, bytes);
        return {Clock::now()};
    }
    const std::string fresh = path + ".new";
    writeFile(fresh, bytes);
    const auto before = Clock::now();
    std::rename(fresh.c_str(), path.c_str());
    return {before, Clock::now() - before};
}

// What the text box saw of the latest save.
struct WriteProbe {
    std::size_t writes = 0;
    Clock::time_point at;
    QString value;
};

// Seconds from the save's completion to the box's new value, and the rename call's own seconds.
struct Sample {
    double latency = 0;
    double renameCall = 0;
};

// One save and the wait for the text box; nothing when the box did not take the saved text.
std::optional<Sample> saveAndWait(SaveStyle style, RegisteredSession& session, WriteProbe& probe,
                                  const std::string& bytes, const QString& text)
{
    probe.writes = 0;
    Save saved;
    if (style == SaveStyle::InPlace) {
        saved = save(style, session.file(), bytes);
        testing::runEventLoopUntil([&] { return probe.writes > 0; });
    } else {
        std::thread editor([&] { saved = save(style, session.file(), bytes); });
        testing::runEventLoopUntil([&] { return probe.writes > 0; });
        editor.join();
    }
    const bool ok = probe.writes == 1 && probe.value == text;
    WriteBackWorld::settle();
    if (!ok)
        return std::nullopt;
    using Seconds = std::chrono::duration<double>;
    return Sample{Seconds(probe.at - saved.complete).count(), Seconds(saved.renameCall).count()};
}

void reportFigures(benchmark::State& state, std::vector<double> seconds, double targetMilliseconds)
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    const auto milliseconds = [](double value) { return benchmark::Counter(value * 1e3); };
    state.counters["mean_ms"] =
        milliseconds(std::accumulate(seconds.begin(), seconds.end(), 0.0) / static_cast<double>(seconds.size()));
    state.counters["median_ms"] = milliseconds(seconds[seconds.size() / 2]);
    state.counters["max_ms"] = milliseconds(seconds.back());
    state.counters["target_ms"] = benchmark::Counter(targetMilliseconds);
}

// The process with its sessions held, before the case's own text exists.
void reportHeldSessions(benchmark::State& state, const WriteBackWorld& world, std::size_t sessions)
{
    const ProcessFigures held = processFigures();
    state.counters["rss_MB"] = benchmark::Counter(held.residentMegabytes);
    state.counters["threads"] = benchmark::Counter(held.threads);
    state.counters["fds"] = benchmark::Counter(held.openDescriptors);
    if (sessions == 1)
        return;
    const IdleBuild& build = world.lastIdleBuild();
    state.counters["idle_register_ms"] = benchmark::Counter(build.seconds * 1e3 / static_cast<double>(build.sessions));
    const double grown = build.residentMegabytesAfter - build.residentMegabytesBefore;
    state.counters["idle_sessions_MB"] = benchmark::Counter(grown);
}

void WriteBack(benchmark::State& state, WriteBackWorld& world, SaveStyle style, std::size_t textBytes,
               std::size_t sessions, double targetMilliseconds)
{
    try {
        world.ensureIdleSessions(sessions - 1);
        reportHeldSessions(state, world, sessions);

        // Two saves of the same size that differ, so that every save changes the text.
        const std::string bytes[] = {mixedUtf8Text(textBytes, "save A\r\n"), mixedUtf8Text(textBytes, "save B\r\n")};
        const QString texts[] = {QString::fromStdString(bytes[0]), QString::fromStdString(bytes[1])};
        RegisteredSession session(QStringLiteral("Measured"), QString());
        state.counters["register_ms"] = benchmark::Counter(session.registerMilliseconds());
        WriteProbe probe;
        session.box().setWriteObserver([&probe](const QString& value) {
            probe.at = Clock::now();
            probe.value = value;
            ++probe.writes;
        });
        WriteBackWorld::settle();
        // A first save, untimed, brings the file's pages and the code in.
        if (!saveAndWait(style, session, probe, bytes[1], texts[1])) {
            state.SkipWithError("the text box did not take the first save");
            return;
        }

        std::vector<double> seconds;
        double renameCalls = 0;
        std::size_t next = 0;
        for (auto _ : state) {
            const auto sample = saveAndWait(style, session, probe, bytes[next], texts[next]);
            if (!sample) {
                state.SkipWithError("the text box did not take the save");
                return;
            }
            state.SetIterationTime(sample->latency);
            seconds.push_back(sample->latency);
            renameCalls += sample->renameCall;
            next ^= 1;
        }
        if (style == SaveStyle::Rename)
            state.counters["rename_call_ms"] =
                benchmark::Counter(renameCalls * 1e3 / static_cast<double>(seconds.size()));
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * textBytes));
        reportFigures(state, std::move(seconds), targetMilliseconds);
    } catch (const std::exception& error) {
        const std::string held = " (" + std::to_string(world.idleSessions().size()) + " idle sessions held)";
        state.SkipWithError((error.what() + held).c_str());
    }
}

// What every save costs with many sessions before the saved session's turn: one round over the
// idle sessions, each of which finds its file unchanged.
void IdleRound(benchmark::State& state, WriteBackWorld& world, std::size_t idleSessions)
{
    try {
        world.ensureIdleSessions(idleSessions);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    for (auto _ : state) {
        for (const auto& session : world.idleSessions())
            ignoreResult(session->service().OnChangeNotification());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * idleSessions));
}

void registerBenchmarks(WriteBackWorld& world)
{
    struct Size {
        const char* name;
        std::size_t bytes;
        double targetMilliseconds;
        int iterations;
    };
    const Size sizes[] = {{"100KB", 100 * 1024, 5, 100}, {"10MB", 10 * 1024 * 1024, 50, 15}};
    const std::pair<const char*, SaveStyle> styles[] = {{"in_place", SaveStyle::InPlace},
                                                        {"rename", SaveStyle::Rename}};
    // Fewest session counts first, so that the idle sessions are registered once.
    for (const std::size_t sessions : {std::size_t{1}, std::size_t{1000}}) {
        for (const auto& [styleName, styleOfName] : styles) {
            const SaveStyle style = styleOfName; // a lambda cannot capture a binding under clang 14
            for (const Size& size : sizes) {
                const std::string name = std::string("WriteBack/") + styleName + "/text:" + size.name
                                         + "/sessions:" + std::to_string(sessions);
                benchmark::RegisterBenchmark(name.c_str(),
                                             [&world, style, size, sessions](benchmark::State& state) {
                                                 WriteBack(state, world, style, size.bytes, sessions,
                                                           size.targetMilliseconds);
                                             })
                    ->UseManualTime()
                    ->Iterations(size.iterations)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::RegisterBenchmark("IdleRound/sessions:999", [&world](benchmark::State& state) {
        IdleRound(state, world, 999);
    })->Unit(benchmark::kMicrosecond);
}

} // namespace
} // namespace quillbrook::bench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    quillbrook::bench::WriteBackWorld world;
    quillbrook::bench::registerBenchmarks(world);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
