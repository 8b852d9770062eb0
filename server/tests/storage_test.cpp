#include <gtest/gtest.h>

#include <filesystem>

#include "password.h"
#include "pg_db.h"
#include "pg_test_server.h"
#include "server/storage.h"
#include "sqlite_db.h"
#include "test_support.h"

namespace tessary::server {
namespace {

AccountProfile profile(std::string name) {
    AccountProfile p;
    p.name = std::move(name);
    p.field1004 = "Ann";
    p.field1003 = "Smith";
    p.country = "France";
    p.field1005 = "ann@example.org";
    p.description = "I like blobs.";
    p.gender = 1;
    p.photoNumber = 3;
    return p;
}

enum class Backend { Sqlite, Postgresql };

class StorageTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Sqlite) {
            storage = openSqliteStorage(":memory:");
            return;
        }
        const std::string connection = database.open();
        if (connection.empty()) GTEST_SKIP() << "PostgreSQL: " << pgServer().failure();
        storage = openPostgresStorage(connection, "test");
    }
    void TearDown() override { storage.reset(); }

    PgDatabase database;
    std::unique_ptr<Storage> storage;
};

INSTANTIATE_TEST_SUITE_P(Backends, StorageTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql),
                         [](const auto& info) { return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL"; });

TEST_P(StorageTest, AccountNamesAreUniqueWithoutRegardToCase) {
    ASSERT_TRUE(storage->createAccount(profile("Ann"), "hash1"));
    EXPECT_FALSE(storage->createAccount(profile("ANN"), "hash2"));
    EXPECT_FALSE(storage->createAccount(profile("ann"), "hash2"));
    // Accented capitals fold too (Windows-1252 É = 0xC9, é = 0xE9).
    ASSERT_TRUE(storage->createAccount(profile("\xC9mile"), "h"));
    EXPECT_FALSE(storage->createAccount(profile("\xE9mile"), "h"));
    auto found = storage->findAccount("aNN");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->profile, profile("Ann"));
    EXPECT_EQ(found->passwordHash, "hash1");
    EXPECT_FALSE(found->hasPhoto);
    EXPECT_FALSE(storage->findAccount("Bob"));
}

TEST_P(StorageTest, UpdateKeepsTheNameSpelling) {
    ASSERT_TRUE(storage->createAccount(profile("Ann"), "old"));
    AccountProfile changed = profile("ann");
    changed.description = "new text";
    changed.gender = 0;
    EXPECT_TRUE(storage->updateAccount("ann", changed, "new"));
    auto found = storage->findAccount("Ann");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->profile.name, "Ann");
    EXPECT_EQ(found->profile.description, "new text");
    EXPECT_EQ(found->profile.gender, 0);
    EXPECT_EQ(found->passwordHash, "new");
    EXPECT_FALSE(storage->updateAccount("Nobody", changed, "x"));
}

TEST_P(StorageTest, PhotoMakesTheOwnPictureCurrent) {
    ASSERT_TRUE(storage->createAccount(profile("Ann"), "h"));
    const Bytes picture = {0xFF, 0xD8, 0xFF, 0xE0, 0, 1, 2};
    EXPECT_TRUE(storage->storePhoto("ann", picture));
    EXPECT_EQ(storage->photo("ANN"), picture);
    auto found = storage->findAccount("Ann");
    EXPECT_TRUE(found->hasPhoto);
    EXPECT_EQ(found->profile.photoNumber, 0);
    EXPECT_FALSE(storage->storePhoto("Nobody", picture));
    EXPECT_FALSE(storage->photo("Nobody"));
}

