// A private home for one test: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_STATE_HOME and QUILLBROOK_HIVE point
// into a fresh temporary folder for the object's lifetime, so that nothing touches the user's own
// hive or folders. The previous environment comes back on destruction.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace quillbrook::testing {

class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path hiveFile() const { return root_ / "config" / "quillbrook" / "registry.db"; }

    // Sets (or, with nullopt, removes) an environment variable until destruction.
    void setEnvironment(const std::string& name, const std::optional<std::string>& value);

private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// Sets LC_ALL (and the process locale) for one scope.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* locale);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

} // namespace quillbrook::testing
