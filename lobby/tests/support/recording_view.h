// Views that record what the controllers ask of the windows, and a Lobby
// built over them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/lobby.h"

namespace tessary::lobby::testing {

class RecordingView : public LobbyView,
                      public AccountView,
                      public ArenaListView,
                      public ChatView,
                      public PlayersView,
                      public SessionsView,
                      public PagesView,
                      public NewsView,
                      public PlayerInfoView {
public:
    std::vector<std::pair<int, int>> messages;
    std::vector<std::string> serverTexts;
    MessageResult answer{MessageResult::Ok};
    std::function<void()> whileMessageOpen;
    std::string title{"TSClient"};
    bool mainVisible{false};
    bool minimised{false};
    bool loginVisible{true};
    std::optional<AccountMode> accountShown;
    AccountForm form;
    LoginPair login{"Ann", "pw"};
    std::optional<LoginField> focused;
    std::vector<LoginPair> storedUserInfo;
    std::optional<View> view;
    bool busyCursor{false};
    std::vector<std::pair<int, std::string>> chatLines;
    int arenasPrepared{0};
    int pingTimerStops{0};
    int ended{0};
    int restored{0};
    bool updateRuns{false};
    int updates{0};

    LobbyViews views() { return {*this, *this, *this, *this, *this, *this, *this, *this, *this}; }

    // MessageView.
    MessageResult showMessage(Text text, Text title, MessageStyle) override {
        messages.emplace_back(number(text), number(title));
        if (whileMessageOpen) whileMessageOpen();
        return answer;
    }
    void showServerText(const std::string& text) override { serverTexts.push_back(text); }
    std::string text(Text text) override { return "text " + std::to_string(number(text)); }

    // LobbyView.
    void setMainTitle(const std::string& t) override { title = t; }
    void showMainWindow() override { mainVisible = true; }
    void hideMainWindow() override { mainVisible = false; }
    void restoreMainWindow() override { ++restored, mainVisible = true, minimised = false; }
    void minimiseMainWindow() override { minimised = true; }
    void selectView(View v) override { view = v; }
    void setBusyCursor(bool busy) override { busyCursor = busy; }
    bool runUpdate(const std::string&, const std::string&, int32_t) override {
        return ++updates, updateRuns;
    }
    void endProgram() override { ++ended; }

    // AccountView.
    void showLoginWindow() override { loginVisible = true; }
    void hideLoginWindow() override { loginVisible = false; }
    LoginPair loginFields() override { return login; }
    void setLoginFields(const LoginPair& fields) override { login = fields; }
    void focusLoginField(LoginField field) override { focused = field; }
    void showAccountWindow(AccountMode mode) override { accountShown = mode; }
    void hideAccountWindow() override { accountShown.reset(); }
    AccountForm accountForm() override { return form; }
    void setAccountForm(const AccountForm& f) override { form = f; }
    void storeUserInfo(const LoginPair& pair) override { storedUserInfo.push_back(pair); }

    // The arena's views.
    void stopPingTimer() override { ++pingTimerStops; }
    void addSystemLine(Text text, const std::string& argument) override {
        chatLines.emplace_back(number(text), argument);
    }
    void prepareArena() override { ++arenasPrepared; }
};

}  // namespace tessary::lobby::testing