TEST_P(StorageTest, PlayerInfoIsKeptPerGameAndPlayer) {
    const Bytes money = {100, 0, 0, 0};
    storage->storePlayerInfo("POKER", "Ann", money);
    storage->storePlayerInfo("SLIMEFRAY", "Ann", Bytes{1});
    EXPECT_EQ(storage->playerInfo("POKER", "ann"), money);
    EXPECT_EQ(storage->playerInfo("SLIMEFRAY", "Ann"), Bytes{1});
    EXPECT_FALSE(storage->playerInfo("POKER", "Bob"));
    storage->storePlayerInfo("POKER", "ANN", Bytes{});
    EXPECT_EQ(storage->playerInfo("POKER", "Ann"), Bytes{});  // stored empty, not absent
    storage->deletePlayerInfo("POKER", "ann");
    EXPECT_FALSE(storage->playerInfo("POKER", "Ann"));
    EXPECT_TRUE(storage->playerInfo("SLIMEFRAY", "Ann"));
}

TEST_P(StorageTest, GameStatisticsCount) {
    storage->addGamePlayed("POKER", "Ann");
    storage->addGamePlayed("POKER", "ann");
    storage->addGameWon("POKER", "Ann");
    storage->addGamePlayed("SLIMEFRAY", "Ann");
    EXPECT_EQ(storage->gameStats("ANN"), (std::vector<GameStat>{{"POKER", 2, 1}, {"SLIMEFRAY", 1, 0}}));
    EXPECT_TRUE(storage->gameStats("Bob").empty());
}

TEST_P(StorageTest, PresenceIsClearedOnlyByItsHolder) {
    storage->setPresence("Ann", "", "router:R#1");
    EXPECT_EQ(storage->findPresence("ann")->arena, "");
    storage->setPresence("Ann", "Arena 1", "arena:Arena 1#5");
    storage->clearPresence("Ann", "router:R#1");  // the Router connection closing late
    auto where = storage->findPresence("ANN");
    ASSERT_TRUE(where);
    EXPECT_EQ(where->arena, "Arena 1");
    EXPECT_EQ(where->name, "Ann");
    storage->setPresence("Bob", "Arena 1", "arena:Arena 1#6");
    storage->setPresence("Cid", "Arena 2", "arena:Arena 2#1");
    EXPECT_EQ(storage->countPresence("Arena 1"), 2);
    storage->clearPresenceHeldBy("arena:Arena 1#");
    EXPECT_EQ(storage->countPresence("Arena 1"), 0);
    EXPECT_EQ(storage->countPresence("Arena 2"), 1);
    storage->clearPresence("Cid", "arena:Arena 2#1");
    EXPECT_FALSE(storage->findPresence("Cid"));
}

TEST_P(StorageTest, AdmissionIsTakenOnceFromItsAddressBeforeItExpires) {
    struct Case {
        const char* arena;
        const char* name;
        const char* address;
        int64_t now;
        bool taken;
    } cases[] = {
        {"Arena 1", "Ann", "127.0.0.2", 100, false},  // another address
        {"Arena 2", "Ann", "127.0.0.1", 100, false},  // another arena
        {"Arena 1", "ANN", "127.0.0.1", 100, true},
        {"Arena 1", "Ann", "127.0.0.1", 100, false},  // already taken
    };
    storage->grantAdmission("Arena 1", "Ann", "127.0.0.1", 130);
    for (const Case& c : cases)
        EXPECT_EQ(storage->takeAdmission(c.arena, c.name, c.address, c.now), c.taken) << c.arena << c.address;
    storage->grantAdmission("Arena 1", "Ann", "127.0.0.1", 130);
    EXPECT_TRUE(storage->takeAdmission("Arena 1", "Ann", "127.0.0.1", 130));
    storage->grantAdmission("Arena 1", "Ann", "127.0.0.1", 130);
    EXPECT_FALSE(storage->takeAdmission("Arena 1", "Ann", "127.0.0.1", 131));
}

