// A small RAII wrapper over the SQLite C API: one database connection,
// prepared statements with bound parameters, transactions. Failures throw
// StorageError; nothing here knows the schema.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tessary::server {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters are numbered from 1, as in SQL.
    SqliteStatement& bind(int index, int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bindBlob(int index, std::span<const uint8_t> bytes);
    SqliteStatement& bindNull(int index);

    // Advances to the next row; false when there is none.
    [[nodiscard]] bool step();
    // Runs a statement that returns no row.
    void run();
    // Clears the bindings and rewinds for another run.
    void reset();

    // Columns are numbered from 0.
    int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<uint8_t> blob(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class SqliteDatabase {
public:
    // Opens (creating when missing) the file; ":memory:" gives a private
    // in-memory database. Turns on WAL, foreign keys and a busy time-out so
    // that several roles can share one file.
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    void exec(std::string_view sql);
    SqliteStatement prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
    int64_t changes() const;

    int userVersion();
    void setUserVersion(int version);

private:
    sqlite3* db_ = nullptr;
};

// Commits on commit(), rolls back when destroyed without it.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }
    ~SqliteTransaction() {
        if (!done_) {
            try {
                db_.exec("ROLLBACK");
            } catch (const StorageError&) {
            }
        }
    }
    void commit() {
        db_.exec("COMMIT");
        done_ = true;
    }

private:
    SqliteDatabase& db_;
    bool done_ = false;
};

}  // namespace tessary::server
