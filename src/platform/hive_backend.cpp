// The hive on SQLite. A key is a row of `keys`, a value a row of `vals`; names and folds are BLOBs,
// so that comparing folds compares their bytes. This is the only file that speaks SQLite.
#include "platform/hive_backend_p.h"

#include "platform/file_descriptor.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <sys/file.h>

namespace quillbrook {
namespace {
// PRAGMA application_id ("QBHV") and user_version that mark a file as a hive of this schema.
constexpr int kApplicationId = 0x51424856;
constexpr int kSchemaVersion = 1;

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

[[nodiscard]] Win32Error win32FromErrno(int err)
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

[[nodiscard]] Win32Error checkFileKind(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return ERROR_SUCCESS;                           // missing, or a failure that SQLite reports
    static constexpr char kMagic[] = "SQLite format 3"; // with its zero byte, the header's first 16 bytes
    char header[sizeof kMagic] = {};
    in.read(header, sizeof header);
    const auto got = in.gcount();
    if (got == 0 || (got == sizeof header && std::memcmp(header, kMagic, sizeof header) == 0))
        return ERROR_SUCCESS;
    return ERROR_BADDB;
}

// `writing` tells whether the failed operation was a change, for the codes that only say "I/O".
[[nodiscard]] Win32Error win32FromSqlite(int rc, bool writing)
{
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_LOCK_VIOLATION;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT: return ERROR_BADDB;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    case SQLITE_IOERR:
        if (rc == SQLITE_IOERR_READ || rc == SQLITE_IOERR_SHORT_READ)
            return ERROR_CANTREAD;
        return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    default: return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
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
            result_ = bytes.empty()
                          ? sqlite3_bind_zeroblob(statement_, ++index_, 0)
                          : sqlite3_bind_blob64(statement_, ++index_, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
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

} // namespace

// The SQLite connection with its prepared statements and the levels of transaction open on it.
struct HiveBackend::Connection {
    explicit Connection(DatabaseHandle handle) : db(std::move(handle)) {}

    // The statement of `sql`, prepared once per connection.
    Query query(const char* sql)
    {
        auto& cached = statements[sql];
        if (!cached) {
            sqlite3_stmt* statement = nullptr;
            const int rc = sqlite3_prepare_v3(db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
            if (rc != SQLITE_OK)
                return Query(nullptr, rc);
            cached.reset(statement);
        }
        return Query(cached.get(), SQLITE_OK);
    }

    int exec(const std::string& sql) { return sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr); }
    // A failure as the level that met it sees it: a change or a read.
    [[nodiscard]] Win32Error failure(int rc) const { return win32FromSqlite(rc, !levels.empty() && levels.back()); }
    // Some failures (a full disk, no memory) end the whole transaction by themselves.
    bool transactionEnded() const { return sqlite3_get_autocommit(db.get()) != 0; }
    void rollBack()
    {
        if (!transactionEnded())
            exec("ROLLBACK");
    }
    int readMarks(std::int64_t& applicationId, std::int64_t& version, std::int64_t& objects);

    DatabaseHandle db;
    // Declared after db: the statements are finalised before the connection closes.
    std::unordered_map<std::string_view, StatementHandle> statements;
    // Whether each open level, the transaction and then its savepoints, is a change.
    std::vector<bool> levels;
    // What ended the transaction while savepoints were open in it: they fail with it until the
    // outermost level ends.
    Win32Error abandoned = ERROR_SUCCESS;
};

int HiveBackend::Connection::readMarks(std::int64_t& applicationId, std::int64_t& version, std::int64_t& objects)
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

HiveBackend::HiveBackend(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

HiveBackend::~HiveBackend() = default;

Win32Result<std::shared_ptr<HiveBackend>> HiveBackend::open(const HiveLocation& location)
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

    auto backend = std::make_shared<HiveBackend>(std::make_unique<Connection>(std::move(db)));
    if (const Win32Error error = backend->prepare(); error != ERROR_SUCCESS)
        return error;
    return backend;
}

// Checks that the file is a hive, and gives an empty file the schema. Nothing is written to a file
// that is neither.
Win32Error HiveBackend::prepare()
{
    Connection& c = *connection_;
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t objects = 0;
    if (const int rc = c.readMarks(applicationId, version, objects); rc != SQLITE_OK)
        return c.failure(rc);
    const auto isHive = [&] { return applicationId == kApplicationId && version == kSchemaVersion; };
    const auto isEmpty = [&] { return applicationId == 0 && version == 0 && objects == 0; };

    if (!isHive()) {
        if (!isEmpty())
            return ERROR_BADDB;
        // The journal mode cannot change inside a transaction; another process creating the
        // schema at the same time chooses the same.
        c.exec("PRAGMA journal_mode=WAL");
        const auto createSchema = [&]() -> Win32Error {
            if (const int rc = c.readMarks(applicationId, version, objects); rc != SQLITE_OK)
                return c.failure(rc);
            if (isHive())
                return ERROR_SUCCESS;
            if (!isEmpty())
                return ERROR_BADDB;
            const std::string schema = kSchema
                                       + ("PRAGMA application_id=" + std::to_string(kApplicationId)
                                          + ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";");
            return c.failure(c.exec(schema));
        };
        const Win32Error error = write(0, createSchema);
        if (error != ERROR_SUCCESS)
            return error;
    }
    // A hive is created in WAL mode, which the file keeps; this only matters for a hive whose
    // mode was changed from outside, and fails harmlessly on a read-only file.
    {
        Query mode = c.query("PRAGMA journal_mode");
        if (mode.step() == SQLITE_ROW && mode.bytes(0) != "wal") {
            Query wal = c.query("PRAGMA journal_mode=WAL");
            wal.run();
        }
    }
    return c.failure(c.exec("PRAGMA synchronous=NORMAL"));
}

Win32Error HiveBackend::beginLevel(bool write)
{
    Connection& c = *connection_;
    const bool outermost = c.levels.empty();
    if (!outermost && c.abandoned != ERROR_SUCCESS)
        return c.abandoned;
    c.levels.push_back(write);
    // A change takes the write lock at once (IMMEDIATE): see read and write.
    const char* begin = !outermost ? "SAVEPOINT part" : write ? "BEGIN IMMEDIATE" : "BEGIN";
    if (const int rc = c.query(begin).run(); rc != SQLITE_OK) {
        const Win32Error error = c.failure(rc);
        c.levels.pop_back();
        if (!outermost && c.transactionEnded())
            c.abandoned = error;
        return error;
    }
    return ERROR_SUCCESS;
}

Win32Error HiveBackend::commitLevel()
{
    Connection& c = *connection_;
    Win32Error result = c.abandoned;
    if (c.levels.size() == 1) {
        if (result == ERROR_SUCCESS) {
            if (const int rc = c.query("COMMIT").run(); rc != SQLITE_OK)
                result = c.failure(rc);
        }
        if (result != ERROR_SUCCESS)
            c.rollBack();
        c.abandoned = ERROR_SUCCESS;
    } else if (result == ERROR_SUCCESS) {
        if (const int rc = c.query("RELEASE part").run(); rc != SQLITE_OK) {
            result = c.failure(rc);
            undoPart(result);
        }
    }
    c.levels.pop_back();
    return result;
}

void HiveBackend::rollBackLevel(Win32Error cause)
{
    Connection& c = *connection_;
    if (c.levels.size() == 1) {
        c.rollBack();
        c.abandoned = ERROR_SUCCESS;
    } else if (c.abandoned == ERROR_SUCCESS) {
        undoPart(cause);
    }
    c.levels.pop_back();
}

// Undoes the savepoint begun last, unless SQLite has ended the whole transaction already.
void HiveBackend::undoPart(Win32Error cause)
{
    Connection& c = *connection_;
    if (c.transactionEnded()) {
        c.abandoned = cause != ERROR_SUCCESS ? cause : ERROR_CANTWRITE;
        return;
    }
    c.exec("ROLLBACK TO part");
    c.exec("RELEASE part");
}

Win32Error HiveBackend::beginTransaction(std::int64_t key)
{
    mutex_.lock();
    Win32Error error = beginLevel(true);
    if (error == ERROR_SUCCESS) {
        error = requireKey(key);
        if (error != ERROR_SUCCESS)
            rollBackLevel(error);
    }
    if (error != ERROR_SUCCESS)
        mutex_.unlock();
    return error;
}

Win32Error HiveBackend::commitTransaction()
{
    const Win32Error error = commitLevel();
    mutex_.unlock();
    return error;
}

void HiveBackend::rollBackTransaction()
{
    rollBackLevel(ERROR_SUCCESS);
    mutex_.unlock();
}

Win32Error HiveBackend::requireKey(std::int64_t id)
{
    Query q = connection_->query("SELECT 1 FROM keys WHERE id = ?");
    const int rc = q.bind(id).step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : connection_->failure(rc);
}

Win32Result<KeyRow> HiveBackend::childKey(std::int64_t parent, std::string_view fold)
{
    Query q = connection_->query("SELECT id, name FROM keys WHERE parent = ? AND fold = ?");
    const int rc = q.bind(parent).bind(fold).step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return connection_->failure(rc);
    return KeyRow{q.integer(0), q.bytes(1)};
}

Win32Result<KeyRow> HiveBackend::addKey(std::int64_t parent, std::string_view name, std::string_view fold)
{
    Query insert = connection_->query("INSERT INTO keys(parent, name, fold) VALUES (?, ?, ?)");
    if (const int rc = insert.bind(parent).bind(name).bind(fold).run(); rc != SQLITE_OK)
        return connection_->failure(rc);
    return KeyRow{sqlite3_last_insert_rowid(connection_->db.get()), std::string(name)};
}

Win32Result<std::string> HiveBackend::childNameAt(std::int64_t parent, std::uint32_t index)
{
    Query q = connection_->query("SELECT name FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
    const int rc = q.bind(parent).bind(std::int64_t{index}).step();
    if (rc == SQLITE_ROW)
        return q.bytes(0);
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : connection_->failure(rc);
}

Win32Result<std::vector<std::string>> HiveBackend::childNames(std::int64_t parent)
{
    Query q = connection_->query("SELECT name FROM keys WHERE parent = ? ORDER BY fold");
    q.bind(parent);
    std::vector<std::string> names;
    int rc = SQLITE_ROW;
    while ((rc = q.step()) == SQLITE_ROW)
        names.push_back(q.bytes(0));
    if (rc != SQLITE_DONE)
        return connection_->failure(rc);
    return names;
}

Win32Error HiveBackend::removeTree(std::int64_t top, bool keepTop)
{
    Connection& c = *connection_;
    if (const int rc = c.query(kDeleteTreeValues).bind(top).run(); rc != SQLITE_OK)
        return c.failure(rc);
    return c.failure(c.query(kDeleteTreeKeys).bind(top).bind(keepTop ? top : 0).run());
}

Win32Result<RegistryValue> HiveBackend::valueAt(std::int64_t key, std::uint32_t index)
{
    Query q = connection_->query("SELECT name, type, data FROM vals WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
    const int rc = q.bind(key).bind(std::int64_t{index}).step();
    if (rc == SQLITE_ROW)
        return RegistryValue{q.bytes(0), static_cast<RegistryType>(q.integer(1)), q.bytes(2)};
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : connection_->failure(rc);
}

Win32Result<RegistryValue> HiveBackend::value(std::int64_t key, std::string_view fold)
{
    Query q = connection_->query("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
    const int rc = q.bind(key).bind(fold).step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return connection_->failure(rc);
    return RegistryValue{q.bytes(0), static_cast<RegistryType>(q.integer(1)), q.bytes(2)};
}

Win32Error HiveBackend::putValue(std::int64_t key, std::string_view name, std::string_view fold, RegistryType type,
                                 std::string_view data)
{
    // Replacing keeps the row, hence the name's case and the place in the enumeration.
    Query q = connection_->query("INSERT INTO vals(key, name, fold, type, data) VALUES (?, ?, ?, ?, ?) "
                                 "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    q.bind(key).bind(name).bind(fold).bind(std::int64_t{type}).bind(data);
    return connection_->failure(q.run());
}

Win32Error HiveBackend::removeValue(std::int64_t key, std::string_view fold)
{
    Query q = connection_->query("DELETE FROM vals WHERE key = ? AND fold = ?");
    if (const int rc = q.bind(key).bind(fold).run(); rc != SQLITE_OK)
        return connection_->failure(rc);
    return sqlite3_changes(connection_->db.get()) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

} // namespace quillbrook
