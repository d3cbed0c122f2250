#include "hive_fixture.h"

#include "regtool/key_tree.h"
#include "regtool/regtool.h"
#include "regtool/value_text.h"

#include <fstream>
#include <sstream>

namespace quillbrook::regtool {
namespace {

Win32Result<RegistryKey> openCurrentUserKey(const std::string& path)
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    if (!root.ok())
        return root.error();
    return root.value().openSubKey(path, KEY_ALL_ACCESS);
}

} // namespace

ToolRun RegHiveTest::run(const std::vector<std::string>& arguments, const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runRegTool(arguments, {in, out, err});
    return {status, out.str(), err.str()};
}

RegistryKey RegHiveTest::key(const std::string& path)
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    EXPECT_TRUE(root.ok()) << root.error();
    auto created = root.value().createSubKey(path, KEY_ALL_ACCESS);
    EXPECT_TRUE(created.ok()) << path << ": " << created.error();
    return std::move(created).value();
}

bool RegHiveTest::keyExists(const std::string& path)
{
    return openCurrentUserKey(path).ok();
}

std::optional<std::string> RegHiveTest::data(const std::string& path, const std::string& name)
{
    const auto opened = openCurrentUserKey(path);
    if (!opened.ok())
        return std::nullopt;
    const auto value = opened.value().queryValue(name);
    return value.ok() ? std::optional(value.value().data) : std::nullopt;
}

std::string RegHiveTest::dump(const std::string& path)
{
    const auto opened = openCurrentUserKey(path);
    if (!opened.ok())
        return {};
    std::string text;
    const auto error = visitKeyTree(opened.value(), [&](const RegistryKey& visited) {
        text += visited.fullName() + "\n";
        const auto values = readValues(visited);
        for (const auto& value : values.value())
            text += "  " + value.name + " " + std::to_string(value.type) + " " + hexDigits(value.data, false) + "\n";
        return ERROR_SUCCESS;
    });
    EXPECT_EQ(error, ERROR_SUCCESS);
    return text;
}

std::string RegHiveTest::readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void RegHiveTest::writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

} // namespace quillbrook::regtool
