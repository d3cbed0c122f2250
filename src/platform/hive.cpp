// The hive on SQLite. A key is a row of `keys`, a value a row of `vals`; every name is stored twice:
// as given (the case a reader sees) and folded (upper-cased UTF-16, big-endian), which is what
// lookups compare and what subkey enumeration sorts by: byte order of big-endian UTF-16 is the
// original platform's code-unit order.
#include "platform/hive.h"

#include "platform/charset.h"
#include "platform/file_descriptor.h"
#include "platform/folders.h"

#include <sqlite3.h>

#include <QChar>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <mutex>
#include <span>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>
#include <sys/file.h>

namespace quillbrook {
namespace {

// PRAGMA application_id ("QBHV") and user_version that mark a file as a hive of this schema.
constexpr int kApplicationId = 0x51424856;
constexpr int kSchemaVersion = 1;

// The rows of the roots, as the schema inserts them.
constexpr std::int64_t kCurrentUserId = 1;
constexpr std::int64_t kClassesRootId = 2;

constexpr qsizetype kMaxKeyNameLength = 255;

// `keys.id` is AUTOINCREMENT so that an id is never reused: the handle of a deleted key must not
// reach a key created later. `vals.id` grows with every new value and gives the enumeration order.
constexpr const char* kSchema = R"(
CREATE TABLE keys (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER,
    name BLOB NOT NULL,
    fold BLOB NOT NULL
);
CREATE UNIQUE INDEX keys_by_name ON keys(parent, fold);
CREATE TABLE vals (
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name BLOB NOT NULL,
    fold BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL
);
CREATE UNIQUE INDEX vals_by_name ON vals(key, fold);
CREATE INDEX vals_in_order ON vals(key, id);
INSERT INTO keys(id, parent, name, fold) VALUES
    (1, NULL, CAST('HKEY_CURRENT_USER' AS BLOB), CAST('HKEY_CURRENT_USER' AS BLOB)),
    (2, NULL, CAST('HKEY_CLASSES_ROOT' AS BLOB), CAST('HKEY_CLASSES_ROOT' AS BLOB));
)";

// The values of key ?1 and of every key below it; then those keys, except ?2 (?1 when it stays).
constexpr const char* kDeleteTreeValues = R"(
WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)
DELETE FROM vals WHERE key IN tree)";
constexpr const char* kDeleteTreeKeys = R"(
WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)
DELETE FROM keys WHERE id IN tree AND id <> ?2)";

struct DatabaseClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseClose>;

struct StatementFinalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalize>;

Win32Error win32FromErrno(int err)
{
    return err == EACCES || err == EPERM || err == EROFS ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
}

// SQLite takes a file shorter than its header for an empty database, and would write over it: a
// file that is neither empty nor starts like an SQLite database is refused before SQLite sees it.
// Held while a process opens the hive: the check of the file's kind and the creation of the schema
// by another process must not interleave, or a header half written by one looks like a file that
// is not a hive to the other. SQLite's own locks are fcntl locks; flock locks do not meet them.
class OpeningLock {
public:
    explicit OpeningLock(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (!fd_.valid())
            fd_ = FileDescriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd_.valid())
            while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
            }
    }

private:
    // Closing the descriptor releases the lock.
    FileDescriptor fd_;
};

Win32Error checkFileKind(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return ERROR_SUCCESS; // missing, or a failure that SQLite reports
    static constexpr char kMagic[] = "SQLite format 3"; // with its zero byte, the header's first 16 bytes
    char header[sizeof kMagic] = {};
    in.read(header, sizeof header);
    const auto got = in.gcount();
    if (got == 0 || (got == sizeof header && std::memcmp(header, kMagic, sizeof header) == 0))
        return ERROR_SUCCESS;
    return ERROR_BADDB;
}

