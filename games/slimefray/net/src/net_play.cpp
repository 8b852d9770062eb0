#include "slimefray/net_play.h"

#include <thread>

#include "slimefray/tsgame_exports.h"

namespace tessary::slimefray {

NetPlay::NetPlay(GameLink& link, ClientGame& game, GameEvents& events, std::function<int64_t()> clock)
    : link_(link), game_(game), events_(events), clock_(std::move(clock)) {
    game_.setNameLookup([this](uint16_t id) { return link_.playerName(id); });
}

std::vector<uint8_t> NetPlay::receivedTypes() {
    std::vector<uint8_t> types{kChat};
    for (uint8_t type = kMap; type <= kLastMessage; ++type) types.push_back(type);
    return types;
}

bool NetPlay::start(int32_t window) {
    link_.initialise(kGameName, window);
    link_.listen(*this, receivedTypes());
    if (link_.startInterface() != tsgame::kLobbyAlreadyRunning) {
        ended_ = true;
        events_.quit("", 0);
        return false;
    }
    return true;
}

void NetPlay::poll() {
    if (ended_) return;
    if (connected_) {
        if (rejoining_ && !tryRejoin()) return;
        link_.engine();
        flush();
        return;
    }
    std::string extra;
    int32_t allowed = link_.isGameAllowed(name_, extra);
    if (allowed == tsgame::kNoLobby) {
        ended_ = true;
        events_.quit("", 0);
        return;
    }
    if (allowed != tsgame::kSuccess) return;
    connected_ = true;
    if (link_.connect() != tsgame::kSuccess) {
        ended_ = true;
        events_.quit("No server available (connexion failed)", 0);
        return;
    }
    link_.registration(name_);
    game_.setOptions(parseOptionLine(extra));
}

void NetPlay::flush() {
    for (const Request& request : game_.takeRequests()) {
        if (request.to == Request::To::EveryoneWithEcho) {
            link_.sendToAllWithEcho(request.type, request.body);
        } else {
            link_.sendToServer(request.type, request.body);
        }
    }
}

void NetPlay::shutdown(std::chrono::milliseconds linger) {
    if (shutDown_) return;
    shutDown_ = true;
    if (connected_) {
        link_.disconnect();
    } else {
        // Closed before a poll took the start order: take it now, or the
        // finish report has no session and the lobby waits for ever.
        std::string name, extra;
        (void)link_.isGameAllowed(name, extra);
    }
    link_.informFinished("");
    std::this_thread::sleep_for(linger);
    link_.release();
    connected_ = false;
    ended_ = true;
}

void NetPlay::ownId(uint16_t id, uint16_t, uint16_t playerCount) { game_.ownId(id, playerCount); }

void NetPlay::newPlayer(uint16_t, const std::string&) { game_.playerJoined(); }

void NetPlay::playerLeft(uint16_t) { game_.playerLeft(); }

void NetPlay::newMaster(uint16_t id) {
    if (game_.newMaster(id)) flush();
}

// Before the start and after the end there is no seat to go back to.
void NetPlay::disconnected() {
    if (shutDown_ || !game_.started() || game_.over()) {
        ended_ = true;
        events_.quit("Connection with the game server is broken", 0);
        return;
    }
    if (!dropSince_) dropSince_ = clock_();
    rejoining_ = true;
    events_.connectionNote("Connection lost: reconnecting...");
    (void)tryRejoin();
}

bool NetPlay::tryRejoin() {
    const int64_t now = clock_();
    if (now - *dropSince_ > kRejoinMs) {
        rejoining_ = false;
        ended_ = true;
        events_.connectionNote("");
        events_.quit("Connection with the game server is broken", 0);
        return false;
    }
    if (lastAttempt_ && now - *lastAttempt_ < kRejoinRetryMs) return false;
    lastAttempt_ = now;
    if (link_.connect() != tsgame::kSuccess) return false;
    (void)link_.registration(name_);
    rejoining_ = false;
    game_.rejoin();
    events_.connectionNote("Reconnected to the game server");
    return true;
}

void NetPlay::message(uint16_t sender, uint8_t type, std::span<const uint8_t> body) {
    dropSince_.reset();  // the new link carries the game again
    game_.receive(sender, type, body, clock_());
}

}  // namespace tessary::slimefray
