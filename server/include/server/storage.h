// Everything the roles keep or share, behind one small interface.
//
// The Router, the Arenas and the game server never share memory: what one
// role must know of another (who is online where, who may enter an arena,
// which players a game session has) goes through this interface, so that the
// roles can later run on separate hosts over another backend. Each role opens
// its own Storage; one Storage is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::server {

using Bytes = std::vector<uint8_t>;

// A backend failure: the database cannot be reached, or refused a statement.
class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The fields of the lobby's account window, in the order of PLAYERINFO.
struct AccountProfile {
    std::string name;
    std::string field1004;
    std::string field1003;
    std::string country;
    std::string field1005;
    std::string description;
    uint8_t gender = 0;  // 0 or 1 ("F")
    int32_t photoNumber = 1;  // 0: the player's own picture, n > 0: stock picture n

    bool operator==(const AccountProfile&) const = default;
};

struct Account {
    AccountProfile profile;
    std::string passwordHash;  // crypto_pwhash_str text, never the password
    bool hasPhoto = false;
};

struct GameStat {
    std::string game;
    int64_t played = 0;
    int64_t won = 0;

    bool operator==(const GameStat&) const = default;
};

struct PresenceInfo {
    std::string name;   // as the account spells it
    std::string arena;  // empty: at a Router, in no arena
};

struct GameMember {
    std::string name;
    std::string address;  // the lobby's address as the Arena saw it
    bool spectator = false;

    bool operator==(const GameMember&) const = default;
};

// What an Arena tells the game server before it starts a session's game.
struct GameSessionAnnouncement {
    std::string key;  // unique per begun session
    std::string game;
    std::string arena;
    std::string session;
    int expectedPlayers = 0;
    int64_t announcedAt = 0;  // Unix seconds
    std::vector<GameMember> members;
    std::string options;  // the option line the master chose when creating the session

    bool operator==(const GameSessionAnnouncement&) const = default;
};

// ===== Moderation types (see the moderation section of Storage) =====

enum class Role : int { Player = 0, Moderator = 1, Administrator = 2 };

enum class SanctionKind : int { AccountBan = 0, AddressBan = 1, Mute = 2 };

// A ban or a mute. `target` is an account name (any case) or an address.
struct Sanction {
    SanctionKind kind = SanctionKind::AccountBan;
    std::string target;
    std::string reason;
    std::string by;      // who imposed it
    int64_t since = 0;   // Unix seconds
    int64_t until = 0;   // Unix seconds; 0: for good

    bool operator==(const Sanction&) const = default;
};

// One line of the audit trail: an action, or a refusal an action caused.
struct AuditEntry {
    int64_t at = 0;      // Unix seconds
    std::string who;     // the moderator, "operator", or the role that refused
    std::string what;    // "kick", "mute", "ban", "refused login", ...
    std::string whom;
    std::string why;

    bool operator==(const AuditEntry&) const = default;
};

// Names compare without regard to case everywhere; the stored spelling is
// the one given at creation. Times are Unix seconds passed in by the caller.
// Backend failures throw StorageError.
class Storage {
public:
    virtual ~Storage() = default;

    // --- accounts ---
    // False when the name is taken.
    [[nodiscard]] virtual bool createAccount(const AccountProfile& profile, std::string_view passwordHash) = 0;
    [[nodiscard]] virtual std::optional<Account> findAccount(std::string_view name) = 0;
    // Replaces the profile (the stored name spelling stays) and the hash.
    // False when there is no such account.
    virtual bool updateAccount(std::string_view name, const AccountProfile& profile,
                               std::string_view passwordHash) = 0;
    // Stores the picture and makes photo number 0 (own picture) current.
    virtual bool storePhoto(std::string_view name, std::span<const uint8_t> picture) = 0;
    [[nodiscard]] virtual std::optional<Bytes> photo(std::string_view name) = 0;

