// The Router role: accounts, login, the lists of the router view, the way
// into an arena, player search, pages and photos.
#pragma once

#include <asio.hpp>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "link.h"
#include "lobby_role.h"
#include "login_guard.h"
#include "server/config.h"
#include "server/events.h"
#include "server/storage.h"

namespace tessary::server {

// An arena as the Router lists it and hands it out.
struct ArenaDirectoryEntry {
    std::string name;
    std::string host;
    uint16_t port = 0;
    int32_t maxPing = -1;
    int playerLimit = 0;
};

struct RouterSettings {
    RouterConfig config;
    uint16_t publicPort = 0;  // the port it really listens on
    std::vector<ArenaDirectoryEntry> arenas;
    Limits limits = Limits::defaults();
    PasswordCost passwordCost = PasswordCost::interactive();
    // Password hashing runs on a pool of worker threads (one per core) so
    // that one login does not stall the others; the fuzzer runs it inline.
    bool hashInline = false;
};

class Router final : public LinkHandler, private LobbyRole {
public:
    Router(asio::io_context& io, RouterSettings settings, std::unique_ptr<Storage> storage, EventBus& bus);
    ~Router() override;

    // The port the listener really got (the configuration may say 0).
    void setPublicPort(uint16_t port) { settings_.publicPort = port; }
    void start();
    void stop();

    void linkOpened(const LinkPtr& link) override;
    void messageReceived(const LinkPtr& link, protocol::Message& message) override;
    void linkClosed(const LinkPtr& link) override;

private:
    struct Client {
        LinkPtr link;
        std::string name;  // account name once logged in
        bool loggedIn = false;
    };

    void handle(Client& client, const protocol::ServiceMessage& request);
    void login(Client& client, const protocol::ServiceMessage& request);
    void createAccount(Client& client, const protocol::ServiceMessage& request);
    void modifyAccount(Client& client, const protocol::ServiceMessage& request);
    void connectionRequest(Client& client, const protocol::ServiceMessage& request);
    void searchPlayer(Client& client, const protocol::ServiceMessage& request);
    void page(Client& client, const protocol::ServiceMessage& request);
    void uploadPhoto(Client& client, const protocol::ServiceMessage& request);

    void logIn(Client& client, const std::string& name);
    void sendLists(Client& client, const std::string& clientVersion);
    void sendOwnCard(Client& client);
    // `note` goes to the log only.
    void refuse(Client& client, uint8_t request, const std::string& text, const std::string& note = {});
    // Refuses with the ban's reason and end (and audits it) when the name
    // (if any) or the link's address is banned.
    bool refuseBanned(Client& client, uint8_t request, const std::string& name);

    // Runs `work` off the Router thread, then `done` back on it, with the
    // link paused in between so its later requests wait their turn. One
    // address has at most hashesPerAddress_ pieces of work under way, each
    // after the delay `delayMs` gives when its turn comes; its others queue.
    struct SlowJob {
        LinkPtr link;
        std::function<int64_t()> delayMs;  // empty: no delay
        std::function<void()> work;
        std::function<void(Client&)> done;
    };
    void slowWork(const LinkPtr& link, std::function<int64_t()> delayMs, std::function<void()> work,
                  std::function<void(Client&)> done);
    void startQueued(const std::string& address);
    void runJob(const std::string& address, SlowJob job);

    void onEvent(const Event& event);
    std::string holder(const Client& client) const;
    Client* find(const LinkPtr& link);

    RouterSettings settings_;
    std::unique_ptr<Storage> storage_;
    std::unique_ptr<asio::thread_pool> workers_;
    int hashesPerAddress_ = 1;
    struct AddressQueue {
        int running = 0;
        std::deque<SlowJob> waiting;
    };
    std::unordered_map<std::string, AddressQueue> queues_;
    LoginGuard guard_;
    // Checked against for names that have no account, so that the answer
    // takes as long as for a wrong password.
    std::string dummyHash_;
    std::unordered_map<uint64_t, Client> clients_;
};

// Whether bytes are a picture the lobby can show: JPEG, BMP or GIF, 5 to
// 20,480 bytes.
bool isAcceptedPhoto(std::string_view bytes);

}  // namespace tessary::server
