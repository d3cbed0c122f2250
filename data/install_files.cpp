// quillbrook-install-files: writes the files of an installation that name the installed programs,
// from the same definitions the programs use: the session bus's activation file and the browsers'
// native messaging host manifests, system-wide. Run by `cmake --install`, not installed itself.
//
//   quillbrook-install-files DESTDIR PREFIX PROGRAMDIR
#include "bridge/host/host_manifest.h"
#include "server/activation_file.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace quillbrook;
namespace fs = std::filesystem;

// Configuration files go to /etc for the prefix /usr, as GNU's conventions have it, and under
// the prefix otherwise.
fs::path configurationFolder(const fs::path& prefix)
{
    return prefix == "/usr" ? fs::path("/etc") : prefix / "etc";
}

fs::path staged(const std::string& destdir, const fs::path& installed)
{
    return destdir.empty() ? installed : fs::path(destdir) / installed.relative_path();
}

bool report(const fs::path& file, const std::string& error)
{
    if (!error.empty()) {
        std::fprintf(stderr, "quillbrook-install-files: %s\n", error.c_str());
        return false;
    }
    std::printf("-- Installing: %s\n", file.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || !fs::path(argv[2]).is_absolute()) {
        std::fprintf(stderr, "usage: quillbrook-install-files DESTDIR PREFIX PROGRAMDIR (PREFIX absolute)\n");
        return 2;
    }
    const std::string destdir = argv[1];
    const fs::path prefix = fs::path(argv[2]).lexically_normal();
    const fs::path programs = prefix / argv[3];
    bool ok = true;

    const fs::path data = staged(destdir, prefix / "share");
    const Win32Error written = writeActivationFile(data.string(), (programs / "quillbrook").string());
    ok = report(activationFilePath(data.string()),
                written == ERROR_SUCCESS ? std::string() : "cannot write the activation file under " + data.string())
         && ok;

    // The host manifests lie in the installation's data; the browsers' folders under /etc get
    // links to them, which go with the package instead of staying behind as configuration.
    const fs::path bridge = programs / "quillbrook-bridge";
    const fs::path manifests = prefix / "share/quillbrook/native-messaging-hosts";
    const std::string manifestName = std::string(bridge::kHostName) + ".json";
    const fs::path etc = configurationFolder(prefix);
    const bridge::ManifestPlace places[] = {
        {bridge::BrowserFamily::Chromium, manifests / "chromium"},
        {bridge::BrowserFamily::Firefox, manifests / "firefox"},
        {bridge::BrowserFamily::Firefox, prefix / "lib/mozilla/native-messaging-hosts"},
    };
    for (const bridge::ManifestPlace& place : places) {
        const fs::path folder = staged(destdir, place.folder);
        ok = report(folder / manifestName, bridge::installManifest({place.family, folder}, bridge)) && ok;
    }
    for (const fs::path& folder :
         {etc / "chromium/native-messaging-hosts", etc / "opt/chrome/native-messaging-hosts"}) {
        const fs::path link = staged(destdir, folder / manifestName);
        std::error_code code;
        fs::create_directories(link.parent_path(), code);
        fs::remove(link, code);
        fs::create_symlink(manifests / "chromium" / manifestName, link, code);
        ok = report(link, code ? link.string() + ": " + code.message() : std::string()) && ok;
    }
    return ok ? 0 : 1;
}
