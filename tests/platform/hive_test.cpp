#include "platform/hive.h"

#include "support/temporary_home.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace quillbrook {
namespace {

using ::testing::AnyOf;
using testing::TemporaryHome;

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// A connection of the test's own, beside the hive module: to craft files and to hold locks.
struct RawDatabase {
    explicit RawDatabase(const std::filesystem::path& file) { sqlite3_open(file.c_str(), &db); }
    ~RawDatabase() { sqlite3_close(db); }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    sqlite3* db = nullptr;
};

// A pipe whose ends are close-on-exec: a child holds only the end it is given.
struct Pipe {
    Pipe() { EXPECT_EQ(pipe2(fds, O_CLOEXEC), 0); }
    ~Pipe()
    {
        closeWriteEnd();
        ::close(fds[0]);
    }
    void closeWriteEnd()
    {
        if (fds[1] >= 0)
            ::close(std::exchange(fds[1], -1));
    }
    int fds[2] = {-1, -1};
};

// A hive_writer process with `fd3` (when given) as its fd 3; killed and reaped if the test ends first.
class Writer {
public:
    explicit Writer(std::vector<std::string> args, int fd3 = -1)
    {
        args.insert(args.begin(), QUILLBROOK_HIVE_WRITER);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (fd3 >= 0)
            posix_spawn_file_actions_adddup2(&actions, fd3, 3);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Writer()
    {
        if (pid_ > 0)
            kill();
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool started() const { return pid_ > 0; }
    int wait()
    {
        int status = -1;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }
    int kill()
    {
        ::kill(pid_, SIGKILL);
        return wait();
    }

private:
    pid_t pid_ = -1;
};

class HiveTest : public ::testing::Test {
protected:
    HiveLocation location(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const
    {
        return {home.hiveFile(), timeout};
    }
    RegistryKey open(HiveRoot root = HiveRoot::CurrentUser)
    {
        auto key = RegistryKey::openRoot(root, KEY_ALL_ACCESS, location());
        EXPECT_EQ(key.error(), ERROR_SUCCESS);
        return std::move(key).value();
    }
    static RegistryKey create(const RegistryKey& parent, std::string_view path, RegistryAccess access = KEY_ALL_ACCESS)
    {
        auto key = parent.createSubKey(path, access);
        EXPECT_EQ(key.error(), ERROR_SUCCESS) << path;
        return std::move(key).value();
    }
    static std::vector<std::string> subKeys(const RegistryKey& key)
    {
        std::vector<std::string> names;
        for (auto name = key.enumSubKey(0); name.ok(); name = key.enumSubKey(static_cast<std::uint32_t>(names.size())))
            names.push_back(name.value());
        return names;
    }
    static std::vector<std::string> valueNames(const RegistryKey& key)
    {
        std::vector<std::string> names;
        for (auto value = key.enumValue(0); value.ok(); value = key.enumValue(static_cast<std::uint32_t>(names.size())))
            names.push_back(value.value().name);
        return names;
    }

    TemporaryHome home;
};

using HiveKeys = HiveTest;
using HiveValues = HiveTest;
using HiveFiles = HiveTest;
using HiveProcesses = HiveTest;
using HiveTransactions = HiveTest;

// Every operation of a key, with the right it needs and its result on a key set up by
// `prepareOperand` when that right is there.
struct Operation {
    const char* name;
    RegistryAccess needed;
    Win32Error whenAllowed;
    std::function<Win32Error(RegistryKey&)> run;
};

const std::vector<Operation>& operations()
{
    static const std::vector<Operation> table = {
        {"openSubKey", 0, ERROR_SUCCESS, [](RegistryKey& k) { return k.openSubKey("Sub", KEY_READ).error(); }},
        {"createSubKey", KEY_CREATE_SUB_KEY, ERROR_SUCCESS,
         [](RegistryKey& k) { return k.createSubKey("Sub", KEY_READ).error(); }},
        {"enumSubKey", KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS, [](RegistryKey& k) { return k.enumSubKey(0).error(); }},
        {"subKeyNames", KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS, [](RegistryKey& k) { return k.subKeyNames().error(); }},
        {"enumValue", KEY_QUERY_VALUE, ERROR_SUCCESS, [](RegistryKey& k) { return k.enumValue(0).error(); }},
        {"queryValue", KEY_QUERY_VALUE, ERROR_SUCCESS, [](RegistryKey& k) { return k.queryValue("V").error(); }},
        {"setValue", KEY_SET_VALUE, ERROR_SUCCESS, [](RegistryKey& k) { return k.setValue("V", REG_SZ, "x"); }},
        {"deleteValue", KEY_SET_VALUE, ERROR_FILE_NOT_FOUND, [](RegistryKey& k) { return k.deleteValue("Missing"); }},
        {"deleteSubKey", 0, ERROR_FILE_NOT_FOUND, [](RegistryKey& k) { return k.deleteSubKey("Missing"); }},
        {"deleteTree", 0, ERROR_FILE_NOT_FOUND, [](RegistryKey& k) { return k.deleteTree("Missing"); }},
        {"readDword", KEY_QUERY_VALUE, ERROR_SUCCESS,
         [](RegistryKey& k) {
             std::uint32_t value = 0;
             return k.readDword("V", value);
         }},
        {"writeDword", KEY_SET_VALUE, ERROR_SUCCESS, [](RegistryKey& k) { return k.writeDword("D", 1); }},
        {"beginTransaction", 0, ERROR_SUCCESS, [](RegistryKey& k) { return k.beginTransaction().error(); }},
    };
    return table;
}

void prepareOperand(RegistryKey& key)
{
    ASSERT_TRUE(key.createSubKey("Sub", KEY_READ).ok());
    ASSERT_EQ(key.setValue("V", REG_SZ, "x"), ERROR_SUCCESS);
}

TEST(HiveLocation, FollowsTheEnvironmentAtEveryCall)
{
    TemporaryHome home;
    const struct {
        const char* what;
        std::optional<std::string> hive, config;
        std::string expected;
    } cases[] = {
        {"QUILLBROOK_HIVE", "/h/my.db", "/c", "/h/my.db"},
        {"XDG_CONFIG_HOME", std::nullopt, "/c", "/c/quillbrook/registry.db"},
        {"home", std::nullopt, std::nullopt, (home.root() / "home/.config/quillbrook/registry.db").string()},
    };
    for (const auto& c : cases) {
        home.setEnvironment("QUILLBROOK_HIVE", c.hive);
        home.setEnvironment("XDG_CONFIG_HOME", c.config);
        EXPECT_EQ(HiveLocation::forCurrentUser().file, c.expected) << c.what;
    }
}

TEST(HiveRootName, ParsesBothSpellingsInAnyCase)
{
    const struct {
        const char* text;
        bool ok;
        HiveRoot root;
    } cases[] = {
        {"HKEY_CURRENT_USER", true, HiveRoot::CurrentUser},
        {"hkcu", true, HiveRoot::CurrentUser},
        {"HKEY_CLASSES_ROOT", true, HiveRoot::ClassesRoot},
        {"HkCr", true, HiveRoot::ClassesRoot},
        {"HKLM", false, {}},
        {"", false, {}},
        {"HKCU\\", false, {}},
        {"HKEY_CURRENT_USERS", false, {}},
    };
    for (const auto& c : cases) {
        HiveRoot root = c.root == HiveRoot::CurrentUser ? HiveRoot::ClassesRoot : HiveRoot::CurrentUser;
        EXPECT_EQ(parseHiveRoot(c.text, root), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(root, c.root) << c.text;
            EXPECT_TRUE(parseHiveRoot(hiveRootName(root), root)) << c.text;
        }
    }
    EXPECT_EQ(hiveRootName(HiveRoot::CurrentUser), "HKEY_CURRENT_USER");
    EXPECT_EQ(hiveRootName(HiveRoot::ClassesRoot), "HKEY_CLASSES_ROOT");
}

TEST_F(HiveKeys, NamesAreCaseInsensitiveButKeepTheirCase)
{
    testing::ScopedLocale utf8("C.UTF-8");
    ASSERT_TRUE(utf8.ok());
    RegistryKey root = open();
    const struct {
        const char* create;
        const char* sameKey;
        const char* stored;
    } cases[] = {
        {"Software\\Fernhollow", "SOFTWARE\\fernHOLLOW\\", "HKEY_CURRENT_USER\\Software\\Fernhollow"},
        {"Software\\\xC3\x84rger", "software\\\xC3\xA4RGER", "HKEY_CURRENT_USER\\Software\\\xC3\x84rger"},
        // Fullwidth letters: upper-casing is not ASCII-only.
        {"\xEF\xBD\x86"
         "ern",
         "\xEF\xBC\xA6"
         "ERN",
         "HKEY_CURRENT_USER\\\xEF\xBD\x86"
         "ern"},
    };
    for (const auto& c : cases) {
        bool created = false;
        auto first = root.createSubKey(c.create, KEY_ALL_ACCESS, &created);
        ASSERT_TRUE(first.ok()) << c.create;
        EXPECT_TRUE(created) << c.create;
        EXPECT_EQ(first.value().fullName(), c.stored);
        auto again = root.createSubKey(c.sameKey, KEY_ALL_ACCESS, &created);
        EXPECT_FALSE(created) << c.sameKey;
        EXPECT_EQ(again.value().fullName(), c.stored);
        EXPECT_EQ(root.openSubKey(c.sameKey, KEY_READ).value().fullName(), c.stored);
    }
    EXPECT_EQ(subKeys(root.openSubKey("SOFTWARE", KEY_READ).value()),
              (std::vector<std::string>{"Fernhollow", "\xC3\x84rger"}));
    EXPECT_EQ(open(HiveRoot::ClassesRoot).openSubKey("Software", KEY_READ).error(), ERROR_FILE_NOT_FOUND);
}

TEST_F(HiveKeys, PathsAreCheckedComponentByComponent)
{
    RegistryKey base = create(open(), "Base");
    const std::string longest(255, 'n');
    const struct {
        std::string path;
        Win32Error error;
        std::string fullName;
    } cases[] = {
        {"", ERROR_SUCCESS, "HKEY_CURRENT_USER\\Base"},
        {"a\\", ERROR_SUCCESS, "HKEY_CURRENT_USER\\Base\\a"},
        {"a\\b", ERROR_SUCCESS, "HKEY_CURRENT_USER\\Base\\a\\b"},
        {longest, ERROR_SUCCESS, "HKEY_CURRENT_USER\\Base\\" + longest},
        {"\\a", ERROR_BAD_PATHNAME, ""},
        {"\\", ERROR_BAD_PATHNAME, ""},
        {"a\\\\b", ERROR_BAD_PATHNAME, ""},
        {"a\\\\", ERROR_BAD_PATHNAME, ""},
        {longest + "n", ERROR_INVALID_PARAMETER, ""},
        {"a\\" + longest + "n", ERROR_INVALID_PARAMETER, ""},
    };
    for (const auto& c : cases) {
        auto created = base.createSubKey(c.path, KEY_READ);
        auto opened = base.openSubKey(c.path, KEY_READ);
        EXPECT_EQ(created.error(), c.error) << "create " << c.path;
        EXPECT_EQ(opened.error(), c.error) << "open " << c.path;
        EXPECT_EQ(opened.value().fullName(), c.fullName) << c.path;
    }
    EXPECT_EQ(subKeys(base), (std::vector<std::string>{"a", longest}));
}

TEST_F(HiveKeys, SubKeysEnumerateInCaseInsensitiveCodeUnitOrder)
{
    testing::ScopedLocale utf8("C.UTF-8");
    ASSERT_TRUE(utf8.ok());
    RegistryKey base = create(open(), "Base");
    // '_' sorts after the upper-case letters; U+1F600 (a surrogate pair, D83D DE00) before U+FF21.
    for (const char* name : {"beta", "\xEF\xBC\xA1", "Alpha", "_x", "\xF0\x9F\x98\x80", "ALPHA2", "gamma"})
        create(base, name);
    EXPECT_EQ(subKeys(base),
              (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "gamma", "_x", "\xF0\x9F\x98\x80", "\xEF\xBC\xA1"}));
    EXPECT_EQ(base.enumSubKey(7).error(), ERROR_NO_MORE_ITEMS);
    // All the names at once come in the same order.
    EXPECT_EQ(base.subKeyNames().value(), subKeys(base));
}

TEST_F(HiveKeys, EnumerationIndexFollowsDeletions)
{
    RegistryKey base = create(open(), "Base");
    for (const char* name : {"k0", "k1", "k2", "k3", "k4"})
        create(base, name);
    EXPECT_EQ(base.enumSubKey(1).value(), "k1");
    ASSERT_EQ(base.deleteSubKey("k1"), ERROR_SUCCESS);
    EXPECT_EQ(base.enumSubKey(1).value(), "k2");
    int deleted = 0;
    for (auto name = base.enumSubKey(0); name.ok(); name = base.enumSubKey(0), ++deleted)
        ASSERT_EQ(base.deleteSubKey(name.value()), ERROR_SUCCESS) << name.value();
    EXPECT_EQ(deleted, 4);
}

TEST_F(HiveKeys, DeleteSubKeyDeletesOnlyKeysWithoutSubKeys)
{
    RegistryKey root = open();
    RegistryKey base = create(root, "Base");
    ASSERT_EQ(create(base, "Parent\\Child").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    ASSERT_EQ(create(base, "Leaf").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    const struct {
        const char* path;
        Win32Error error;
    } steps[] = {
        {"Parent", ERROR_ACCESS_DENIED}, {"Missing", ERROR_FILE_NOT_FOUND}, {"Parent\\Child", ERROR_SUCCESS},
        {"Parent", ERROR_SUCCESS},       {"Leaf\\", ERROR_SUCCESS},         {"Leaf", ERROR_FILE_NOT_FOUND},
        {"a\\\\b", ERROR_BAD_PATHNAME},
    };
    for (const auto& step : steps)
        EXPECT_EQ(base.deleteSubKey(step.path), step.error) << step.path;
    bool created = false;
    EXPECT_FALSE(base.createSubKey("Leaf", KEY_READ, &created).value().valueExists("v"));
    EXPECT_TRUE(created);

    EXPECT_EQ(root.deleteSubKey(""), ERROR_ACCESS_DENIED);
    RegistryKey leaf = create(base, "Leaf");
    EXPECT_EQ(leaf.deleteSubKey(""), ERROR_SUCCESS);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{});
}

TEST_F(HiveKeys, DeleteTreeDeletesEverythingBelow)
{
    RegistryKey root = open();
    RegistryKey base = create(root, "Base");
    for (const char* path : {"A", "A\\B", "A\\B\\C", "A\\D", "Z"})
        ASSERT_EQ(create(base, path).setValue("v", REG_DWORD, "1234"), ERROR_SUCCESS);
    ASSERT_EQ(base.setValue("own", REG_SZ, "x"), ERROR_SUCCESS);
    ASSERT_EQ(create(open(HiveRoot::ClassesRoot), "Other").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);

    EXPECT_EQ(base.deleteTree("a\\"), ERROR_SUCCESS);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{"Z"});
    EXPECT_TRUE(base.openSubKey("Z", KEY_READ).value().valueExists("v"));
    EXPECT_TRUE(base.valueExists("own"));
    EXPECT_EQ(base.deleteTree("A"), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(base.deleteTree(""), ERROR_SUCCESS);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{});
    EXPECT_EQ(valueNames(base), std::vector<std::string>{});
    EXPECT_EQ(base.setValue("again", REG_SZ, "x"), ERROR_SUCCESS);

    EXPECT_EQ(root.deleteTree(""), ERROR_SUCCESS);
    EXPECT_EQ(subKeys(root), std::vector<std::string>{});
    EXPECT_EQ(base.queryValue("again").error(), ERROR_KEY_DELETED);
    EXPECT_TRUE(open(HiveRoot::ClassesRoot).openSubKey("Other", KEY_READ).value().valueExists("v"));
}

TEST_F(HiveKeys, DeletedKeysStayOpenAndFail)
{
    RegistryKey key = create(open(), "Doomed\\Inner");
    ASSERT_EQ(open().deleteTree("Doomed"), ERROR_SUCCESS); // through another connection
    ASSERT_TRUE(key.isOpen());
    EXPECT_EQ(key.fullName(), "HKEY_CURRENT_USER\\Doomed\\Inner");
    create(open(), "Doomed\\Inner"); // a new key of the same name is another key
    for (const Operation& operation : operations())
        EXPECT_EQ(operation.run(key), ERROR_KEY_DELETED) << operation.name;
    EXPECT_FALSE(key.valueExists("V"));
}

TEST_F(HiveKeys, ClosedKeysGiveInvalidHandle)
{
    RegistryKey never;
    RegistryKey closed = create(open(), "Key");
    closed.close();
    RegistryKey source = create(open(), "Key");
    RegistryKey target = std::move(source);
    for (RegistryKey* key : {&never, &closed, &source}) {
        EXPECT_FALSE(key->isOpen());
        EXPECT_EQ(key->fullName(), "");
        EXPECT_FALSE(key->valueExists("V"));
        for (const Operation& operation : operations())
            EXPECT_EQ(operation.run(*key), ERROR_INVALID_HANDLE) << operation.name;
    }
    EXPECT_TRUE(target.isOpen());
}

TEST_F(HiveKeys, RightsOfTheHandleAreChecked)
{
    RegistryKey base = create(open(), "Base");
    prepareOperand(base);
    for (RegistryAccess access : {KEY_READ, KEY_WRITE, KEY_QUERY_VALUE, RegistryAccess{0}, KEY_ALL_ACCESS}) {
        RegistryKey key = base.openSubKey("", access).value();
        for (const Operation& operation : operations()) {
            const Win32Error expected =
                (access & operation.needed) == operation.needed ? operation.whenAllowed : ERROR_ACCESS_DENIED;
            EXPECT_EQ(operation.run(key), expected) << operation.name << " with access 0x" << std::hex << access;
        }
        EXPECT_EQ(key.valueExists("V"), (access & KEY_QUERY_VALUE) != 0) << std::hex << access;
    }
}

TEST_F(HiveValues, TypesAndBytesAreKeptExactly)
{
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte)
        allBytes.push_back(static_cast<char>(byte));
    const struct {
        std::string name;
        RegistryType type;
        std::string data;
    } cases[] = {
        {"", REG_SZ, ""},
        {"Zeros", REG_SZ, std::string("a\0b\0\0", 5)},
        {"Eight-byte dword", REG_DWORD, std::string("\x01\0\0\0\x02\0\0\0", 8)},
        {"Odd type", 0x1234, "xyz"},
        {"Empty none", REG_NONE, ""},
        {"Every byte", REG_BINARY, allBytes},
        {"Megabyte", REG_BINARY, std::string(1 << 20, '\x5A') + allBytes},
        {"Top type", 0xFFFFFFFFu, std::string(1, '\0')},
    };
    {
        RegistryKey key = create(open(), "Values");
        for (const auto& c : cases)
            ASSERT_EQ(key.setValue(c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
    }
    const RegistryKey key = open().openSubKey("Values", KEY_READ).value();
    std::uint32_t index = 0;
    for (const auto& c : cases) {
        for (const auto& value : {key.queryValue(c.name), key.enumValue(index++)}) {
            ASSERT_TRUE(value.ok()) << c.name;
            EXPECT_EQ(value.value().name, c.name);
            EXPECT_EQ(value.value().type, c.type) << c.name;
            EXPECT_TRUE(value.value().data == c.data) << c.name << ": " << value.value().data.size() << " bytes";
        }
    }
    EXPECT_EQ(key.enumValue(index).error(), ERROR_NO_MORE_ITEMS);
}

TEST_F(HiveValues, NamesAreCaseInsensitiveAndKeepTheirFirstCaseAndPlace)
{
    RegistryKey key = create(open(), "Values");
    for (const char* name : {"Alpha", "beta", "Gamma"})
        ASSERT_EQ(key.setValue(name, REG_SZ, name), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("ALPHA", REG_DWORD, "new"), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
    const RegistryValue alpha = key.queryValue("aLpHa").value();
    EXPECT_EQ(alpha.name, "Alpha");
    EXPECT_EQ(alpha.type, REG_DWORD);
    EXPECT_EQ(alpha.data, "new");

    EXPECT_EQ(key.deleteValue("BETA"), ERROR_SUCCESS);
    EXPECT_EQ(key.deleteValue("beta"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.queryValue("beta").error(), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(key.setValue("Beta", REG_SZ, ""), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"Alpha", "Gamma", "Beta"}));
}

TEST_F(HiveValues, DwordsAreReadAsIntoAFourByteBuffer)
{
    using namespace std::string_literals;
    RegistryKey key = create(open(), "Dwords");
    const struct {
        const char* name;
        RegistryType type;
        std::string data;
        Win32Error error;
        std::uint32_t value; // 99 when left alone
    } cases[] = {
        {"four bytes", REG_DWORD, "\x2a\0\0\x80"s, ERROR_SUCCESS, 0x8000002a},
        {"shorter", REG_DWORD, "\x01\x02"s, ERROR_SUCCESS, 0x0201},
        {"empty", REG_DWORD, "", ERROR_SUCCESS, 0},
        {"another type", REG_SZ, "\x05\0\0\0"s, ERROR_SUCCESS, 5},
        {"longer", REG_DWORD, "\x01\0\0\0\0"s, ERROR_MORE_DATA, 99},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(key.setValue(c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
        std::uint32_t value = 99;
        EXPECT_EQ(key.readDword(c.name, value), c.error) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    std::uint32_t value = 99;
    EXPECT_EQ(key.readDword("missing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 99u);
}

TEST_F(HiveValues, DwordsAreWrittenAsFourBytesLowOrderFirst)
{
    using namespace std::string_literals;
    RegistryKey key = create(open(), "Dwords");
    const struct {
        std::uint32_t value;
        std::string bytes;
    } cases[] = {{0, "\0\0\0\0"s}, {0x8000002a, "\x2a\0\0\x80"s}, {0xFFFFFFFF, "\xff\xff\xff\xff"s}};
    for (const auto& c : cases) {
        ASSERT_EQ(key.writeDword("n", c.value), ERROR_SUCCESS) << c.value;
        const RegistryValue stored = key.queryValue("n").value();
        EXPECT_EQ(stored.type, REG_DWORD) << c.value;
        EXPECT_EQ(stored.data, c.bytes) << c.value;
        EXPECT_EQ(dwordBytes(c.value), c.bytes) << c.value;
        EXPECT_EQ(dwordFromBytes(c.bytes + "\x01"), c.value) << c.value << ": only the first 4 bytes count";
    }
}

TEST_F(HiveFiles, OpenRootCreatesTheHiveAndItsFolders)
{
    ASSERT_FALSE(std::filesystem::exists(home.hiveFile().parent_path()));
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    ASSERT_EQ(root.error(), ERROR_SUCCESS);
    EXPECT_EQ(root.value().fullName(), "HKEY_CURRENT_USER");
    EXPECT_TRUE(std::filesystem::is_regular_file(home.hiveFile()));

    writeFile(home.root() / "empty.db", "");
    home.setEnvironment("QUILLBROOK_HIVE", (home.root() / "empty.db").string());
    auto fromEmpty = RegistryKey::openRoot(HiveRoot::ClassesRoot);
    ASSERT_EQ(fromEmpty.error(), ERROR_SUCCESS);
    EXPECT_EQ(fromEmpty.value().setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
}

TEST_F(HiveFiles, FilesThatAreNotHivesAreLeftAlone)
{
    const auto file = home.hiveFile();
    std::filesystem::create_directories(file.parent_path());
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"one byte", [&] { writeFile(file, "x"); }},
        {"text", [&] { writeFile(file, std::string(5000, 't')); }},
        {"another program's database", [&] { RawDatabase(file).exec("CREATE TABLE notes(text)"); }},
        {"a hive of a later version",
         [&] {
             open();
             RawDatabase(file).exec("PRAGMA user_version = 99");
         }},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        c.make();
        const std::string before = readFile(file);
        EXPECT_EQ(RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location()).error(), ERROR_BADDB)
            << c.what;
        EXPECT_TRUE(readFile(file) == before) << c.what;
    }
}

TEST_F(HiveFiles, UnopenableLocationsFail)
{
    writeFile(home.root() / "plain", "x");
    for (const auto& file : {home.root() / "plain" / "registry.db", home.root()}) {
        const auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, {file});
        EXPECT_THAT(root.error(), AnyOf(ERROR_CANTOPEN, ERROR_ACCESS_DENIED)) << file;
    }
}

TEST_F(HiveFiles, ReadOnlyHiveRefusesWrites)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    ASSERT_EQ(create(open(), "Key").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    std::filesystem::permissions(home.hiveFile(), std::filesystem::perms::owner_read);
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location());
    if (!root.ok()) {
        EXPECT_EQ(root.error(), ERROR_ACCESS_DENIED);
        return;
    }
    auto key = root.value().openSubKey("Key", KEY_ALL_ACCESS);
    EXPECT_EQ(key.value().queryValue("v").value().data, "x");
    EXPECT_EQ(key.value().setValue("v", REG_SZ, "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(root.value().createSubKey("New", KEY_READ).error(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(root.value().createSubKey("Key", KEY_READ).ok());
}

TEST_F(HiveFiles, WritesWaitForALockOnlyUntilTheTimeout)
{
    ASSERT_EQ(create(open(), "Old").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    constexpr std::chrono::milliseconds timeout(100);
    RegistryKey root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location(timeout)).value();
    RegistryKey old = root.openSubKey("Old", KEY_ALL_ACCESS).value();

    RawDatabase other(home.hiveFile());
    ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);
    const struct {
        const char* what;
        std::function<Win32Error()> write;
    } writes[] = {
        {"setValue", [&] { return old.setValue("v", REG_SZ, "y"); }},
        {"deleteValue", [&] { return old.deleteValue("v"); }},
        {"createSubKey", [&] { return root.createSubKey("New", KEY_READ).error(); }},
        {"deleteTree", [&] { return root.deleteTree("Old"); }},
        {"beginTransaction", [&] { return root.beginTransaction().error(); }},
    };
    for (const auto& w : writes) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(w.write(), ERROR_LOCK_VIOLATION) << w.what;
        EXPECT_GE(std::chrono::steady_clock::now() - start, timeout) << w.what;
    }
    EXPECT_EQ(old.queryValue("v").value().data, "x");
    EXPECT_TRUE(RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_READ, location(timeout)).ok());
    ASSERT_EQ(other.exec("COMMIT"), SQLITE_OK);
    EXPECT_EQ(old.setValue("v", REG_SZ, "y"), ERROR_SUCCESS);
}

TEST_F(HiveProcesses, TwoProcessesWriteAtOnce)
{
    const std::string file = home.hiveFile().string();
    Pipe start;
    Writer a({"values", file, "a", "200"}, start.fds[0]);
    Writer b({"values", file, "b", "200"}, start.fds[0]);
    ASSERT_TRUE(a.started() && b.started());
    start.closeWriteEnd(); // both start together
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    const RegistryKey key = open().openSubKey("Software\\Concurrent", KEY_READ).value();
    EXPECT_EQ(valueNames(key).size(), 400u);
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < 200; ++i) {
            const std::string name = prefix + std::to_string(i);
            EXPECT_EQ(key.queryValue(name).value().data, name);
        }
}

TEST_F(HiveProcesses, AKilledWriterLeavesNoPartialChange)
{
    constexpr int depth = 300;
    RegistryKey root = open();
    // CPU time the writer gets before SIGKILL: spread over its first rounds of writes, so that the
    // kills land at many points of them.
    for (long microseconds = 1000; microseconds < 30000; microseconds = microseconds * 13 / 10) {
        Writer writer({"churn", home.hiveFile().string(), std::to_string(depth), std::to_string(microseconds)});
        ASSERT_TRUE(writer.started());
        const int status = writer.wait();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "after " << microseconds << " us";

        // The chain is there whole or not at all.
        auto key = root.openSubKey("Churn", KEY_READ);
        if (!key.ok()) {
            EXPECT_EQ(key.error(), ERROR_FILE_NOT_FOUND);
            continue;
        }
        int levels = 0;
        for (auto name = key.value().enumSubKey(0); name.ok(); name = key.value().enumSubKey(0), ++levels)
            key = key.value().openSubKey(name.value(), KEY_READ);
        EXPECT_EQ(levels, depth) << "after " << microseconds << " us";
    }
    auto after = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location(std::chrono::milliseconds(100)));
    EXPECT_EQ(after.value().setValue("after", REG_SZ, "x"), ERROR_SUCCESS);
}

TEST_F(HiveProcesses, ThreadsShareOneConnection)
{
    const RegistryKey root = open();
    create(root, "Threads");
    const auto work = [&root](char prefix, int& failures) {
        RegistryKey key = root.openSubKey("Threads", KEY_ALL_ACCESS).value();
        for (int i = 0; i < 200; ++i) {
            const std::string name = prefix + std::to_string(i);
            if (key.setValue(name, REG_SZ, name) != ERROR_SUCCESS || key.queryValue(name).value().data != name)
                ++failures;
        }
    };
    int failuresA = 0, failuresB = 0;
    std::thread a(work, 'a', std::ref(failuresA));
    std::thread b(work, 'b', std::ref(failuresB));
    a.join();
    b.join();
    EXPECT_EQ(failuresA + failuresB, 0);
    EXPECT_EQ(valueNames(root.openSubKey("Threads", KEY_READ).value()).size(), 400u);
}

// Each way a transaction ends, on changes to keys and values, seen inside and through another
// connection.
TEST_F(HiveTransactions, CommitKeepsTheChangesAndEveryOtherEndUndoesThem)
{
    const struct {
        const char* name;
        std::function<void(HiveTransaction&)> end;
        bool kept;
    } cases[] = {
        {"committed", [](HiveTransaction& t) { EXPECT_EQ(t.commit(), ERROR_SUCCESS); }, true},
        {"rolled back", [](HiveTransaction& t) { t.rollBack(); }, false},
        {"destroyed", [](HiveTransaction& t) { HiveTransaction ending = std::move(t); }, false},
        {"replaced", [](HiveTransaction& t) { t = HiveTransaction(); }, false},
    };
    RegistryKey root = open();
    for (const auto& c : cases) {
        RegistryKey before = create(root, "Before");
        ASSERT_EQ(before.setValue("Old", REG_SZ, "old"), ERROR_SUCCESS);
        auto transaction = root.beginTransaction();
        ASSERT_EQ(transaction.error(), ERROR_SUCCESS) << c.name;
        ASSERT_EQ(before.deleteValue("Old"), ERROR_SUCCESS) << c.name;
        RegistryKey made = create(root, "Made\\Deeper");
        ASSERT_EQ(made.writeDword("Count", 7), ERROR_SUCCESS) << c.name;
        EXPECT_TRUE(root.openSubKey("Made\\Deeper", KEY_READ).value().valueExists("Count")) << c.name;
        EXPECT_FALSE(open().openSubKey("Made", KEY_READ).ok()) << c.name << ": seen outside before the end";
        c.end(transaction.value());
        EXPECT_FALSE(transaction.value().isActive()) << c.name;

        const RegistryKey other = open();
        EXPECT_EQ(other.openSubKey("Made\\Deeper", KEY_READ).ok(), c.kept) << c.name;
        EXPECT_EQ(other.openSubKey("Before", KEY_READ).value().valueExists("Old"), !c.kept) << c.name;
        EXPECT_EQ(root.deleteTree("Made"), c.kept ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND) << c.name;
    }
}

TEST_F(HiveTransactions, OtherConnectionsSeeNothingAndCannotWriteUntilTheEnd)
{
    RegistryKey root = open();
    auto transaction = root.beginTransaction();
    ASSERT_EQ(transaction.error(), ERROR_SUCCESS);
    ASSERT_EQ(root.setValue("Inside", REG_SZ, "x"), ERROR_SUCCESS);

    constexpr std::chrono::milliseconds timeout(100);
    RegistryKey other = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, location(timeout)).value();
    EXPECT_FALSE(other.valueExists("Inside"));
    EXPECT_EQ(other.setValue("Outside", REG_SZ, "y"), ERROR_LOCK_VIOLATION);
    EXPECT_EQ(other.beginTransaction().error(), ERROR_LOCK_VIOLATION);

    ASSERT_EQ(transaction.value().commit(), ERROR_SUCCESS);
    EXPECT_EQ(other.queryValue("Inside").value().data, "x");
    EXPECT_EQ(other.setValue("Outside", REG_SZ, "y"), ERROR_SUCCESS);
}

TEST_F(HiveTransactions, OneBegunInsideAnotherIsAPartOfIt)
{
    const struct {
        const char* name;
        bool commitInner;
        bool commitOuter;
    } cases[] = {
        {"both committed", true, true},
        {"inner rolled back", false, true},
        {"outer rolled back", true, false},
        {"both rolled back", false, false},
    };
    const RegistryKey root = open();
    for (const auto& c : cases) {
        RegistryKey key = create(root, c.name);
        auto outer = root.beginTransaction();
        ASSERT_EQ(outer.error(), ERROR_SUCCESS) << c.name;
        ASSERT_EQ(key.setValue("Outer", REG_SZ, "o"), ERROR_SUCCESS) << c.name;
        {
            auto inner = key.beginTransaction(); // another key of the same connection
            ASSERT_EQ(inner.error(), ERROR_SUCCESS) << c.name;
            ASSERT_EQ(key.setValue("Inner", REG_SZ, "i"), ERROR_SUCCESS) << c.name;
            if (c.commitInner) {
                EXPECT_EQ(inner.value().commit(), ERROR_SUCCESS) << c.name;
            }
        }
        EXPECT_EQ(key.valueExists("Inner"), c.commitInner) << c.name;
        EXPECT_TRUE(key.valueExists("Outer")) << c.name;
        if (c.commitOuter)
            EXPECT_EQ(outer.value().commit(), ERROR_SUCCESS) << c.name;
        else
            outer.value().rollBack();

        const RegistryKey seen = open().openSubKey(c.name, KEY_READ).value();
        EXPECT_EQ(seen.valueExists("Outer"), c.commitOuter) << c.name;
        EXPECT_EQ(seen.valueExists("Inner"), c.commitOuter && c.commitInner) << c.name;
    }
}

TEST_F(HiveTransactions, AnEndedTransactionStaysEndedAndTheNextOneIsNew)
{
    RegistryKey root = open();
    HiveTransaction never;
    EXPECT_FALSE(never.isActive());
    EXPECT_EQ(never.commit(), ERROR_INVALID_HANDLE);

    HiveTransaction first = root.beginTransaction().value();
    ASSERT_EQ(root.setValue("First", REG_SZ, "1"), ERROR_SUCCESS);
    ASSERT_EQ(first.commit(), ERROR_SUCCESS);
    EXPECT_EQ(first.commit(), ERROR_INVALID_HANDLE);
    first.rollBack(); // does nothing now

    HiveTransaction second = root.beginTransaction().value();
    ASSERT_EQ(root.setValue("Second", REG_SZ, "2"), ERROR_SUCCESS);
    second.rollBack();
    RegistryKey other = open();
    EXPECT_TRUE(other.valueExists("First"));
    EXPECT_FALSE(other.valueExists("Second"));
    EXPECT_EQ(other.setValue("After", REG_SZ, "x"), ERROR_SUCCESS) << "the write lock was released";
}

TEST_F(HiveTransactions, AFailedOperationInsideUndoesOnlyItself)
{
    RegistryKey root = open();
    {
        // A key that cannot be written: the failure comes after the operation made its first key.
        RawDatabase raw(home.hiveFile());
        ASSERT_EQ(raw.exec("CREATE TRIGGER refuse BEFORE INSERT ON keys WHEN NEW.name = CAST('Refused' AS BLOB) "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
                  SQLITE_OK);
    }
    auto transaction = root.beginTransaction();
    ASSERT_EQ(transaction.error(), ERROR_SUCCESS);
    ASSERT_EQ(root.setValue("Before", REG_SZ, "b"), ERROR_SUCCESS);
    EXPECT_EQ(root.createSubKey("Made\\Refused", KEY_READ).error(), ERROR_CANTWRITE);
    EXPECT_FALSE(root.openSubKey("Made", KEY_READ).ok());
    ASSERT_EQ(root.setValue("After", REG_SZ, "a"), ERROR_SUCCESS);
    ASSERT_EQ(transaction.value().commit(), ERROR_SUCCESS);

    const RegistryKey other = open();
    EXPECT_TRUE(other.valueExists("Before") && other.valueExists("After"));
    EXPECT_FALSE(other.openSubKey("Made", KEY_READ).ok());
}

TEST_F(HiveTransactions, OtherThreadsWaitForTheEnd)
{
    RegistryKey root = open();
    create(root, "Shared");
    auto transaction = root.beginTransaction();
    ASSERT_EQ(transaction.error(), ERROR_SUCCESS);
    ASSERT_EQ(root.setValue("Main", REG_SZ, "m"), ERROR_SUCCESS);
    Win32Error threadResult = ERROR_GEN_FAILURE;
    std::thread other([&] {
        RegistryKey key = root.openSubKey("Shared", KEY_ALL_ACCESS).value();
        threadResult = key.setValue("Thread", REG_SZ, "t");
    });
    transaction.value().rollBack();
    other.join();
    EXPECT_EQ(threadResult, ERROR_SUCCESS);
    EXPECT_FALSE(root.valueExists("Main"));
    EXPECT_TRUE(root.openSubKey("Shared", KEY_READ).value().valueExists("Thread")) << "not part of the transaction";
}

} // namespace
} // namespace quillbrook