// `writing` tells whether the failed operation was a change, for the codes that only say "I/O".
Win32Error win32FromSqlite(int rc, bool writing)
{
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_LOCK_VIOLATION;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return ERROR_BADDB;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_TOOBIG:
        return ERROR_INVALID_PARAMETER;
    case SQLITE_IOERR:
        if (rc == SQLITE_IOERR_READ || rc == SQLITE_IOERR_SHORT_READ)
            return ERROR_CANTREAD;
        return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    default:
        return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

// One run of a prepared statement: binds parameters in order, and resets the statement when it
// goes out of scope so that the statement can be reused and holds no read lock.
class Query {
public:
    Query(sqlite3_stmt* statement, int prepareResult) : statement_(statement), result_(prepareResult) {}
    ~Query()
    {
        if (statement_) {
            sqlite3_reset(statement_);
            sqlite3_clear_bindings(statement_);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(std::int64_t value)
    {
        if (result_ == SQLITE_OK)
            result_ = sqlite3_bind_int64(statement_, ++index_, value);
        return *this;
    }
    // Always binds a BLOB, never NULL: a null pointer would bind NULL, so empty data binds a
    // zero-length BLOB.
    Query& bind(std::string_view bytes)
    {
        if (result_ == SQLITE_OK)
            result_ = bytes.empty() ? sqlite3_bind_zeroblob(statement_, ++index_, 0)
                                    : sqlite3_bind_blob64(statement_, ++index_, bytes.data(), bytes.size(),
                                                          SQLITE_TRANSIENT);
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or the error (of preparing, binding or stepping).
    int step() { return result_ == SQLITE_OK ? sqlite3_step(statement_) : result_; }
    // SQLITE_OK when the statement ran to its end.
    int run()
    {
        const int rc = step();
        return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
    }

    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string bytes(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        const int size = sqlite3_column_bytes(statement_, column);
        return data ? std::string(data, static_cast<std::size_t>(size)) : std::string();
    }

private:
    sqlite3_stmt* statement_;
    int result_;
    int index_ = 0;
};

Win32Error errorOf(Win32Error error)
{
    return error;
}

template <class T>
Win32Error errorOf(const Win32Result<T>& result)
{
    return result.error();
}

} // namespace

// One SQLite connection to a hive, shared by a root key and every key opened from it. Its lock
// keeps transactions of two threads from interleaving on the connection.
class HiveConnection {
public:
    explicit HiveConnection(DatabaseHandle db) : db_(std::move(db)) {}

    static Win32Result<std::shared_ptr<HiveConnection>> open(const HiveLocation& location);

    // Runs `body` as one transaction under the lock, once the key `key` is known to exist
    // (ERROR_KEY_DELETED otherwise): committed when it succeeds, rolled back when it fails. A change
    // takes the write lock at its start (BEGIN IMMEDIATE): a read transaction that turns into a
    // write does not wait for another writer, SQLite fails it at once.
    template <class Body>
    auto read(std::int64_t key, Body&& body) -> decltype(body())
    {
        return transact(false, key, body);
    }
    template <class Body>
    auto write(std::int64_t key, Body&& body) -> decltype(body())
    {
        return transact(true, key, body);
    }

    // The statement of `sql`, prepared once per connection.
    Query query(const char* sql)
    {
        auto& cached = statements_[sql];
        if (!cached) {
            sqlite3_stmt* statement = nullptr;
            const int rc = sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
            if (rc != SQLITE_OK)
                return Query(nullptr, rc);
            cached.reset(statement);
        }
        return Query(cached.get(), SQLITE_OK);
    }

    Win32Error failure(int rc) const { return win32FromSqlite(rc, writing_); }
    std::int64_t lastInsertedId() const { return sqlite3_last_insert_rowid(db_.get()); }
    int changes() const { return sqlite3_changes(db_.get()); }

private:
    // `key` 0 checks no key.
    template <class Body>
    auto transact(bool write, std::int64_t key, Body& body) -> decltype(body())
    {
        using Result = decltype(body());
        std::lock_guard lock(mutex_);
        writing_ = write;
        if (const int rc = query(write ? "BEGIN IMMEDIATE" : "BEGIN").run(); rc != SQLITE_OK)
            return Result(failure(rc));
        const Win32Error missing = key == 0 ? ERROR_SUCCESS : requireKey(key);
        Result result = missing == ERROR_SUCCESS ? body() : Result(missing);
        if (errorOf(result) != ERROR_SUCCESS) {
            rollback();
            return result;
        }
        if (const int rc = query("COMMIT").run(); rc != SQLITE_OK) {
            rollback();
            return Result(failure(rc));
        }
        return result;
    }

    // Some failures (a full disk, no memory) end the transaction by themselves.
    void rollback()
    {
        if (!sqlite3_get_autocommit(db_.get()))
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

    Win32Error requireKey(std::int64_t id)
    {
        Query q = query("SELECT 1 FROM keys WHERE id = ?");
        const int rc = q.bind(id).step();
        if (rc == SQLITE_ROW)
            return ERROR_SUCCESS;
        return rc == SQLITE_DONE ? ERROR_KEY_DELETED : failure(rc);
    }
    Win32Error prepareHive();
    int readMarks(std::int64_t& applicationId, std::int64_t& version, std::int64_t& objects);
    int exec(const std::string& sql) { return sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr); }

    std::mutex mutex_;
    DatabaseHandle db_;
    // Declared after db_: the statements are finalised before the connection closes.
    std::unordered_map<std::string_view, StatementHandle> statements_;
    bool writing_ = false;
};

Win32Result<std::shared_ptr<HiveConnection>> HiveConnection::open(const HiveLocation& location)
{
    // SQLite would open a private temporary database for an empty name.
    if (location.file.empty())
        return ERROR_CANTOPEN;
    if (const auto folder = location.file.parent_path(); !folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return win32FromErrno(error.value());
    }

    const OpeningLock opening(location.file);
    if (const Win32Error error = checkFileKind(location.file); error != ERROR_SUCCESS)
        return error;

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(location.file.c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK) {
        const int err = db ? sqlite3_system_errno(db.get()) : 0;
        return (rc & 0xFF) == SQLITE_NOMEM ? ERROR_NOT_ENOUGH_MEMORY : win32FromErrno(err);
    }
    sqlite3_extended_result_codes(db.get(), 1);
    // Keys are opened and closed often (a store closes its key after each save); a checkpoint at
    // every close would sync the disk each time. The write-ahead log is checkpointed as it grows.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    const auto timeout = std::clamp<std::int64_t>(location.busyTimeout.count(), 0, std::numeric_limits<int>::max());
    sqlite3_busy_timeout(db.get(), static_cast<int>(timeout));

    auto connection = std::make_shared<HiveConnection>(std::move(db));
    if (const Win32Error error = connection->prepareHive(); error != ERROR_SUCCESS)
        return error;
    return connection;
}

int HiveConnection::readMarks(std::int64_t& applicationId, std::int64_t& version, std::int64_t& objects)
{
    const std::pair<const char*, std::int64_t*> reads[] = {
        {"PRAGMA application_id", &applicationId},
        {"PRAGMA user_version", &version},
        {"SELECT count(*) FROM sqlite_master", &objects},
    };
    for (const auto& [sql, target] : reads) {
        Query q = query(sql);
        if (const int rc = q.step(); rc != SQLITE_ROW)
            return rc;
        *target = q.integer(0);
    }
    return SQLITE_OK;
}

// Checks that the file is a hive, and gives an empty file the schema. Nothing is written to a file
// that is neither.
Win32Error HiveConnection::prepareHive()
{
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    if (const int rc = readMarks(applicationId, version, objects); rc != SQLITE_OK)
        return failure(rc);
    const auto isHive = [&] { return applicationId == kApplicationId && version == kSchemaVersion; };
    const auto isEmpty = [&] { return applicationId == 0 && version == 0 && objects == 0; };

    if (!isHive()) {
        if (!isEmpty())
            return ERROR_BADDB;
        // The journal mode cannot change inside a transaction; another process creating the
        // schema at the same time chooses the same.
        exec("PRAGMA journal_mode=WAL");
        const auto createSchema = [&]() -> Win32Error {
            if (const int rc = readMarks(applicationId, version, objects); rc != SQLITE_OK)
                return failure(rc);
            if (isHive())
                return ERROR_SUCCESS;
            if (!isEmpty())
                return ERROR_BADDB;
            const std::string schema = kSchema + ("PRAGMA application_id=" + std::to_string(kApplicationId) +
                                                  ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";");
            return failure(exec(schema));
        };
        const Win32Error error = transact(true, 0, createSchema);
        if (error != ERROR_SUCCESS)
            return error;
    }
    // A hive is created in WAL mode, which the file keeps; this only matters for a hive whose
    // mode was changed from outside, and fails harmlessly on a read-only file.
    {
        Query mode = query("PRAGMA journal_mode");
        if (mode.step() == SQLITE_ROW && mode.bytes(0) != "wal") {
            Query wal = query("PRAGMA journal_mode=WAL");
            wal.run();
        }
    }
    return failure(exec("PRAGMA synchronous=NORMAL"));
}

namespace {

// A key name as a path component: the name as given and its fold.
struct KeyName {
    std::string_view name;
    std::string fold;
};

// Upper-cases each UTF-16 unit on its own, as the original platform compares names, and writes
// the units big-endian so that comparing the bytes compares the units.
std::string foldName(const QString& wide)
{
    std::string fold;
    fold.reserve(static_cast<std::size_t>(wide.size()) * 2);
    for (const QChar unit : wide) {
        const char16_t upper = unit.toUpper().unicode();
        fold.push_back(static_cast<char>(upper >> 8));
        fold.push_back(static_cast<char>(upper & 0xFF));
    }
    return fold;
}

std::string foldName(std::string_view name)
{
    return foldName(toWide(name));
}

// "a\b\" → {a, b}. An empty component other than the one after a trailing backslash is a bad path.
Win32Result<std::vector<KeyName>> splitKeyPath(std::string_view path)
{
    std::vector<KeyName> components;
    if (path.empty())
        return components;
    if (path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (path.back() == '\\')
        path.remove_suffix(1);
    while (true) {
        const auto separator = path.find('\\');
        const std::string_view name = path.substr(0, separator);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        const QString wide = toWide(name);
        if (wide.size() > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        components.push_back({name, foldName(wide)});
        if (separator == std::string_view::npos)
            break;
        path.remove_prefix(separator + 1);
    }
    return components;
}

bool isRoot(std::int64_t id)
{
    return id == kCurrentUserId || id == kClassesRootId;
}

struct FoundKey {
    std::int64_t id = 0;
    std::string storedPath; // "\Name\Name" with the stored case, appended to the start's full name
};

// Walks `components` down from `start`. ERROR_FILE_NOT_FOUND when one is missing.
Win32Result<FoundKey> findKey(HiveConnection& connection, std::int64_t start, std::span<const KeyName> components)
{
    FoundKey found{start, {}};
    for (const KeyName& component : components) {
        Query q = connection.query("SELECT id, name FROM keys WHERE parent = ? AND fold = ?");
        const int rc = q.bind(found.id).bind(component.fold).step();
        if (rc == SQLITE_DONE)
            return ERROR_FILE_NOT_FOUND;
        if (rc != SQLITE_ROW)
            return connection.failure(rc);
        found.id = q.integer(0);
        found.storedPath += '\\' + q.bytes(1);
    }
    return found;
}

Win32Result<RegistryValue> findValue(HiveConnection& connection, std::int64_t key, std::string_view name)
{
    Query q = connection.query("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
    const int rc = q.bind(key).bind(foldName(name)).step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return connection.failure(rc);
    return RegistryValue{q.bytes(0), static_cast<RegistryType>(q.integer(1)), q.bytes(2)};
}

Win32Error deleteTreeRows(HiveConnection& connection, std::int64_t top, bool keepTop)
{
    if (const int rc = connection.query(kDeleteTreeValues).bind(top).run(); rc != SQLITE_OK)
        return connection.failure(rc);
    const int rc = connection.query(kDeleteTreeKeys).bind(top).bind(keepTop ? top : 0).run();
    return connection.failure(rc);
}

bool isAsciiCaseEqual(std::string_view a, std::string_view b)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return upper(x) == upper(y); });
}

} // namespace

HiveLocation HiveLocation::forCurrentUser()
{
    HiveLocation location;
    if (const char* hive = std::getenv("QUILLBROOK_HIVE"); hive && *hive)
        location.file = hive;
    else if (const std::string config = configFolder(); !config.empty())
        location.file = std::filesystem::path(config) / "quillbrook" / "registry.db";
    return location;
}

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

RegistryKey::RegistryKey(std::shared_ptr<HiveConnection> connection, std::int64_t id, RegistryAccess access,
                         std::string fullName)
    : connection_(std::move(connection)), id_(id), access_(access), fullName_(std::move(fullName))
{
}

Win32Result<RegistryKey> RegistryKey::openRoot(HiveRoot root, RegistryAccess access, const HiveLocation& location)
{
    auto connection = HiveConnection::open(location);
    if (!connection.ok())
        return connection.error();
    const std::int64_t id = root == HiveRoot::CurrentUser ? kCurrentUserId : kClassesRootId;
    return RegistryKey(std::move(connection).value(), id, access, std::string(hiveRootName(root)));
}

bool RegistryKey::isOpen() const
{
    return connection_ != nullptr;
}

void RegistryKey::close()
{
    connection_.reset();
    id_ = 0;
    access_ = 0;
    fullName_.clear();
}

std::string RegistryKey::fullName() const
{
    return fullName_;
}

Win32Error RegistryKey::usable(RegistryAccess needed) const
{
    if (!connection_)
        return ERROR_INVALID_HANDLE;
    return (access_ & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

Win32Result<RegistryKey> RegistryKey::openSubKey(std::string_view path, RegistryAccess access) const
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return connection_->read(id_, [&]() -> Win32Result<RegistryKey> {
        const auto found = findKey(*connection_, id_, components.value());
        if (!found.ok())
            return found.error();
        return RegistryKey(connection_, found.value().id, access, fullName_ + found.value().storedPath);
    });
}

Win32Result<RegistryKey> RegistryKey::createSubKey(std::string_view path, RegistryAccess access, bool* created) const
{
    if (created)
        *created = false;
    if (const Win32Error error = usable(KEY_CREATE_SUB_KEY); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();

    // An existing key is only read, so that opening it needs neither the write lock nor a
    // writable hive.
    auto existing = openSubKey(path, access);
    if (existing.error() != ERROR_FILE_NOT_FOUND)
        return existing;

    bool madeLast = false;
    auto result = connection_->write(id_, [&]() -> Win32Result<RegistryKey> {
        std::int64_t id = id_;
        std::string name = fullName_;
        for (const KeyName& component : components.value()) {
            auto found = findKey(*connection_, id, std::span(&component, 1));
            if (found.ok()) {
                id = found.value().id;
                name += found.value().storedPath;
                madeLast = false;
                continue;
            }
            if (found.error() != ERROR_FILE_NOT_FOUND)
                return found.error();
            Query insert = connection_->query("INSERT INTO keys(parent, name, fold) VALUES (?, ?, ?)");
            if (const int rc = insert.bind(id).bind(component.name).bind(component.fold).run(); rc != SQLITE_OK)
                return connection_->failure(rc);
            id = connection_->lastInsertedId();
            name += '\\';
            name += component.name;
            madeLast = true;
        }
        return RegistryKey(connection_, id, access, std::move(name));
    });
    if (created)
        *created = result.ok() && madeLast;
    return result;
}

Win32Result<std::string> RegistryKey::enumSubKey(std::uint32_t index) const
{
    if (const Win32Error error = usable(KEY_ENUMERATE_SUB_KEYS); error != ERROR_SUCCESS)
        return error;
    return connection_->read(id_, [&]() -> Win32Result<std::string> {
        Query q = connection_->query("SELECT name FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
        const int rc = q.bind(id_).bind(std::int64_t{index}).step();
        if (rc == SQLITE_ROW)
            return q.bytes(0);
        return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : connection_->failure(rc);
    });
}

Win32Result<std::vector<std::string>> RegistryKey::subKeyNames() const
{
    if (const Win32Error error = usable(KEY_ENUMERATE_SUB_KEYS); error != ERROR_SUCCESS)
        return error;
    return connection_->read(id_, [&]() -> Win32Result<std::vector<std::string>> {
        Query q = connection_->query("SELECT name FROM keys WHERE parent = ? ORDER BY fold");
        q.bind(id_);
        std::vector<std::string> names;
        int rc = SQLITE_ROW;
        while ((rc = q.step()) == SQLITE_ROW)
            names.push_back(q.bytes(0));
        if (rc != SQLITE_DONE)
            return connection_->failure(rc);
        return names;
    });
}

Win32Result<RegistryValue> RegistryKey::enumValue(std::uint32_t index) const
{
    if (const Win32Error error = usable(KEY_QUERY_VALUE); error != ERROR_SUCCESS)
        return error;
    return connection_->read(id_, [&]() -> Win32Result<RegistryValue> {
        Query q = connection_->query("SELECT name, type, data FROM vals WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
        const int rc = q.bind(id_).bind(std::int64_t{index}).step();
        if (rc == SQLITE_ROW)
            return RegistryValue{q.bytes(0), static_cast<RegistryType>(q.integer(1)), q.bytes(2)};
        return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : connection_->failure(rc);
    });
}

Win32Result<RegistryValue> RegistryKey::queryValue(std::string_view name) const
{
    if (const Win32Error error = usable(KEY_QUERY_VALUE); error != ERROR_SUCCESS)
        return error;
    return connection_->read(id_, [&] { return findValue(*connection_, id_, name); });
}

bool RegistryKey::valueExists(std::string_view name) const
{
    return queryValue(name).ok();
}

Win32Error RegistryKey::setValue(std::string_view name, RegistryType type, std::string_view data)
{
    if (const Win32Error error = usable(KEY_SET_VALUE); error != ERROR_SUCCESS)
        return error;
    return connection_->write(id_, [&]() -> Win32Error {
        // Replacing keeps the row, hence the name's case and the place in the enumeration.
        Query q = connection_->query("INSERT INTO vals(key, name, fold, type, data) VALUES (?, ?, ?, ?, ?) "
                                     "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
        q.bind(id_).bind(name).bind(foldName(name)).bind(std::int64_t{type}).bind(data);
        return connection_->failure(q.run());
    });
}

Win32Error RegistryKey::deleteValue(std::string_view name)
{
    if (const Win32Error error = usable(KEY_SET_VALUE); error != ERROR_SUCCESS)
        return error;
    return connection_->write(id_, [&]() -> Win32Error {
        Query q = connection_->query("DELETE FROM vals WHERE key = ? AND fold = ?");
        if (const int rc = q.bind(id_).bind(foldName(name)).run(); rc != SQLITE_OK)
            return connection_->failure(rc);
        return connection_->changes() == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    });
}

Win32Error RegistryKey::deleteSubKey(std::string_view path)
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return connection_->write(id_, [&]() -> Win32Error {
        const auto found = findKey(*connection_, id_, components.value());
        if (!found.ok())
            return found.error();
        const std::int64_t target = found.value().id;
        if (isRoot(target))
            return ERROR_ACCESS_DENIED;
        Query children = connection_->query("SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
        if (const int rc = children.bind(target).step(); rc != SQLITE_DONE)
            return rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : connection_->failure(rc);
        return deleteTreeRows(*connection_, target, false);
    });
}

Win32Error RegistryKey::deleteTree(std::string_view path)
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return connection_->write(id_, [&]() -> Win32Error {
        const auto found = findKey(*connection_, id_, components.value());
        if (!found.ok())
            return found.error();
        // Only an empty path reaches a root, and then the key itself stays.
        return deleteTreeRows(*connection_, found.value().id, components.value().empty());
    });
}

bool parseHiveRoot(std::string_view name, HiveRoot& root)
{
    if (isAsciiCaseEqual(name, "HKEY_CURRENT_USER") || isAsciiCaseEqual(name, "HKCU")) {
        root = HiveRoot::CurrentUser;
        return true;
    }
    if (isAsciiCaseEqual(name, "HKEY_CLASSES_ROOT") || isAsciiCaseEqual(name, "HKCR")) {
        root = HiveRoot::ClassesRoot;
        return true;
    }
    return false;
}

std::string_view hiveRootName(HiveRoot root)
{
    return root == HiveRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

} // namespace quillbrook