TEST_P(StorageTest, TheLatestAnnouncedSessionOfAPlayerIsFound) {
    GameSessionAnnouncement first{"A#1", "POKER", "Arena 1", "Table", 2, 1000,
                                  {{"Ann", "127.0.0.1", false}, {"Bob", "127.0.0.1", false}}, ""};
    GameSessionAnnouncement second{"A#2", "SLIMEFRAY", "Arena 1", "Blobs", 2, 2000,
                                   {{"Bob", "127.0.0.1", false}, {"Cid", "127.0.0.3", true}},
                                   "0 45 Cavern Arena 1 3 1"};
    storage->announceGameSession(first);
    storage->announceGameSession(second);
    EXPECT_EQ(storage->findGameSessionOf("ann", 0), first);
    EXPECT_EQ(storage->findGameSessionOf("BOB", 0), second);
    EXPECT_FALSE(storage->findGameSessionOf("Ann", 1001));
    EXPECT_FALSE(storage->findGameSessionOf("Dan", 0));
    // A later join re-announces the same key with one more member.
    first.members.push_back({"Dan", "127.0.0.4", true});
    storage->announceGameSession(first);
    EXPECT_EQ(storage->findGameSessionOf("Dan", 0), first);
}

TEST(StorageFile, MigratesAFreshFileAndRefusesANewerSchema) {
    TempDir dir;
    const std::string path = dir.path() + "/sub/tessaryd.sqlite";
    {
        auto storage = openSqliteStorage(path);
        ASSERT_TRUE(storage->createAccount(profile("Ann"), "h"));
    }
    {
        auto reopened = openSqliteStorage(path);  // no migration runs twice
        EXPECT_TRUE(reopened->findAccount("Ann"));
    }
    {
        SqliteDatabase raw(path);
        EXPECT_EQ(raw.userVersion(), sqliteSchemaVersion());
        raw.setUserVersion(sqliteSchemaVersion() + 1);
    }
    EXPECT_THROW(openSqliteStorage(path), StorageError);
}

// A file as the first release left it (schema version 1, before roles,
// sanctions and the audit trail): its rows survive the upgrade, and the new
// tables and column work.
TEST(StorageFile, UpgradesAVersionOneFileKeepingItsRows) {
    TempDir dir;
    const std::string path = dir.path() + "/v1.sqlite";
    {
        SqliteDatabase v1(path);
        v1.exec(R"sql(
            CREATE TABLE accounts (name_key TEXT PRIMARY KEY, name TEXT NOT NULL, password TEXT NOT NULL,
                field1004 TEXT NOT NULL, field1003 TEXT NOT NULL, country TEXT NOT NULL, field1005 TEXT NOT NULL,
                description TEXT NOT NULL, gender INTEGER NOT NULL, photo_number INTEGER NOT NULL, photo BLOB);
            CREATE TABLE player_info (game TEXT NOT NULL, name_key TEXT NOT NULL, info BLOB NOT NULL,
                PRIMARY KEY (game, name_key));
            CREATE TABLE game_stats (name_key TEXT NOT NULL, game TEXT NOT NULL, played INTEGER NOT NULL DEFAULT 0,
                won INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (name_key, game));
            CREATE TABLE presence (name_key TEXT PRIMARY KEY, name TEXT NOT NULL, arena TEXT NOT NULL,
                holder TEXT NOT NULL);
            CREATE INDEX presence_arena ON presence (arena);
            CREATE TABLE admissions (arena TEXT NOT NULL, name_key TEXT NOT NULL, address TEXT NOT NULL,
                expires_at INTEGER NOT NULL, PRIMARY KEY (arena, name_key));
            CREATE TABLE game_sessions (key TEXT PRIMARY KEY, game TEXT NOT NULL, arena TEXT NOT NULL,
                session TEXT NOT NULL, expected INTEGER NOT NULL, announced_at INTEGER NOT NULL);
            CREATE TABLE game_members (session_key TEXT NOT NULL REFERENCES game_sessions (key) ON DELETE CASCADE,
                position INTEGER NOT NULL, name_key TEXT NOT NULL, name TEXT NOT NULL, address TEXT NOT NULL,
                spectator INTEGER NOT NULL, PRIMARY KEY (session_key, name_key));
            CREATE INDEX game_members_name ON game_members (name_key);
            INSERT INTO accounts VALUES ('ann', 'Ann', 'hash', 'Ann', 'Smith', 'France', 'ann@example.org',
                'I like blobs.', 1, 3, NULL);
            INSERT INTO player_info VALUES ('POKER', 'ann', X'64000000');
            INSERT INTO game_stats VALUES ('ann', 'POKER', 7, 2);
        )sql");
        v1.setUserVersion(1);
    }
    auto storage = openSqliteStorage(path);
    const auto ann = storage->findAccount("ANN");
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->profile, profile("Ann"));
    EXPECT_EQ(ann->passwordHash, "hash");
    EXPECT_EQ(storage->playerInfo("POKER", "Ann"), (Bytes{100, 0, 0, 0}));
    EXPECT_EQ(storage->gameStats("Ann"), (std::vector<GameStat>{{"POKER", 7, 2}}));
    EXPECT_EQ(storage->role("Ann"), Role::Player) << "old accounts are players";
    EXPECT_TRUE(storage->setRole("Ann", Role::Moderator));
    const Sanction ban{SanctionKind::AccountBan, "Bob", "spam", "Ann", 1, 0};
    storage->addSanction(ban);
    EXPECT_EQ(storage->sanctions(2), std::vector<Sanction>{ban});
    storage->addAudit({1, "Ann", "ban", "Bob", "spam"});
    EXPECT_EQ(storage->auditTrail(5).size(), 1u);
    storage.reset();
    EXPECT_EQ(SqliteDatabase(path).userVersion(), sqliteSchemaVersion());
}

