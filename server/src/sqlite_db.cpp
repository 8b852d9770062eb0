#include "sqlite_db.h"

#include <sqlite3.h>

namespace tessary::server {
namespace {
[[noreturn]] void raise(sqlite3* db, std::string_view what) {
    throw StorageError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}
}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK)
        raise(db, "prepare");
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement& SqliteStatement::bind(int index, int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) raise(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        raise(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::span<const uint8_t> bytes) {
    // A zero-length blob still has to be a blob, not NULL.
    static const uint8_t kNothing = 0;
    const void* data = bytes.empty() ? &kNothing : bytes.data();
    if (sqlite3_bind_blob(statement_, index, data, static_cast<int>(bytes.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        raise(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) raise(db_, "bind");
    return *this;
}

bool SqliteStatement::step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    raise(db_, "step");
}

void SqliteStatement::run() {
    while (step()) {
    }
}

void SqliteStatement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int64_t SqliteStatement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::string SqliteStatement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return data ? std::string(data, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

std::vector<uint8_t> SqliteStatement::blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

bool SqliteStatement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

SqliteDatabase::SqliteDatabase(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = "open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw StorageError(message);
    }
    sqlite3_busy_timeout(db_, 5000);
    exec("PRAGMA foreign_keys = ON");
    if (path != ":memory:") exec("PRAGMA journal_mode = WAL");
    exec("PRAGMA synchronous = NORMAL");
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(db_); }

void SqliteDatabase::exec(std::string_view sql) {
    char* error = nullptr;
    const std::string statement(sql);
    if (sqlite3_exec(db_, statement.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw StorageError("exec: " + message);
    }
}

int64_t SqliteDatabase::changes() const { return sqlite3_changes(db_); }

int SqliteDatabase::userVersion() {
    SqliteStatement query(db_, "PRAGMA user_version");
    return query.step() ? static_cast<int>(query.integer(0)) : 0;
}

void SqliteDatabase::setUserVersion(int version) { exec("PRAGMA user_version = " + std::to_string(version)); }

}  // namespace tessary::server
