// The hive's storage, private to the platform room: one connection to a hive file, its
// transactions and its rows. A key is a row with an id, its parent's id and its name; a value a
// row of its key with a name, a type and data. Every name is kept as given and as its fold, the
// form that lookups compare and that subkeys are ordered by; RegistryKey makes the folds.
//
// Operations on rows run only inside read or write; the lock keeps transactions of two threads
// from interleaving on the connection.
#pragma once

#include "platform/hive.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// The ids of the roots' rows.
inline constexpr std::int64_t kCurrentUserKeyId = 1;
inline constexpr std::int64_t kClassesRootKeyId = 2;

struct KeyRow {
    std::int64_t id = 0;
    std::string name; // as stored
};

class HiveBackend {
public:
    // Opens the hive file, creating it and its folder when missing. A file that is not a hive
    // gives ERROR_BADDB and is left untouched.
    static Win32Result<std::shared_ptr<HiveBackend>> open(const HiveLocation& location);

    ~HiveBackend();
    HiveBackend(const HiveBackend&) = delete;
    HiveBackend& operator=(const HiveBackend&) = delete;

    // Runs `body` as one transaction under the lock, once the key `key` is known to exist
    // (ERROR_KEY_DELETED otherwise): committed when it succeeds, rolled back when it fails. A change
    // takes the write lock at its start: a read transaction that turns into a write does not wait
    // for another writer, it fails at once. Inside a transaction begun by beginTransaction, `body`
    // is a part of it that is undone alone when it fails.
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

    // A transaction that spans operations, for HiveTransaction: it holds the lock from its
    // beginning to its end, and must end on the thread that began it. One begun inside another
    // is a part of it. ERROR_KEY_DELETED when the key `key` is gone.
    [[nodiscard]] Win32Error beginTransaction(std::int64_t key);
    // Ends the transaction begun last; a commit that fails rolls it back.
    [[nodiscard]] Win32Error commitTransaction();
    void rollBackTransaction();

    // The subkey of `parent` whose name folds to `fold`; ERROR_FILE_NOT_FOUND when there is none.
    Win32Result<KeyRow> childKey(std::int64_t parent, std::string_view fold);
    // Adds a subkey; its id is never used again, even once it is deleted.
    Win32Result<KeyRow> addKey(std::int64_t parent, std::string_view name, std::string_view fold);
    // The name of the subkey at `index` in the order of the folds; ERROR_NO_MORE_ITEMS past the end.
    Win32Result<std::string> childNameAt(std::int64_t parent, std::uint32_t index);
    Win32Result<std::vector<std::string>> childNames(std::int64_t parent);
    // Deletes `top` and everything below it, or only what is below it when `keepTop`.
    [[nodiscard]] Win32Error removeTree(std::int64_t top, bool keepTop);

    // The value at `index` in the order values were first added; ERROR_NO_MORE_ITEMS past the end.
    Win32Result<RegistryValue> valueAt(std::int64_t key, std::uint32_t index);
    // ERROR_FILE_NOT_FOUND when the key has no value of that fold.
    Win32Result<RegistryValue> value(std::int64_t key, std::string_view fold);
    // Adds the value, or replaces the type and data of the one with that fold, which keeps its
    // name and its place.
    [[nodiscard]] Win32Error putValue(std::int64_t key, std::string_view name, std::string_view fold, RegistryType type,
                                      std::string_view data);
    // ERROR_FILE_NOT_FOUND when the key has no value of that fold.
    [[nodiscard]] Win32Error removeValue(std::int64_t key, std::string_view fold);

    // The database connection, known only to the backend's source; hence made only by open.
    struct Connection;
    explicit HiveBackend(std::unique_ptr<Connection> connection);

private:
    // `key` 0 checks no key.
    template <class Body>
    auto transact(bool write, std::int64_t key, Body& body) -> decltype(body())
    {
        using Result = decltype(body());
        std::lock_guard lock(mutex_);
        if (const Win32Error error = beginLevel(write); error != ERROR_SUCCESS)
            return Result(error);
        const Win32Error missing = key == 0 ? ERROR_SUCCESS : requireKey(key);
        Result result = missing == ERROR_SUCCESS ? body() : Result(missing);
        if (const Win32Error error = errorOf(result); error != ERROR_SUCCESS) {
            rollBackLevel(error);
            return result;
        }
        if (const Win32Error error = commitLevel(); error != ERROR_SUCCESS)
            return Result(error);
        return result;
    }

    [[nodiscard]] static Win32Error errorOf(Win32Error error) { return error; }
    template <class T>
    [[nodiscard]] static Win32Error errorOf(const Win32Result<T>& result)
    {
        return result.error();
    }

    [[nodiscard]] Win32Error prepare();
    // A level is a transaction, or a savepoint inside the transaction that is open.
    [[nodiscard]] Win32Error beginLevel(bool write);
    // Ends the level begun last; a commit that fails rolls it back.
    [[nodiscard]] Win32Error commitLevel();
    // `cause` is the failure that makes the level roll back.
    void rollBackLevel(Win32Error cause);
    void undoPart(Win32Error cause);
    [[nodiscard]] Win32Error requireKey(std::int64_t id);

    std::recursive_mutex mutex_;
    std::unique_ptr<Connection> connection_;
};

} // namespace quillbrook
