// quillbrook-bridge: the native messaging host the browser starts for Quillbrook's extension, and
// the installer of its host manifests.
//
//   quillbrook-bridge --install | --uninstall
//   quillbrook-bridge --install-to DIR --browser chromium|firefox
//   quillbrook-bridge [chrome-extension://ID/ | MANIFEST EXTENSION-ID]    (started by the browser)
#include "bridge/host/host.h"
#include "bridge/host/host_manifest.h"
#include "platform/program_info.h"
#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <fcntl.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quillbrook;
using namespace quillbrook::bridge;

constexpr char kUsage[] =
    "Usage: quillbrook-bridge --install | --uninstall\n"
    "       quillbrook-bridge --install-to DIR --browser chromium|firefox\n"
    "The native messaging host of Quillbrook's browser extension; the browser starts it.\n"
    "\n"
    "  --install     write the host manifests for this user's Chromium, Google Chrome and Firefox\n"
    "  --uninstall   remove them\n"
    "  --install-to  write one manifest into DIR, for the browser named by --browser\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "Installed from the package, the manifests are system-wide and no step is needed.\n";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int fail(int status, const std::string& text)
{
    std::fprintf(stderr, "quillbrook-bridge: %s\n", text.c_str());
    return status;
}

std::filesystem::path thisProgram()
{
    std::error_code code;
    return std::filesystem::canonical("/proc/self/exe", code);
}

int install(bool add)
{
    std::string error;
    const auto places = userManifestPlaces(error);
    if (places.empty())
        return fail(kExitFailure, error);
    const std::filesystem::path program = thisProgram();
    int status = 0;
    for (const ManifestPlace& place : places) {
        error = add ? installManifest(place, program) : uninstallManifest(place.folder);
        if (!error.empty())
            status = fail(kExitFailure, error);
    }
    return status;
}

int installTo(const std::vector<std::string_view>& arguments)
{
    std::string folder;
    std::optional<BrowserFamily> family;
    for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--install-to")
            folder = arguments[i + 1];
        else if (arguments[i] == "--browser")
            family = parseBrowserFamily(arguments[i + 1]);
    }
    if (folder.empty() || !family || arguments.size() != 4)
        return fail(kExitUsage, "usage: quillbrook-bridge --install-to DIR --browser chromium|firefox");
    const std::string error = installManifest({*family, folder}, thisProgram());
    return error.empty() ? 0 : fail(kExitFailure, error);
}

// The caller the browser names on the command line: Chromium's origin, or Firefox's manifest path
// and extension id. Empty when it is Quillbrook's extension or not named; else the refusal.
std::string refusedCaller(const std::vector<std::string_view>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.starts_with("chrome-extension://")) {
            if (argument != kChromiumOrigin)
                return "this host serves only Quillbrook's extension, not " + std::string(argument);
        } else if (argument.starts_with("--parent-window=")) {
            continue;
        } else if (i == 0 && argument.ends_with(".json") && arguments.size() == 2) {
            if (arguments[1] != kFirefoxExtensionId)
                return "this host serves only Quillbrook's extension, not " + std::string(arguments[1]);
            return {};
        } else {
            return "unknown argument " + std::string(argument)
                   + " (usage: quillbrook-bridge --install | --uninstall | --install-to DIR --browser "
                     "chromium|firefox)";
        }
    }
    return {};
}

// Keeps the browser's pipes for the messages alone: the host reads and writes them through
// descriptors of its own, standard input becomes /dev/null and standard output goes to standard
// error, so that nothing else (a library's message, a started server) can reach the browser.
bool takeBrowserPipes(FileDescriptor& input, FileDescriptor& output)
{
    input = FileDescriptor(fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3));
    output = FileDescriptor(fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3));
    const FileDescriptor nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return input.valid() && output.valid() && nothing.valid() && dup2(nothing.get(), STDIN_FILENO) >= 0
           && dup2(STDERR_FILENO, STDOUT_FILENO) >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto answered = answerInformationRequest(argc, argv, "quillbrook-bridge", kUsage))
        return *answered;
    std::setlocale(LC_ALL, "");
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--install" || arguments[0] == "--uninstall"))
        return install(arguments[0] == "--install");
    if (!arguments.empty() && (arguments[0] == "--install-to" || arguments[0] == "--browser"))
        return installTo(arguments);
    if (const std::string refusal = refusedCaller(arguments); !refusal.empty())
        return fail(kExitUsage, refusal);

    FileDescriptor input;
    FileDescriptor output;
    if (!takeBrowserPipes(input, output))
        return fail(kExitFailure, "cannot take over standard input and output");
    // A browser that has gone shows as a failed write, not as the end of the process.
    std::signal(SIGPIPE, SIG_IGN);

    // Before the first thread (Qt's bus thread), so that the signals stay blocked in all of them.
    TerminationSignals termination;
    if (!termination.ok())
        return fail(kExitFailure, "cannot take the termination signals");
    QCoreApplication application(argc, argv);
    Host host(std::move(input), std::move(output), QDBusConnection::sessionBus(),
              [](int status) { QCoreApplication::exit(status); });
    // A browser that ends the host with SIGTERM (or a user with ^C) ends it as the end of its input
    // does: the pages' sessions end and their texts are kept.
    termination.onSignal([&host] { host.stop(); });
    return QCoreApplication::exec();
}
