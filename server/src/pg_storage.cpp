#include "pg_db.h"
#include "server/storage.h"
#include "text_util.h"

namespace tessary::server {
namespace {

// Each step moves the schema from version i to i + 1; a step never changes
// once released, new needs get a new step. The tables mirror the SQLite
// ones so that one set of tests holds for both.
constexpr const char* kMigrations[] = {
    // 1: accounts, per-game data, presence, admissions, announced sessions.
    R"sql(
    CREATE TABLE accounts (
        name_key     TEXT PRIMARY KEY,
        name         TEXT NOT NULL,
        password     TEXT NOT NULL,
        field1004    TEXT NOT NULL,
        field1003    TEXT NOT NULL,
        country      TEXT NOT NULL,
        field1005    TEXT NOT NULL,
        description  TEXT NOT NULL,
        gender       INTEGER NOT NULL,
        photo_number INTEGER NOT NULL,
        photo        BYTEA
    );
    CREATE TABLE player_info (
        game     TEXT NOT NULL,
        name_key TEXT NOT NULL,
        info     BYTEA NOT NULL,
        PRIMARY KEY (game, name_key)
    );
    CREATE TABLE game_stats (
        name_key TEXT NOT NULL,
        game     TEXT NOT NULL,
        played   BIGINT NOT NULL DEFAULT 0,
        won      BIGINT NOT NULL DEFAULT 0,
        PRIMARY KEY (name_key, game)
    );
    CREATE TABLE presence (
        name_key TEXT PRIMARY KEY,
        name     TEXT NOT NULL,
        arena    TEXT NOT NULL,
        holder   TEXT NOT NULL
    );
    CREATE INDEX presence_arena ON presence (arena);
    CREATE TABLE admissions (
        arena      TEXT NOT NULL,
        name_key   TEXT NOT NULL,
        address    TEXT NOT NULL,
        expires_at BIGINT NOT NULL,
        PRIMARY KEY (arena, name_key)
    );
    CREATE TABLE game_sessions (
        key          TEXT PRIMARY KEY,
        seq          BIGSERIAL NOT NULL,
        game         TEXT NOT NULL,
        arena        TEXT NOT NULL,
        session      TEXT NOT NULL,
        expected     INTEGER NOT NULL,
        announced_at BIGINT NOT NULL
    );
    CREATE TABLE game_members (
        session_key TEXT NOT NULL REFERENCES game_sessions (key) ON DELETE CASCADE,
        position    INTEGER NOT NULL,
        name_key    TEXT NOT NULL,
        name        TEXT NOT NULL,
        address     TEXT NOT NULL,
        spectator   BOOLEAN NOT NULL,
        PRIMARY KEY (session_key, name_key)
    );
    CREATE INDEX game_members_name ON game_members (name_key);
    )sql",
    // 2: processes beat; presence belongs to the process that set it, so
    // that it goes when the process dies.
    R"sql(
    CREATE TABLE processes (
        id   TEXT PRIMARY KEY,
        beat TIMESTAMPTZ NOT NULL
    );
    ALTER TABLE presence ADD COLUMN process TEXT NOT NULL DEFAULT '';
    CREATE INDEX presence_process ON presence (process);
    )sql",
    // 3: roles, bans and mutes, the audit trail.
    R"sql(
    ALTER TABLE accounts ADD COLUMN role INTEGER NOT NULL DEFAULT 0;
    CREATE TABLE sanctions (
        kind       INTEGER NOT NULL,
        target_key TEXT NOT NULL,
        target     TEXT NOT NULL,
        reason     TEXT NOT NULL,
        imposed_by TEXT NOT NULL,
        since      BIGINT NOT NULL,
        until      BIGINT NOT NULL,
        PRIMARY KEY (kind, target_key)
    );
    CREATE TABLE audit (
        id   BIGSERIAL PRIMARY KEY,
        at   BIGINT NOT NULL,
        who  TEXT NOT NULL,
        what TEXT NOT NULL,
        whom TEXT NOT NULL,
        why  TEXT NOT NULL
    );
    )sql",
    // 4: the session's options reach the game server with its members.
    R"sql(
    ALTER TABLE game_sessions ADD COLUMN options TEXT NOT NULL DEFAULT '';
    )sql",
};

