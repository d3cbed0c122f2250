#include "support/temporary_home.h"

#include <clocale>
#include <cstdlib>
#include <stdexcept>

namespace quillbrook::testing {

TemporaryHome::TemporaryHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillbrook-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary home");
    root_ = pattern;
    std::filesystem::create_directories(root_ / "home");
    setEnvironment("HOME", (root_ / "home").string());
    setEnvironment("XDG_CONFIG_HOME", (root_ / "config").string());
    setEnvironment("XDG_DATA_HOME", (root_ / "data").string());
    setEnvironment("XDG_STATE_HOME", (root_ / "state").string());
    setEnvironment("XDG_DOCUMENTS_DIR", std::nullopt);
    setEnvironment("QUILLBROOK_HIVE", std::nullopt);
}

TemporaryHome::~TemporaryHome()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

void TemporaryHome::setEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    if (!saved_.contains(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

ScopedLocale::ScopedLocale(const char* locale)
{
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
    ok_ = std::setlocale(LC_ALL, locale) != nullptr;
}

ScopedLocale::~ScopedLocale()
{
    std::setlocale(LC_ALL, previous_.c_str());
}

} // namespace quillbrook::testing
