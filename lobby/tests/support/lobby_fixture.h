// A Lobby over the fake client library and recording views, with helpers to
// deliver poll results.
#pragma once

#include <gtest/gtest.h>

#include "fake_client.h"
#include "lobby/lobby.h"
#include "recording_view.h"

namespace tessary::lobby::testing {

class LobbyFixture : public ::testing::Test {
protected:
    LobbyFixture() : api(prepared()), lobby(api, view.views()) {
        flow.setRouter("127.0.0.1", 7000);
    }

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
        deliver(206);
        fake().logins.clear();
        fake().connects.clear();
        fake().disconnects = 0;
    }

    void inArena() {
        loggedIn();
        flow.joinArena("North");
        deliver(4);
        deliver(208);
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

}  // namespace tessary::lobby::testing