TEST(PostgresStorage, MigratesOnceRefusesANewerSchemaAndSurvivesARestart) {
    PgDatabase database;
    const std::string connection = database.open();
    if (connection.empty()) GTEST_SKIP() << "PostgreSQL: " << pgServer().failure();
    auto storage = openPostgresStorage(connection, "test");
    ASSERT_TRUE(storage->createAccount(profile("Ann"), "h"));
    EXPECT_TRUE(openPostgresStorage(connection, "test")->findAccount("Ann"));  // no migration runs twice

    // A committed account outlives a crash of the server, and the open
    // storage connects again by itself, before it sends anything: even a
    // statement that is never run twice goes through, once.
    ASSERT_TRUE(pgServer().restart());
    storage->addGamePlayed("POKER", "Ann");
    EXPECT_EQ(storage->gameStats("Ann"), (std::vector<GameStat>{{"POKER", 1, 0}}));
    EXPECT_TRUE(storage->findAccount("ann"));
    EXPECT_TRUE(storage->createAccount(profile("Bob"), "h"));

    PgConnection raw(connection);
    EXPECT_EQ(raw.run("SELECT version FROM schema_version").integer(0, 0), postgresSchemaVersion());
    raw.exec("UPDATE schema_version SET version = version + 1");
    EXPECT_THROW(openPostgresStorage(connection, "test"), StorageError);
    EXPECT_THROW(openPostgresStorage(pgServer().connection("no_such_database"), "test"), StorageError);
}