constexpr int kSchemaVersion = static_cast<int>(std::size(kMigrations));

// Announcements older than this are pruned when a new one arrives.
constexpr int64_t kAnnouncementLifetime = 2 * 24 * 3600;

// Serialises the migration of processes that start together.
constexpr int64_t kMigrationLock = 0x7e55a4f1;

class PostgresStorage final : public Storage {
public:
    PostgresStorage(const std::string& connection, std::string process)
        : db_(connection), process_(std::move(process)) {
        migrate();
        db_.run("INSERT INTO processes (id, beat) VALUES ($1, now()) ON CONFLICT (id) DO UPDATE SET beat = now()",
                PgParams().add(process_));
    }

    bool createAccount(const AccountProfile& p, std::string_view hash) override {
        PgParams params;
        params.add(foldName(p.name)).add(p.name).add(hash);
        addProfileFields(params, p);
        if (db_.run("INSERT INTO accounts (name_key, name, password, field1004, field1003, country, "
                    "field1005, description, gender, photo_number) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, "
                    "$9, $10) ON CONFLICT (name_key) DO NOTHING",
                    params)
                .affected() == 1)
            return true;
        // Run again after a lost connection, the insert finds its own row:
        // the salted hash tells it from another player's account.
        const PgResult row =
            db_.run("SELECT name, password FROM accounts WHERE name_key = $1", PgParams().add(foldName(p.name)));
        return row.rows() == 1 && row.text(0, 0) == p.name && row.text(0, 1) == hash;
    }

    std::optional<Account> findAccount(std::string_view name) override {
        const PgResult row = db_.run(
            "SELECT name, password, field1004, field1003, country, field1005, description, gender, "
            "photo_number, photo IS NOT NULL FROM accounts WHERE name_key = $1",
            PgParams().add(foldName(name)));
        if (row.rows() == 0) return std::nullopt;
        Account account;
        AccountProfile& p = account.profile;
        p.name = row.text(0, 0);
        account.passwordHash = row.text(0, 1);
        p.field1004 = row.text(0, 2);
        p.field1003 = row.text(0, 3);
        p.country = row.text(0, 4);
        p.field1005 = row.text(0, 5);
        p.description = row.text(0, 6);
        p.gender = static_cast<uint8_t>(row.integer(0, 7));
        p.photoNumber = static_cast<int32_t>(row.integer(0, 8));
        account.hasPhoto = row.integer(0, 9) != 0;
        return account;
    }

    bool updateAccount(std::string_view name, const AccountProfile& p, std::string_view hash) override {
        PgParams params;
        params.add(foldName(name)).add(hash);
        addProfileFields(params, p);
        return db_.run("UPDATE accounts SET password = $2, field1004 = $3, field1003 = $4, country = $5, "
                       "field1005 = $6, description = $7, gender = $8, photo_number = $9 WHERE name_key = $1",
                       params)
                   .affected() == 1;
    }

    bool storePhoto(std::string_view name, std::span<const uint8_t> picture) override {
        return db_.run("UPDATE accounts SET photo = $2, photo_number = 0 WHERE name_key = $1",
                       PgParams().add(foldName(name)).addBlob(picture))
                   .affected() == 1;
    }

    std::optional<Bytes> photo(std::string_view name) override {
        const PgResult row = db_.run("SELECT photo FROM accounts WHERE name_key = $1 AND photo IS NOT NULL",
                                     PgParams().add(foldName(name)));
        if (row.rows() == 0) return std::nullopt;
        return row.blob(0, 0);
    }

    std::optional<Bytes> playerInfo(std::string_view game, std::string_view name) override {
        const PgResult row = db_.run("SELECT info FROM player_info WHERE game = $1 AND name_key = $2",
                                     PgParams().add(game).add(foldName(name)));
        if (row.rows() == 0) return std::nullopt;
        return row.blob(0, 0);
    }