    // --- per game and player ---
    [[nodiscard]] virtual std::optional<Bytes> playerInfo(std::string_view game, std::string_view name) = 0;
    virtual void storePlayerInfo(std::string_view game, std::string_view name, std::span<const uint8_t> info) = 0;
    virtual void deletePlayerInfo(std::string_view game, std::string_view name) = 0;
    virtual void addGamePlayed(std::string_view game, std::string_view name) = 0;
    virtual void addGameWon(std::string_view game, std::string_view name) = 0;
    [[nodiscard]] virtual std::vector<GameStat> gameStats(std::string_view name) = 0;

    // --- presence: where an online player is. `holder` names the role
    // connection that set it; only that holder clears it. ---
    virtual void setPresence(std::string_view name, std::string_view arena, std::string_view holder) = 0;
    virtual void clearPresence(std::string_view name, std::string_view holder) = 0;
    // A role starting up drops what an earlier run of itself left behind.
    virtual void clearPresenceHeldBy(std::string_view holderPrefix) = 0;
    [[nodiscard]] virtual std::optional<PresenceInfo> findPresence(std::string_view name) = 0;
    [[nodiscard]] virtual int countPresence(std::string_view arena) = 0;

    // --- admissions: the Router lets a player into an arena from one
    // address for a while; the Arena takes the admission once. ---
    virtual void grantAdmission(std::string_view arena, std::string_view name, std::string_view address,
                                int64_t expiresAt) = 0;
    [[nodiscard]] virtual bool takeAdmission(std::string_view arena, std::string_view name,
                                             std::string_view address, int64_t now) = 0;

    // --- game sessions announced to the game server ---
    // Creates or replaces the announcement with that key.
    virtual void announceGameSession(const GameSessionAnnouncement& session) = 0;
    // The latest session announced at or after `notBefore` with that member.
    [[nodiscard]] virtual std::optional<GameSessionAnnouncement> findGameSessionOf(std::string_view name,
                                                                                   int64_t notBefore) = 0;

    // ===== Moderation: roles, bans and mutes, the audit trail =====
    // Kept here, not in a role's memory, so that they hold on every host.
    // False when there is no such account; an unknown name is a Player.
    virtual bool setRole(std::string_view name, Role role) = 0;
    [[nodiscard]] virtual Role role(std::string_view name) = 0;
    // Replaces any sanction of the same kind on the same target.
    virtual void addSanction(const Sanction& sanction) = 0;
    // Lifts it; false when there was none in force.
    virtual bool liftSanction(SanctionKind kind, std::string_view target, int64_t now) = 0;
    // The sanction of that kind on that target in force at `now`.
    [[nodiscard]] virtual std::optional<Sanction> findSanction(SanctionKind kind, std::string_view target,
                                                               int64_t now) = 0;
    // Every sanction in force at `now`, by kind then target.
    [[nodiscard]] virtual std::vector<Sanction> sanctions(int64_t now) = 0;
    virtual void addAudit(const AuditEntry& entry) = 0;
    // The newest `limit` entries, oldest first.
    [[nodiscard]] virtual std::vector<AuditEntry> auditTrail(int limit) = 0;
};

// Opens (creating and migrating when needed) the SQLite database file;
// ":memory:" gives a private database for tests.
std::unique_ptr<Storage> openSqliteStorage(const std::string& path);

// The schema version this build migrates to.
int sqliteSchemaVersion();

// Connects to PostgreSQL with a libpq connection string ("host=/run/postgresql
// dbname=tessary" or a postgresql:// URI) and migrates the schema when
// needed. Several processes on several hosts may share the database; the
// presence set through this storage belongs to `process` (see the event bus
// for its heartbeat). The connection is made again by itself after the
// server restarts.
std::unique_ptr<Storage> openPostgresStorage(const std::string& connection, const std::string& process);

int postgresSchemaVersion();

}  // namespace tessary::server
