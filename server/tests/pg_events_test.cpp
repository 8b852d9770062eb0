#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "pg_db.h"
#include "pg_test_server.h"
#include "server/events.h"
#include "server/storage.h"

namespace tessary::server {
namespace {

using namespace std::chrono_literals;

// What one process's bus delivered, waited on with a deadline.
class Inbox {
public:
    explicit Inbox(EventBus& bus) {
        bus.subscribe([this](const Event& event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        });
    }
    std::optional<Event> next(std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [this] { return !events_.empty(); })) return std::nullopt;
        Event event = events_.front();
        events_.erase(events_.begin());
        return event;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

std::string describe(const Event& event) {
    if (const auto* page = std::get_if<PageEvent>(&event)) return "page " + page->to + "|" + page->from + "|" + page->text;
    if (const auto* urgent = std::get_if<UrgentEvent>(&event)) return "urgent " + urgent->text;
    const auto& game = std::get<GamePresenceEvent>(event);
    return "game " + game.arena + "|" + game.name + (game.joined ? "|joined" : "|left");
}

template <typename Check>
bool eventually(Check check, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (check()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return check();
}

// Two processes sharing one database: events reach both, a process that
// stops beating loses its players, and the buses outlive a server restart.
TEST(PostgresEvents, CrossProcessesForgetTheDeadAndOutliveARestart) {
    PgDatabase database;
    const std::string connection = database.open();
    if (connection.empty()) GTEST_SKIP() << "PostgreSQL: " << pgServer().failure();
    auto storageA = openPostgresStorage(connection, "host-a");
    auto storageB = openPostgresStorage(connection, "host-b");
    auto busA = openPostgresEventBus(connection, "host-a", 1);
    auto busB = openPostgresEventBus(connection, "host-b", 1);
    Inbox inboxA(*busA), inboxB(*busB);

    const Event sent[] = {
        PageEvent{"Bob", "\xC9mile", "caf\xE9 : 100%\n"},
        UrgentEvent{"ADIOS"},
        GamePresenceEvent{"Arena 2", "Ann", true},
    };
    for (const Event& event : sent) {
        busA->publish(event);
        for (Inbox* inbox : {&inboxA, &inboxB}) {
            auto got = inbox->next();
            ASSERT_TRUE(got) << "event " << event.index() << " not delivered";
            EXPECT_EQ(describe(*got), describe(event));
        }
    }

    // "host-c" set presence, then died without a word: no heartbeat.
    openPostgresStorage(connection, "host-c")->setPresence("Cid", "Arena 3", "arena:Arena 3#1");
    storageB->setPresence("Bob", "Arena 2", "arena:Arena 2#1");
    EXPECT_EQ(storageA->countPresence("Arena 3"), 1);
    EXPECT_TRUE(eventually([&] { return storageA->countPresence("Arena 3") == 0; }, 10s));
    EXPECT_TRUE(storageA->findPresence("Bob"));  // the living keep theirs

    ASSERT_TRUE(pgServer().restart());
    // Events sent while a bus is away are lost: send until one arrives.
    EXPECT_TRUE(eventually(
        [&] {
            busA->publish(UrgentEvent{"back"});
            return inboxB.next(500ms).has_value();
        },
        15s));
    EXPECT_TRUE(storageB->findPresence("Bob"));

    // Published while the server is down, an event is held and sent, once,
    // when the publisher's listener is back (on its own inbox, which is
    // surely listening by then).
    while (inboxA.next(200ms)) {
    }
    ASSERT_TRUE(pgServer().stopNow());
    busA->publish(UrgentEvent{"held"});
    ASSERT_TRUE(pgServer().startAgain());
    const auto held = inboxA.next(15s);
    ASSERT_TRUE(held) << "the held event never went out";
    EXPECT_EQ(describe(*held), "urgent held");
    EXPECT_FALSE(inboxA.next(500ms)) << "delivered twice";

    // A sending repeated because the first one's answer was lost (same
    // process, same number) is delivered once; the next number is new.
    while (inboxB.next(500ms)) {
    }
    PgConnection raw(connection);
    for (const char* payload : {"0a.1|U:6f6e6365", "0a.1|U:6f6e6365", "0a.2|U:6e657874"})
        raw.run("SELECT pg_notify('tessary_events', $1)", PgParams().add(payload));
    for (const char* expected : {"urgent once", "urgent next"}) {
        const auto got = inboxB.next();
        ASSERT_TRUE(got);
        EXPECT_EQ(describe(*got), expected);
    }

    busB.reset();  // a clean exit takes its players along at once
    EXPECT_FALSE(storageA->findPresence("Bob"));
}

}  // namespace
}  // namespace tessary::server
