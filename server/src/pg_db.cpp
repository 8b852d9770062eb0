#include "pg_db.h"

#include <libpq-fe.h>
#include <poll.h>

#include <charconv>

namespace tessary::server {
namespace {

std::string errorOf(PGconn* conn) {
    std::string message = conn ? PQerrorMessage(conn) : "out of memory";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    return message;
}

bool succeeded(const PGresult* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

}  // namespace

PgParams& PgParams::add(int64_t value) {
    values_.push_back(std::to_string(value));
    formats_.push_back(0);
    return *this;
}

PgParams& PgParams::add(std::string_view text) {
    values_.emplace_back(text);
    formats_.push_back(0);
    return *this;
}

PgParams& PgParams::addBlob(std::span<const uint8_t> bytes) {
    values_.emplace_back(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    formats_.push_back(1);
    return *this;
}

void PgResult::Clear::operator()(pg_result* result) const { PQclear(result); }

int PgResult::rows() const { return PQntuples(result_.get()); }

int64_t PgResult::affected() const {
    const char* text = PQcmdTuples(result_.get());
    int64_t count = 0;
    std::from_chars(text, text + std::char_traits<char>::length(text), count);
    return count;
}

std::string PgResult::text(int row, int column) const {
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<size_t>(PQgetlength(result_.get(), row, column)));
}

int64_t PgResult::integer(int row, int column) const {
    const char* text = PQgetvalue(result_.get(), row, column);
    const int length = PQgetlength(result_.get(), row, column);
    if (text[0] == 't' || text[0] == 'f') return text[0] == 't';  // booleans
    int64_t value = 0;
    std::from_chars(text, text + length, value);
    return value;
}

std::vector<uint8_t> PgResult::blob(int row, int column) const {
    size_t size = 0;
    unsigned char* bytes =
        PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(result_.get(), row, column)), &size);
    if (!bytes) throw StorageError("bytea: out of memory");
    std::vector<uint8_t> out(bytes, bytes + size);
    PQfreemem(bytes);
    return out;
}

bool PgResult::isNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }

PgConnection::PgConnection(std::string connection, bool reconnects)
    : connection_(std::move(connection)), reconnects_(reconnects) {
    connect();
}

PgConnection::~PgConnection() { PQfinish(conn_); }

void PgConnection::connect() {
    PQfinish(conn_);
    prepared_.clear();
    conn_ = PQconnectdb(connection_.c_str());
    if (PQstatus(conn_) != CONNECTION_OK) {
        // A constructor that throws runs no destructor: the failed handle goes here.
        const std::string error = errorOf(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        throw StorageError("connect to PostgreSQL: " + error);
    }
    // Names and texts are Windows-1252 bytes, as the lobbies send them; a
    // UTF-8 database stores them converted, a SQL_ASCII one as they are.
    // Warnings and notices are not ours to print.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    PGresult* result = PQexec(conn_, "SET client_encoding = 'WIN1252'; SET client_min_messages = warning");
    const bool ok = succeeded(result);
    PQclear(result);
    if (!ok) {
        const std::string error = errorOf(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        throw StorageError("PostgreSQL session setup: " + error);
    }
}

bool PgConnection::broken() const { return PQstatus(conn_) != CONNECTION_OK; }

// A server that restarted closed this connection while it was idle (its
// last words, then the end of the stream, wait unread); reading them now
// marks it broken, so the statement goes to a fresh connection instead of
// failing half-way, which would leave unknown whether it ran.
void PgConnection::reconnectIfClosed() {
    if (inTransaction_) return;
    for (int reads = 0; reads < 8 && !broken(); ++reads) {
        pollfd fd{PQsocket(conn_), POLLIN, 0};
        if (fd.fd < 0 || poll(&fd, 1, 0) <= 0 || !PQconsumeInput(conn_)) break;
    }
    if (!broken()) return;
    if (!reconnects_) throw StorageError("PostgreSQL: the connection was closed");
    connect();
}

void PgConnection::exec(std::string_view sql) {
    const std::string text(sql);
    reconnectIfClosed();
    PgResult result(PQexec(conn_, text.c_str()));
    if (succeeded(result.raw())) return;
    if (lost(result) && !inTransaction_ && reconnects_) {
        connect();
        result = PgResult(PQexec(conn_, text.c_str()));
        if (succeeded(result.raw())) return;
    }
    throw StorageError("PostgreSQL: " + errorOf(conn_));
}

PgResult PgConnection::attempt(const std::string& sql, const PgParams& params) {
    auto found = prepared_.find(sql);
    if (found == prepared_.end()) {
        const std::string name = "s" + std::to_string(prepared_.size() + 1);
        PgResult prepared(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr));
        if (!succeeded(prepared.raw())) return prepared;
        found = prepared_.emplace(sql, name).first;
    }
    const size_t count = params.values_.size();
    std::vector<const char*> values(count);
    std::vector<int> lengths(count);
    for (size_t i = 0; i < count; ++i) {
        values[i] = params.values_[i].data();
        lengths[i] = static_cast<int>(params.values_[i].size());
    }
    return PgResult(PQexecPrepared(conn_, found->second.c_str(), static_cast<int>(count), values.data(),
                                   lengths.data(), params.formats_.data(), 0));
}

// The connection is gone, rather than the statement refused: the status
// says so, or the error came from libpq itself (no SQLSTATE), or the server
// reports a connection failure (class 08) or its own shutdown (57P0x).
bool PgConnection::lost(const PgResult& result) const {
    if (broken()) return true;
    const char* state = PQresultErrorField(result.raw(), PG_DIAG_SQLSTATE);
    if (!state) return true;
    const std::string_view code(state);
    return code.starts_with("08") || code.starts_with("57P");
}

PgResult PgConnection::run(const std::string& sql, const PgParams& params, Retry retry) {
    reconnectIfClosed();
    PgResult result = attempt(sql, params);
    if (succeeded(result.raw())) return result;
    // Outside a transaction, one more try on a fresh connection: the server
    // may have restarted. Inside one, the caller's work is lost and it hears so.
    if (lost(result) && !inTransaction_ && reconnects_ && retry == Retry::IfLost) {
        connect();
        result = attempt(sql, params);
        if (succeeded(result.raw())) return result;
    }
    const char* message = PQresultErrorMessage(result.raw());
    throw StorageError(std::string("PostgreSQL: ") + (message && *message ? message : errorOf(conn_).c_str()));
}

void PgConnection::begin() {
    exec("BEGIN");
    inTransaction_ = true;
}

void PgConnection::commit() {
    // Still inside the transaction while COMMIT runs: a COMMIT sent again on
    // a fresh connection would find no transaction and succeed, so a lost
    // transaction must be reported as lost.
    try {
        exec("COMMIT");
    } catch (const StorageError&) {
        inTransaction_ = false;
        throw;
    }
    inTransaction_ = false;
}

void PgConnection::rollback() noexcept {
    inTransaction_ = false;
    PGresult* result = PQexec(conn_, "ROLLBACK");
    PQclear(result);
}

}  // namespace tessary::server