// A connection that breaks while a statement runs leaves unknown whether
// the server ran it: only statements that may run twice are sent again, and
// a transaction whose connection broke is reported lost, never committed.
TEST(PostgresConnection, BrokenOffWorkRunsAgainOnlyWhenHarmless) {
    PgDatabase database;
    const std::string connection = database.open();
    if (connection.empty()) GTEST_SKIP() << "PostgreSQL: " << pgServer().failure();
    PgConnection db(connection), other(connection);
    db.exec("CREATE SEQUENCE runs; CREATE TABLE kept (n INTEGER); SELECT nextval('runs')");
    // nextval counts the runs: a sequence ignores the end of its transaction.
    const std::string breaking = "SELECT nextval('runs'), pg_terminate_backend(pg_backend_pid())";
    const struct {
        PgConnection::Retry retry;
        int64_t runs;
    } cases[] = {{PgConnection::Retry::Never, 1}, {PgConnection::Retry::IfLost, 2}};
    for (const auto& c : cases) {
        const int64_t before = other.run("SELECT last_value FROM runs").integer(0, 0);
        EXPECT_THROW(db.run(breaking, {}, c.retry), StorageError);
        EXPECT_EQ(other.run("SELECT last_value FROM runs").integer(0, 0) - before, c.runs);
    }

    {
        PgTransaction transaction(db);
        db.run("INSERT INTO kept VALUES (1)");
        const int64_t pid = db.run("SELECT pg_backend_pid()").integer(0, 0);
        ASSERT_EQ(other.run("SELECT pg_terminate_backend($1, 5000)", PgParams().add(pid)).integer(0, 0), 1);
        EXPECT_THROW(transaction.commit(), StorageError);
    }
    EXPECT_EQ(other.run("SELECT count(*) FROM kept").integer(0, 0), 0);
    EXPECT_EQ(db.run("SELECT count(*) FROM kept").integer(0, 0), 0) << "the connection is usable again";
}

TEST(Password, HashVerifiesOnlyTheRightPassword) {
    auto hash = hashPassword("secret", PasswordCost::minimal());
    ASSERT_TRUE(hash);
    EXPECT_EQ(hash->find("secret"), std::string::npos);
    EXPECT_TRUE(verifyPassword(*hash, "secret"));
    EXPECT_FALSE(verifyPassword(*hash, "Secret"));
    EXPECT_FALSE(verifyPassword(*hash, ""));
    EXPECT_FALSE(verifyPassword("", "secret"));
    EXPECT_FALSE(verifyPassword("not a hash", "secret"));
    EXPECT_NE(*hashPassword("secret", PasswordCost::minimal()), *hash);  // salted
}

TEST_P(StorageTest, RolesSanctionsAndTheAuditTrailLiveInStorage) {
    ASSERT_TRUE(storage->createAccount(profile("Ann"), "h"));
    EXPECT_EQ(storage->role("ann"), Role::Player);
    EXPECT_TRUE(storage->setRole("ANN", Role::Moderator));
    EXPECT_EQ(storage->role("Ann"), Role::Moderator);
    EXPECT_FALSE(storage->setRole("Nobody", Role::Administrator));
    EXPECT_EQ(storage->role("Nobody"), Role::Player);

    const Sanction mute{SanctionKind::Mute, "Bob", "flood", "Ann", 100, 200};
    const Sanction ban{SanctionKind::AddressBan, "127.0.0.9", "spam", "operator", 100, 0};
    storage->addSanction(mute);
    storage->addSanction(ban);
    EXPECT_EQ(storage->findSanction(SanctionKind::Mute, "BOB", 150), mute);
    EXPECT_FALSE(storage->findSanction(SanctionKind::Mute, "Bob", 200)) << "ends at its end";
    EXPECT_FALSE(storage->findSanction(SanctionKind::AccountBan, "Bob", 150)) << "kinds are apart";
    Sanction longer = mute;
    longer.until = 900;
    storage->addSanction(longer);  // replaces the one of the same kind and target
    EXPECT_EQ(storage->sanctions(150), (std::vector<Sanction>{ban, longer}));
    EXPECT_TRUE(storage->liftSanction(SanctionKind::Mute, "bob", 150));
    EXPECT_FALSE(storage->liftSanction(SanctionKind::Mute, "bob", 150));
    EXPECT_EQ(storage->sanctions(10'000), (std::vector<Sanction>{ban})) << "a ban for good stays";

    for (int i = 1; i <= 3; ++i) storage->addAudit({i, "Ann", "mute", "Bob", "line " + std::to_string(i)});
    const auto newest = storage->auditTrail(2);
    ASSERT_EQ(newest.size(), 2u);
    EXPECT_EQ(newest[0].why, "line 2");
    EXPECT_EQ(newest[1], (AuditEntry{3, "Ann", "mute", "Bob", "line 3"}));
}

}  // namespace
}  // namespace tessary::server
