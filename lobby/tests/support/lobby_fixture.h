// A Lobby over the fake client library and recording views, with helpers to
// deliver poll results, and the runner of the controllers' tables.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "fake_client.h"
#include "lobby/lobby.h"
#include "recording_view.h"

namespace tessary::lobby::testing {

class LobbyStage {
public:
    LobbyStage() : api(prepared()), lobby(api, view.views()) { flow.setRouter("127.0.0.1", 7000); }
    LobbyStage(const LobbyStage&) = delete;
    LobbyStage& operator=(const LobbyStage&) = delete;

    static ClientApi prepared() {
        resetFake();
        return fakeApi();
    }

    // Delivers one poll result to the lobby.
    void deliver(int32_t type) {
        fake().messages.push_back(type);
        flow.poll();
    }

    void loggedIn() {
        account.logIn();
        deliver(answerTo(protocol::LOGIN));
        fake().logins.clear();
        fake().connects.clear();
        fake().disconnects = 0;
    }

    void inArena() {
        loggedIn();
        flow.joinArena("North");
        deliver(answerTo(protocol::CONNECTIONREQUEST));
        deliver(answerTo(protocol::LOGINARENA));
        fake().logins.clear();
        fake().connects.clear();
        fake().arenaLogins.clear();
        fake().disconnects = 0;
        view.chatLines.clear();
    }

    ClientApi api;
    RecordingView view;
    Lobby lobby;
    LobbyFlow& flow{lobby.flow()};
    AccountController& account{lobby.account()};
};

class LobbyFixture : public ::testing::Test, public LobbyStage {};

// One row of a controller's table: from the state `given` leads to, one
// received message or one command, and the view calls it produces in order.
struct Row {
    const char* name;
    std::function<void(LobbyStage&)> given;
    std::function<void(LobbyStage&)> when;
    std::vector<std::string> calls;
};

inline void runRows(std::span<const Row> rows) {
    for (const auto& row : rows) {
        LobbyStage stage;
        if (row.given) row.given(stage);
        stage.view.calls.clear();
        row.when(stage);
        EXPECT_EQ(stage.view.calls, row.calls) << row.name;
    }
}

}  // namespace tessary::lobby::testing