    void storePlayerInfo(std::string_view game, std::string_view name, std::span<const uint8_t> info) override {
        db_.run("INSERT INTO player_info (game, name_key, info) VALUES ($1, $2, $3) "
                "ON CONFLICT (game, name_key) DO UPDATE SET info = EXCLUDED.info",
                PgParams().add(game).add(foldName(name)).addBlob(info));
    }

    void deletePlayerInfo(std::string_view game, std::string_view name) override {
        db_.run("DELETE FROM player_info WHERE game = $1 AND name_key = $2", PgParams().add(game).add(foldName(name)));
    }

    void addGamePlayed(std::string_view game, std::string_view name) override {
        db_.run("INSERT INTO game_stats (name_key, game, played) VALUES ($1, $2, 1) "
                "ON CONFLICT (name_key, game) DO UPDATE SET played = game_stats.played + 1",
                PgParams().add(foldName(name)).add(game), PgConnection::Retry::Never);
    }

    void addGameWon(std::string_view game, std::string_view name) override {
        db_.run("INSERT INTO game_stats (name_key, game, won) VALUES ($1, $2, 1) "
                "ON CONFLICT (name_key, game) DO UPDATE SET won = game_stats.won + 1",
                PgParams().add(foldName(name)).add(game), PgConnection::Retry::Never);
    }

    std::vector<GameStat> gameStats(std::string_view name) override {
        const PgResult rows = db_.run("SELECT game, played, won FROM game_stats WHERE name_key = $1 ORDER BY game",
                                      PgParams().add(foldName(name)));
        std::vector<GameStat> stats;
        for (int i = 0; i < rows.rows(); ++i) stats.push_back({rows.text(i, 0), rows.integer(i, 1), rows.integer(i, 2)});
        return stats;
    }

    void setPresence(std::string_view name, std::string_view arena, std::string_view holder) override {
        db_.run("INSERT INTO presence (name_key, name, arena, holder, process) VALUES ($1, $2, $3, $4, $5) "
                "ON CONFLICT (name_key) DO UPDATE SET name = EXCLUDED.name, arena = EXCLUDED.arena, "
                "holder = EXCLUDED.holder, process = EXCLUDED.process",
                PgParams().add(foldName(name)).add(name).add(arena).add(holder).add(process_));
    }

    void clearPresence(std::string_view name, std::string_view holder) override {
        db_.run("DELETE FROM presence WHERE name_key = $1 AND holder = $2", PgParams().add(foldName(name)).add(holder));
    }

    void clearPresenceHeldBy(std::string_view holderPrefix) override {
        db_.run("DELETE FROM presence WHERE left(holder, length($1)) = $1", PgParams().add(holderPrefix));
    }

    std::optional<PresenceInfo> findPresence(std::string_view name) override {
        const PgResult row =
            db_.run("SELECT name, arena FROM presence WHERE name_key = $1", PgParams().add(foldName(name)));
        if (row.rows() == 0) return std::nullopt;
        return PresenceInfo{row.text(0, 0), row.text(0, 1)};
    }

    int countPresence(std::string_view arena) override {
        const PgResult row = db_.run("SELECT count(*) FROM presence WHERE arena = $1", PgParams().add(arena));
        return static_cast<int>(row.integer(0, 0));
    }

    void grantAdmission(std::string_view arena, std::string_view name, std::string_view address,
                        int64_t expiresAt) override {
        db_.run("INSERT INTO admissions (arena, name_key, address, expires_at) VALUES ($1, $2, $3, $4) "
                "ON CONFLICT (arena, name_key) DO UPDATE SET address = EXCLUDED.address, "
                "expires_at = EXCLUDED.expires_at",
                PgParams().add(arena).add(foldName(name)).add(address).add(expiresAt));
    }

    bool takeAdmission(std::string_view arena, std::string_view name, std::string_view address,
                       int64_t now) override {
        // One statement takes it, so two Arenas racing for it cannot both win.
        const bool taken = db_.run("DELETE FROM admissions WHERE arena = $1 AND name_key = $2 AND address = $3 "
                                   "AND expires_at >= $4",
                                   PgParams().add(arena).add(foldName(name)).add(address).add(now),
                                   PgConnection::Retry::Never)
                               .affected() == 1;
        db_.run("DELETE FROM admissions WHERE expires_at < $1", PgParams().add(now));
        return taken;
    }

