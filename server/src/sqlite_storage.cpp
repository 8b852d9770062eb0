#include <filesystem>

#include "server/storage.h"
#include "sqlite_db.h"
#include "text_util.h"

namespace tessary::server {
namespace {

// Each step moves the schema from version i to i + 1; a step never changes
// once released, new needs get a new step.
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
        photo        BLOB
    );
    CREATE TABLE player_info (
        game     TEXT NOT NULL,
        name_key TEXT NOT NULL,
        info     BLOB NOT NULL,
        PRIMARY KEY (game, name_key)
    );
    CREATE TABLE game_stats (
        name_key TEXT NOT NULL,
        game     TEXT NOT NULL,
        played   INTEGER NOT NULL DEFAULT 0,
        won      INTEGER NOT NULL DEFAULT 0,
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
        expires_at INTEGER NOT NULL,
        PRIMARY KEY (arena, name_key)
    );
    CREATE TABLE game_sessions (
        key          TEXT PRIMARY KEY,
        game         TEXT NOT NULL,
        arena        TEXT NOT NULL,
        session      TEXT NOT NULL,
        expected     INTEGER NOT NULL,
        announced_at INTEGER NOT NULL
    );
    CREATE TABLE game_members (
        session_key TEXT NOT NULL REFERENCES game_sessions (key) ON DELETE CASCADE,
        position    INTEGER NOT NULL,
        name_key    TEXT NOT NULL,
        name        TEXT NOT NULL,
        address     TEXT NOT NULL,
        spectator   INTEGER NOT NULL,
        PRIMARY KEY (session_key, name_key)
    );
    CREATE INDEX game_members_name ON game_members (name_key);
    )sql",
    // 2: roles, bans and mutes, the audit trail.
    R"sql(
    ALTER TABLE accounts ADD COLUMN role INTEGER NOT NULL DEFAULT 0;
    CREATE TABLE sanctions (
        kind       INTEGER NOT NULL,
        target_key TEXT NOT NULL,
        target     TEXT NOT NULL,
        reason     TEXT NOT NULL,
        imposed_by TEXT NOT NULL,
        since      INTEGER NOT NULL,
        until      INTEGER NOT NULL,
        PRIMARY KEY (kind, target_key)
    );
    CREATE TABLE audit (
        id   INTEGER PRIMARY KEY AUTOINCREMENT,
        at   INTEGER NOT NULL,
        who  TEXT NOT NULL,
        what TEXT NOT NULL,
        whom TEXT NOT NULL,
        why  TEXT NOT NULL
    );
    )sql",
    // 3: the session's options reach the game server with its members.
    R"sql(
    ALTER TABLE game_sessions ADD COLUMN options TEXT NOT NULL DEFAULT '';
    )sql",
};

constexpr int kSchemaVersion = static_cast<int>(std::size(kMigrations));

// Announcements older than this are pruned when a new one arrives.
constexpr int64_t kAnnouncementLifetime = 2 * 24 * 3600;

class SqliteStorage final : public Storage {
public:
    explicit SqliteStorage(const std::string& path) : db_(path) { migrate(); }

