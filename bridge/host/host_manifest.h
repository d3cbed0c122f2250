// The host manifests by which the browsers find quillbrook-bridge: org.fernhollow.quillbrook.json
// in each browser's native messaging folder, naming this program and allowing only Quillbrook's
// extension.
#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillbrook::bridge {

inline constexpr char kHostName[] = "org.fernhollow.quillbrook";
inline constexpr char kChromiumOrigin[] = "chrome-extension://bokigbajffmidppdblbannoobgdmdlld/";
inline constexpr char kFirefoxExtensionId[] = "quillbrook@fernhollow.org";

enum class BrowserFamily { Chromium, Firefox };

std::optional<BrowserFamily> parseBrowserFamily(std::string_view name);

// The manifest's JSON for a host program at `program` (an absolute path).
QByteArray hostManifest(BrowserFamily family, const std::filesystem::path& program);

struct ManifestPlace {
    BrowserFamily family;
    std::filesystem::path folder;
};

// Chromium's and Google Chrome's folders under $XDG_CONFIG_HOME (default ~/.config) and Firefox's
// under ~/.mozilla; an error text when HOME is not set.
std::vector<ManifestPlace> userManifestPlaces(std::string& error);

// Writes the manifest into `folder` (created when missing), replacing any old one whole. Empty on
// success, else the error text.
std::string installManifest(const ManifestPlace& place, const std::filesystem::path& program);
// Removes the manifest from `folder`; a missing one is no error.
std::string uninstallManifest(const std::filesystem::path& folder);

} // namespace quillbrook::bridge