    void announceGameSession(const GameSessionAnnouncement& s) override {
        PgTransaction transaction(db_);
        db_.run("DELETE FROM game_sessions WHERE announced_at < $1",
                PgParams().add(s.announcedAt - kAnnouncementLifetime));
        db_.run("DELETE FROM game_sessions WHERE key = $1", PgParams().add(s.key));
        db_.run("INSERT INTO game_sessions (key, game, arena, session, expected, announced_at, options) "
                "VALUES ($1, $2, $3, $4, $5, $6, $7)",
                PgParams().add(s.key).add(s.game).add(s.arena).add(s.session).add(int64_t{s.expectedPlayers}).add(
                    s.announcedAt).add(s.options));
        int64_t position = 0;
        for (const GameMember& m : s.members) {
            db_.run("INSERT INTO game_members (session_key, position, name_key, name, address, spectator) "
                    "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (session_key, name_key) DO UPDATE SET "
                    "position = EXCLUDED.position, name = EXCLUDED.name, address = EXCLUDED.address, "
                    "spectator = EXCLUDED.spectator",
                    PgParams().add(s.key).add(position++).add(foldName(m.name)).add(m.name).add(m.address).add(
                        std::string_view(m.spectator ? "true" : "false")));
        }
        transaction.commit();
    }

    std::optional<GameSessionAnnouncement> findGameSessionOf(std::string_view name, int64_t notBefore) override {
        const PgResult row = db_.run(
            "SELECT s.key, s.game, s.arena, s.session, s.expected, s.announced_at, s.options FROM game_sessions s "
            "JOIN game_members m ON m.session_key = s.key WHERE m.name_key = $1 AND s.announced_at >= $2 "
            "ORDER BY s.announced_at DESC, s.seq DESC LIMIT 1",
            PgParams().add(foldName(name)).add(notBefore));
        if (row.rows() == 0) return std::nullopt;
        GameSessionAnnouncement s;
        s.key = row.text(0, 0);
        s.game = row.text(0, 1);
        s.arena = row.text(0, 2);
        s.session = row.text(0, 3);
        s.expectedPlayers = static_cast<int>(row.integer(0, 4));
        s.announcedAt = row.integer(0, 5);
        s.options = row.text(0, 6);
        const PgResult members = db_.run(
            "SELECT name, address, spectator FROM game_members WHERE session_key = $1 ORDER BY position",
            PgParams().add(s.key));
        for (int i = 0; i < members.rows(); ++i)
            s.members.push_back({members.text(i, 0), members.text(i, 1), members.integer(i, 2) != 0});
        return s;
    }

    bool setRole(std::string_view name, Role role) override {
        return db_.run("UPDATE accounts SET role = $2 WHERE name_key = $1",
                       PgParams().add(foldName(name)).add(int64_t(role)))
                   .affected() == 1;
    }

    Role role(std::string_view name) override {
        const PgResult row = db_.run("SELECT role FROM accounts WHERE name_key = $1", PgParams().add(foldName(name)));
        if (row.rows() == 0) return Role::Player;
        const int64_t value = row.integer(0, 0);
        return value == 1 ? Role::Moderator : value == 2 ? Role::Administrator : Role::Player;
    }

    void addSanction(const Sanction& s) override {
        db_.run("INSERT INTO sanctions (kind, target_key, target, reason, imposed_by, since, until) "
                "VALUES ($1, $2, $3, $4, $5, $6, $7) ON CONFLICT (kind, target_key) DO UPDATE SET "
                "target = EXCLUDED.target, reason = EXCLUDED.reason, imposed_by = EXCLUDED.imposed_by, "
                "since = EXCLUDED.since, until = EXCLUDED.until",
                PgParams()
                    .add(int64_t(s.kind))
                    .add(foldName(s.target))
                    .add(s.target)
                    .add(s.reason)
                    .add(s.by)
                    .add(s.since)
                    .add(s.until));
    }