    bool createAccount(const AccountProfile& p, std::string_view hash) override {
        auto insert = db_.prepare(
            "INSERT OR IGNORE INTO accounts (name_key, name, password, field1004, field1003, country, "
            "field1005, description, gender, photo_number) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        insert.bind(1, foldName(p.name)).bind(2, p.name).bind(3, hash);
        bindProfileFields(insert, p, 4);
        insert.run();
        return db_.changes() == 1;
    }

    std::optional<Account> findAccount(std::string_view name) override {
        auto query = db_.prepare(
            "SELECT name, password, field1004, field1003, country, field1005, description, gender, "
            "photo_number, photo IS NOT NULL FROM accounts WHERE name_key = ?1");
        query.bind(1, foldName(name));
        if (!query.step()) return std::nullopt;
        Account account;
        AccountProfile& p = account.profile;
        p.name = query.text(0);
        account.passwordHash = query.text(1);
        p.field1004 = query.text(2);
        p.field1003 = query.text(3);
        p.country = query.text(4);
        p.field1005 = query.text(5);
        p.description = query.text(6);
        p.gender = static_cast<uint8_t>(query.integer(7));
        p.photoNumber = static_cast<int32_t>(query.integer(8));
        account.hasPhoto = query.integer(9) != 0;
        return account;
    }

    bool updateAccount(std::string_view name, const AccountProfile& p, std::string_view hash) override {
        auto update = db_.prepare(
            "UPDATE accounts SET field1004 = ?4, field1003 = ?5, country = ?6, field1005 = ?7, "
            "description = ?8, gender = ?9, photo_number = ?10, password = ?3 WHERE name_key = ?1");
        update.bind(1, foldName(name)).bind(3, hash);
        bindProfileFields(update, p, 4);
        update.run();
        return db_.changes() == 1;
    }

    bool storePhoto(std::string_view name, std::span<const uint8_t> picture) override {
        auto update = db_.prepare("UPDATE accounts SET photo = ?2, photo_number = 0 WHERE name_key = ?1");
        update.bind(1, foldName(name)).bindBlob(2, picture).run();
        return db_.changes() == 1;
    }

    std::optional<Bytes> photo(std::string_view name) override {
        auto query = db_.prepare("SELECT photo FROM accounts WHERE name_key = ?1 AND photo IS NOT NULL");
        query.bind(1, foldName(name));
        if (!query.step()) return std::nullopt;
        return query.blob(0);
    }

    std::optional<Bytes> playerInfo(std::string_view game, std::string_view name) override {
        auto query = db_.prepare("SELECT info FROM player_info WHERE game = ?1 AND name_key = ?2");
        query.bind(1, game).bind(2, foldName(name));
        if (!query.step()) return std::nullopt;
        return query.blob(0);
    }

    void storePlayerInfo(std::string_view game, std::string_view name, std::span<const uint8_t> info) override {
        db_.prepare("INSERT OR REPLACE INTO player_info (game, name_key, info) VALUES (?1, ?2, ?3)")
            .bind(1, game)
            .bind(2, foldName(name))
            .bindBlob(3, info)
            .run();
    }

    void deletePlayerInfo(std::string_view game, std::string_view name) override {
        db_.prepare("DELETE FROM player_info WHERE game = ?1 AND name_key = ?2").bind(1, game).bind(2, foldName(name)).run();
    }

    void addGamePlayed(std::string_view game, std::string_view name) override { addStat(game, name, "played"); }
    void addGameWon(std::string_view game, std::string_view name) override { addStat(game, name, "won"); }

    std::vector<GameStat> gameStats(std::string_view name) override {
        auto query = db_.prepare("SELECT game, played, won FROM game_stats WHERE name_key = ?1 ORDER BY game");
        query.bind(1, foldName(name));
        std::vector<GameStat> stats;
        while (query.step()) stats.push_back({query.text(0), query.integer(1), query.integer(2)});
        return stats;
    }

    void setPresence(std::string_view name, std::string_view arena, std::string_view holder) override {
        db_.prepare("INSERT OR REPLACE INTO presence (name_key, name, arena, holder) VALUES (?1, ?2, ?3, ?4)")
            .bind(1, foldName(name))
            .bind(2, name)
            .bind(3, arena)
            .bind(4, holder)
            .run();
    }

    void clearPresence(std::string_view name, std::string_view holder) override {
        db_.prepare("DELETE FROM presence WHERE name_key = ?1 AND holder = ?2").bind(1, foldName(name)).bind(2, holder).run();
    }

    void clearPresenceHeldBy(std::string_view holderPrefix) override {
        db_.prepare("DELETE FROM presence WHERE substr(holder, 1, length(?1)) = ?1").bind(1, holderPrefix).run();
    }

    std::optional<PresenceInfo> findPresence(std::string_view name) override {
        auto query = db_.prepare("SELECT name, arena FROM presence WHERE name_key = ?1");
        query.bind(1, foldName(name));
        if (!query.step()) return std::nullopt;
        return PresenceInfo{query.text(0), query.text(1)};
    }

    int countPresence(std::string_view arena) override {
        auto query = db_.prepare("SELECT count(*) FROM presence WHERE arena = ?1");
        query.bind(1, arena);
        return query.step() ? static_cast<int>(query.integer(0)) : 0;
    }

    void grantAdmission(std::string_view arena, std::string_view name, std::string_view address,
                        int64_t expiresAt) override {
        db_.prepare("INSERT OR REPLACE INTO admissions (arena, name_key, address, expires_at) VALUES (?1, ?2, ?3, ?4)")
            .bind(1, arena)
            .bind(2, foldName(name))
            .bind(3, address)
            .bind(4, expiresAt)
            .run();
    }

    bool takeAdmission(std::string_view arena, std::string_view name, std::string_view address,
                       int64_t now) override {
        SqliteTransaction transaction(db_);
        db_.prepare("DELETE FROM admissions WHERE expires_at < ?1").bind(1, now).run();
        db_.prepare("DELETE FROM admissions WHERE arena = ?1 AND name_key = ?2 AND address = ?3")
            .bind(1, arena)
            .bind(2, foldName(name))
            .bind(3, address)
            .run();
        const bool taken = db_.changes() == 1;
        transaction.commit();
        return taken;
    }

    void announceGameSession(const GameSessionAnnouncement& s) override {
        SqliteTransaction transaction(db_);
        db_.prepare("DELETE FROM game_sessions WHERE announced_at < ?1")
            .bind(1, s.announcedAt - kAnnouncementLifetime)
            .run();
        db_.prepare("DELETE FROM game_sessions WHERE key = ?1").bind(1, s.key).run();
        db_.prepare(
               "INSERT INTO game_sessions (key, game, arena, session, expected, announced_at, options) "
               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
            .bind(1, s.key)
            .bind(2, s.game)
            .bind(3, s.arena)
            .bind(4, s.session)
            .bind(5, s.expectedPlayers)
            .bind(6, s.announcedAt)
            .bind(7, s.options)
            .run();
        auto insert = db_.prepare(
            "INSERT OR REPLACE INTO game_members (session_key, position, name_key, name, address, spectator) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        int position = 0;
        for (const GameMember& m : s.members) {
            insert.bind(1, s.key).bind(2, position++).bind(3, foldName(m.name)).bind(4, m.name);
            insert.bind(5, m.address).bind(6, m.spectator ? 1 : 0).run();
            insert.reset();
        }
        transaction.commit();
    }

    std::optional<GameSessionAnnouncement> findGameSessionOf(std::string_view name, int64_t notBefore) override {
        auto query = db_.prepare(
            "SELECT s.key, s.game, s.arena, s.session, s.expected, s.announced_at, s.options FROM game_sessions s "
            "JOIN game_members m ON m.session_key = s.key WHERE m.name_key = ?1 AND s.announced_at >= ?2 "
            "ORDER BY s.announced_at DESC, s.rowid DESC LIMIT 1");
        query.bind(1, foldName(name)).bind(2, notBefore);
        if (!query.step()) return std::nullopt;
        GameSessionAnnouncement s;
        s.key = query.text(0);
        s.game = query.text(1);
        s.arena = query.text(2);
        s.session = query.text(3);
        s.expectedPlayers = static_cast<int>(query.integer(4));
        s.announcedAt = query.integer(5);
        s.options = query.text(6);
        auto members = db_.prepare(
            "SELECT name, address, spectator FROM game_members WHERE session_key = ?1 ORDER BY position");
        members.bind(1, s.key);
        while (members.step()) s.members.push_back({members.text(0), members.text(1), members.integer(2) != 0});
        return s;
    }

    bool setRole(std::string_view name, Role role) override {
        db_.prepare("UPDATE accounts SET role = ?2 WHERE name_key = ?1")
            .bind(1, foldName(name))
            .bind(2, int64_t(role))
            .run();
        return db_.changes() == 1;
    }

    Role role(std::string_view name) override {
        auto query = db_.prepare("SELECT role FROM accounts WHERE name_key = ?1");
        query.bind(1, foldName(name));
        if (!query.step()) return Role::Player;
        const int64_t value = query.integer(0);
        return value == 1 ? Role::Moderator : value == 2 ? Role::Administrator : Role::Player;
    }

    void addSanction(const Sanction& s) override {
        db_.prepare(
               "INSERT OR REPLACE INTO sanctions (kind, target_key, target, reason, imposed_by, since, until) "
               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
            .bind(1, int64_t(s.kind))
            .bind(2, foldName(s.target))
            .bind(3, s.target)
            .bind(4, s.reason)
            .bind(5, s.by)
            .bind(6, s.since)
            .bind(7, s.until)
            .run();
    }

    bool liftSanction(SanctionKind kind, std::string_view target, int64_t now) override {
        const bool inForce = findSanction(kind, target, now).has_value();
        db_.prepare("DELETE FROM sanctions WHERE kind = ?1 AND target_key = ?2")
            .bind(1, int64_t(kind))
            .bind(2, foldName(target))
            .run();
        return inForce;
    }

    std::optional<Sanction> findSanction(SanctionKind kind, std::string_view target, int64_t now) override {
        auto query = db_.prepare(
            "SELECT kind, target, reason, imposed_by, since, until FROM sanctions "
            "WHERE kind = ?1 AND target_key = ?2 AND (until = 0 OR until > ?3)");
        query.bind(1, int64_t(kind)).bind(2, foldName(target)).bind(3, now);
        if (!query.step()) return std::nullopt;
        return sanctionOf(query);
    }

    std::vector<Sanction> sanctions(int64_t now) override {
        db_.prepare("DELETE FROM sanctions WHERE until <> 0 AND until <= ?1").bind(1, now).run();
        auto query = db_.prepare(
            "SELECT kind, target, reason, imposed_by, since, until FROM sanctions ORDER BY kind, target_key");
        std::vector<Sanction> found;
        while (query.step()) found.push_back(sanctionOf(query));
        return found;
    }

    void addAudit(const AuditEntry& e) override {
        db_.prepare("INSERT INTO audit (at, who, what, whom, why) VALUES (?1, ?2, ?3, ?4, ?5)")
            .bind(1, e.at)
            .bind(2, e.who)
            .bind(3, e.what)
            .bind(4, e.whom)
            .bind(5, e.why)
            .run();
    }

    std::vector<AuditEntry> auditTrail(int limit) override {
        auto query = db_.prepare(
            "SELECT at, who, what, whom, why FROM (SELECT * FROM audit ORDER BY id DESC LIMIT ?1) ORDER BY id");
        query.bind(1, int64_t(limit));
        std::vector<AuditEntry> entries;
        while (query.step())
            entries.push_back({query.integer(0), query.text(1), query.text(2), query.text(3), query.text(4)});
        return entries;
    }

private:
    static Sanction sanctionOf(const SqliteStatement& row) {
        return Sanction{SanctionKind(row.integer(0)), row.text(1), row.text(2), row.text(3), row.integer(4),
                        row.integer(5)};
    }

    void migrate() {
        const int current = db_.userVersion();
        if (current > kSchemaVersion)
            throw StorageError("the database has schema version " + std::to_string(current) +
                               ", newer than this tessaryd (" + std::to_string(kSchemaVersion) + ")");
        for (int version = current; version < kSchemaVersion; ++version) {
            SqliteTransaction transaction(db_);
            db_.exec(kMigrations[version]);
            db_.setUserVersion(version + 1);
            transaction.commit();
        }
    }

    static void bindProfileFields(SqliteStatement& statement, const AccountProfile& p, int first) {
        statement.bind(first, p.field1004)
            .bind(first + 1, p.field1003)
            .bind(first + 2, p.country)
            .bind(first + 3, p.field1005)
            .bind(first + 4, p.description)
            .bind(first + 5, int64_t{p.gender})
            .bind(first + 6, int64_t{p.photoNumber});
    }

    void addStat(std::string_view game, std::string_view name, std::string_view column) {
        const std::string sql = "INSERT INTO game_stats (name_key, game, " + std::string(column) +
                                ") VALUES (?1, ?2, 1) ON CONFLICT (name_key, game) DO UPDATE SET " +
                                std::string(column) + " = " + std::string(column) + " + 1";
        db_.prepare(sql).bind(1, foldName(name)).bind(2, game).run();
    }

    SqliteDatabase db_;
};

}  // namespace

std::unique_ptr<Storage> openSqliteStorage(const std::string& path) {
    if (path != ":memory:") {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        std::error_code ignored;
        if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
    }
    return std::make_unique<SqliteStorage>(path);
}

int sqliteSchemaVersion() { return kSchemaVersion; }

}  // namespace tessary::server
