// Whatever texts a hostile server sends, what the lobby gives its windows
// stays bounded and free of control characters: every poll result of the
// dispatch table is delivered with every text the library hands out set to a
// hostile one (as long as the library allows, with control characters, path
// separators, no blanks or only line breaks), as answers that succeed and fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "lobby/dispatch_table.h"
#include "lobby/server_text.h"
#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using testing::fake;
using testing::FakeClient;
using testing::LobbyStage;

void poison(FakeClient& f, const std::string& text, bool failure) {
    for (auto* answer : {&f.login, &f.creation, &f.modification, &f.arenaLogin, &f.join, &f.searchAnswer,
                         &f.playerInfo, &f.sessionInfo, &f.createSession, &f.joinSession, &f.beginGame}) {
        answer->text = text;
        answer->result = failure ? kAnswerFailure : kAnswerSuccess;
    }
    // The login and arena login must succeed, or the lobby leaves the arena.
    f.login.result = f.arenaLogin.result = kAnswerSuccess;
    f.joinHost = f.urgent = f.versionFirst = f.versionSecond = f.pageSender = f.pageText = f.foundPlayer =
        f.foundArena = f.photoOwner = f.sessionName = f.otherName = f.infoOptions = f.startAddress = text;
    for (auto& field : f.accountInfo) field = text;
    for (auto& field : f.playerCard) field = text;
    f.news = {text, text};
    f.games = {{text, text}};
    f.routers = {{text, text, 1, 1}, {text, text, 2, 2}};
    f.arenas = {{text, text, 3, -1}};
    const FakeClient::Session session{text, text, text, 4, 1, 2, 1, 0, {text, text}, {text}};
    f.sessionList = {session, session};
    f.sessionNew = session;
}

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);) out.push_back(line);
    return out;
}

TEST(HostileTexts, WhatTheWindowsAreGivenIsBoundedAndFreeOfControlCharacters) {
    const std::vector<std::string> texts = {
        std::string(kTextOutSize - 1, 'W'),
        std::string("\x01\x1b[31mred\r\n\tsecond\x7f ../../etc/passwd C:\\x\\y") + std::string(3000, '\n') + "end",
        [] {
            std::string many;
            while (many.size() < kTextOutSize) many += "line of text\r\n";
            return many;
        }(),
    };
    for (const std::string& text : texts) {
        for (const bool failure : {false, true}) {
            LobbyStage stage;
            stage.inArena();
            poison(fake(), text, failure);
            stage.view.calls.clear();
            for (const auto& entry : kMessageTypes) {
                if (entry.type > 0) stage.deliver(entry.type);
            }
            const std::string what = std::string(failure ? "failing" : "succeeding") + " answers, text of " +
                                     std::to_string(text.size()) + " bytes starting " +
                                     std::to_string(static_cast<unsigned char>(text[0]));
            EXPECT_GT(stage.view.calls.size(), 10u) << what;

            // Message boxes: at most their lines, each cut.
            for (const std::string& shown : stage.view.serverTexts) {
                const auto parts = lines(shown);
                EXPECT_LE(parts.size(), kMessageBoxBounds.maxLines) << what;
                for (const auto& line : parts) EXPECT_LE(line.size(), kMessageBoxBounds.maxLineLength + 3) << what;
            }
            EXPECT_LE(stage.view.title.size(), std::string("TSClient - ").size() + kTitleBounds.maxLineLength + 3)
                << what;
            // Every call: a few lines (a page or a box has more than one),
            // none with a control character or longer than a window's width
            // of text could ever need.
            for (const std::string& call : stage.view.calls) {
                const auto parts = lines(call);
                EXPECT_LE(parts.size(), kMessageBoxBounds.maxLines + 1) << what << ": " << call.substr(0, 200);
                for (const auto& line : parts) {
                    EXPECT_TRUE(std::none_of(line.begin(), line.end(), isControl)) << what << ": " << line.substr(0, 200);
                    EXPECT_LE(line.size(), 600u) << what << ": " << line.substr(0, 200);
                }
            }
        }
    }
}

}  // namespace
}  // namespace tessary::lobby
