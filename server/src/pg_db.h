// A small RAII wrapper over libpq: one connection, statements prepared once
// per connection and run with bound parameters, transactions. Failures throw
// StorageError; nothing here knows the schema.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server/storage.h"

struct pg_conn;
struct pg_result;

namespace tessary::server {

// Parameters for one run, numbered $1, $2 ... in the order they are added.
class PgParams {
public:
    PgParams& add(int64_t value);
    PgParams& add(std::string_view text);
    PgParams& addBlob(std::span<const uint8_t> bytes);

private:
    friend class PgConnection;
    std::vector<std::string> values_;
    std::vector<int> formats_;  // 0 text, 1 binary
};

class PgResult {
public:
    explicit PgResult(pg_result* result) : result_(result) {}
    int rows() const;
    // Rows touched by INSERT, UPDATE or DELETE.
    int64_t affected() const;
    std::string text(int row, int column) const;
    int64_t integer(int row, int column) const;
    std::vector<uint8_t> blob(int row, int column) const;  // bytea
    bool isNull(int row, int column) const;
    const pg_result* raw() const { return result_.get(); }

private:
    struct Clear {
        void operator()(pg_result* result) const;
    };
    std::unique_ptr<pg_result, Clear> result_;
};

class PgConnection {
public:
    // `reconnects`: a broken connection is replaced by itself; without it
    // every statement throws until the owner makes a new one (a connection
    // that LISTENs must not lose its LISTEN behind its owner's back).
    explicit PgConnection(std::string connection, bool reconnects = true);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Whether a statement may run again when its connection broke while it
    // ran: the server may have run it before the break, so only statements
    // whose second run changes nothing are retried.
    enum class Retry { IfLost, Never };

    // Runs SQL without parameters (may hold several statements).
    void exec(std::string_view sql);
    // Prepares `sql` on first use on this connection, then runs it. A
    // connection the server closed since its last use (a restart) is
    // replaced before anything is sent. Outside a transaction, a statement
    // marked IfLost that fails because the connection broke is run once more
    // on a fresh connection; one marked Never throws.
    PgResult run(const std::string& sql, const PgParams& params = {}, Retry retry = Retry::IfLost);

    // For LISTEN: the caller waits on the socket itself.
    pg_conn* native() const { return conn_; }

    void begin();
    void commit();
    void rollback() noexcept;

private:
    void connect();
    void reconnectIfClosed();
    bool broken() const;
    PgResult attempt(const std::string& sql, const PgParams& params);
    bool lost(const PgResult& result) const;

    std::string connection_;
    bool reconnects_;
    pg_conn* conn_ = nullptr;
    std::unordered_map<std::string, std::string> prepared_;  // SQL -> statement name
    bool inTransaction_ = false;
};

// Commits on commit(), rolls back when destroyed without it.
class PgTransaction {
public:
    explicit PgTransaction(PgConnection& db) : db_(db) { db_.begin(); }
    ~PgTransaction() {
        if (!done_) db_.rollback();
    }
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;
    void commit() {
        db_.commit();
        done_ = true;
    }

private:
    PgConnection& db_;
    bool done_ = false;
};

}  // namespace tessary::server