    bool liftSanction(SanctionKind kind, std::string_view target, int64_t now) override {
        // One statement: whether it was in force is read from the rows it removed.
        const PgResult removed = db_.run(
            "DELETE FROM sanctions WHERE kind = $1 AND target_key = $2 RETURNING (until = 0 OR until > $3)",
            PgParams().add(int64_t(kind)).add(foldName(target)).add(now), PgConnection::Retry::Never);
        return removed.rows() > 0 && removed.integer(0, 0) != 0;
    }

    std::optional<Sanction> findSanction(SanctionKind kind, std::string_view target, int64_t now) override {
        const PgResult rows = db_.run(
            "SELECT kind, target, reason, imposed_by, since, until FROM sanctions "
            "WHERE kind = $1 AND target_key = $2 AND (until = 0 OR until > $3)",
            PgParams().add(int64_t(kind)).add(foldName(target)).add(now));
        if (rows.rows() == 0) return std::nullopt;
        return sanctionOf(rows, 0);
    }

    std::vector<Sanction> sanctions(int64_t now) override {
        db_.run("DELETE FROM sanctions WHERE until <> 0 AND until <= $1", PgParams().add(now));
        const PgResult rows =
            db_.run("SELECT kind, target, reason, imposed_by, since, until FROM sanctions ORDER BY kind, target_key");
        std::vector<Sanction> found;
        for (int i = 0; i < rows.rows(); ++i) found.push_back(sanctionOf(rows, i));
        return found;
    }

    void addAudit(const AuditEntry& e) override {
        db_.run("INSERT INTO audit (at, who, what, whom, why) VALUES ($1, $2, $3, $4, $5)",
                PgParams().add(e.at).add(e.who).add(e.what).add(e.whom).add(e.why), PgConnection::Retry::Never);
    }

    std::vector<AuditEntry> auditTrail(int limit) override {
        const PgResult rows = db_.run(
            "SELECT at, who, what, whom, why FROM (SELECT * FROM audit ORDER BY id DESC LIMIT $1) AS newest ORDER BY id",
            PgParams().add(int64_t(limit)));
        std::vector<AuditEntry> entries;
        for (int i = 0; i < rows.rows(); ++i)
            entries.push_back({rows.integer(i, 0), rows.text(i, 1), rows.text(i, 2), rows.text(i, 3), rows.text(i, 4)});
        return entries;
    }

private:
    static Sanction sanctionOf(const PgResult& rows, int row) {
        return Sanction{SanctionKind(rows.integer(row, 0)), rows.text(row, 1), rows.text(row, 2), rows.text(row, 3),
                        rows.integer(row, 4), rows.integer(row, 5)};
    }

    void migrate() {
        PgTransaction transaction(db_);
        db_.run("SELECT pg_advisory_xact_lock($1)", PgParams().add(kMigrationLock));
        db_.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        const PgResult row = db_.run("SELECT coalesce(max(version), 0) FROM schema_version");
        const int current = static_cast<int>(row.integer(0, 0));
        if (current > kSchemaVersion)
            throw StorageError("the database has schema version " + std::to_string(current) +
                               ", newer than this tessaryd (" + std::to_string(kSchemaVersion) + ")");
        for (int version = current; version < kSchemaVersion; ++version) db_.exec(kMigrations[version]);
        if (current < kSchemaVersion) {
            db_.exec("DELETE FROM schema_version");
            db_.run("INSERT INTO schema_version (version) VALUES ($1)", PgParams().add(int64_t{kSchemaVersion}));
        }
        transaction.commit();
    }

    static void addProfileFields(PgParams& params, const AccountProfile& p) {
        params.add(p.field1004)
            .add(p.field1003)
            .add(p.country)
            .add(p.field1005)
            .add(p.description)
            .add(int64_t{p.gender})
            .add(int64_t{p.photoNumber});
    }

    PgConnection db_;
    const std::string process_;
};

}  // namespace

std::unique_ptr<Storage> openPostgresStorage(const std::string& connection, const std::string& process) {
    return std::make_unique<PostgresStorage>(connection, process);
}

int postgresSchemaVersion() { return kSchemaVersion; }

}  // namespace tessary::server
