#include "bridge/host/host_manifest.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <system_error>

namespace quillbrook::bridge {
namespace {

std::filesystem::path manifestFile(const std::filesystem::path& folder)
{
    return folder / (std::string(kHostName) + ".json");
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::optional<BrowserFamily> parseBrowserFamily(std::string_view name)
{
    if (name == "chromium" || name == "chrome")
        return BrowserFamily::Chromium;
    if (name == "firefox")
        return BrowserFamily::Firefox;
    return std::nullopt;
}

QByteArray hostManifest(BrowserFamily family, const std::filesystem::path& program)
{
    QJsonObject manifest{
        {QStringLiteral("name"), QString::fromLatin1(kHostName)},
        {QStringLiteral("description"), QStringLiteral("Quillbrook: edit a web page's text box in your own editor")},
        {QStringLiteral("path"), QString::fromStdString(program.string())},
        {QStringLiteral("type"), QStringLiteral("stdio")},
    };
    if (family == BrowserFamily::Chromium)
        manifest.insert(QStringLiteral("allowed_origins"), QJsonArray{QString::fromLatin1(kChromiumOrigin)});
    else
        manifest.insert(QStringLiteral("allowed_extensions"), QJsonArray{QString::fromLatin1(kFirefoxExtensionId)});
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

std::vector<ManifestPlace> userManifestPlaces(std::string& error)
{
    const std::string home = environment("HOME");
    if (home.empty()) {
        error = "HOME is not set";
        return {};
    }
    std::filesystem::path config = environment("XDG_CONFIG_HOME");
    if (config.empty() || !config.is_absolute())
        config = std::filesystem::path(home) / ".config";
    return {
        {BrowserFamily::Chromium, config / "chromium" / "NativeMessagingHosts"},
        {BrowserFamily::Chromium, config / "google-chrome" / "NativeMessagingHosts"},
        {BrowserFamily::Firefox, std::filesystem::path(home) / ".mozilla" / "native-messaging-hosts"},
    };
}

std::string installManifest(const ManifestPlace& place, const std::filesystem::path& program)
{
    std::error_code code;
    std::filesystem::create_directories(place.folder, code);
    if (code)
        return place.folder.string() + ": " + code.message();
    const std::filesystem::path target = manifestFile(place.folder);
    const std::filesystem::path fresh = target.string() + ".new";
    const QByteArray text = hostManifest(place.family, program);
    {
        const FileDescriptor file(::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!file.valid())
            return fresh.string() + ": " + std::strerror(errno);
        if (writeAll(file.get(), std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                     fresh.string())
            != ERROR_SUCCESS) {
            std::filesystem::remove(fresh, code);
            return fresh.string() + ": cannot be written";
        }
    }
    std::filesystem::rename(fresh, target, code);
    if (code) {
        std::error_code ignored;
        std::filesystem::remove(fresh, ignored);
        return target.string() + ": " + code.message();
    }
    return {};
}

std::string uninstallManifest(const std::filesystem::path& folder)
{
    std::error_code code;
    std::filesystem::remove(manifestFile(folder), code);
    return code ? manifestFile(folder).string() + ": " + code.message() : std::string();
}

} // namespace quillbrook::bridge
