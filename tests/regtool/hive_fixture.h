// A private hive per test, with the few helpers the tests of the registry tool share: running the
// tool in-process on strings, setting up keys, and reading a whole tree back for comparison.
#pragma once

#include "platform/hive.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quillbrook::regtool {

struct ToolRun {
    int status = 0;
    std::string out;
    std::string err;
};

class RegHiveTest : public ::testing::Test {
protected:
    static ToolRun run(const std::vector<std::string>& arguments, const std::string& input = {});

    // HKCU\`path`, created when missing.
    RegistryKey key(const std::string& path);
    bool keyExists(const std::string& path);
    // The data of HKCU\`path` value `name`; nothing when the key or value is missing.
    std::optional<std::string> data(const std::string& path, const std::string& name);
    // Every key, value, type and byte below HKCU\`path`, one line each; empty when missing.
    std::string dump(const std::string& path);

    std::string file(const std::string& name) const { return (home_.root() / name).string(); }
    static std::string readFile(const std::string& path);
    static void writeFile(const std::string& path, const std::string& content);

    testing::TemporaryHome home_;
};

} // namespace quillbrook::regtool
