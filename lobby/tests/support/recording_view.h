// A LobbyView that records what the conversations ask of the windows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/lobby_view.h"

namespace tessary::lobby::testing {

class RecordingView : public LobbyView {
public:
    std::vector<std::pair<int, int>> messages;
    std::vector<std::string> serverTexts;
    MessageResult answer{MessageResult::Ok};
    std::function<void()> whileMessageOpen;
    std::string title{"TSClient"};
    bool mainVisible{false};
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
    int ended{0};
    int restored{0};
    bool updateRuns{false};
    int updates{0};

    MessageResult showMessage(int text, int title, MessageStyle) override {
        messages.emplace_back(text, title);
        if (whileMessageOpen) whileMessageOpen();
        return answer;
    }
    void showServerText(const std::string& text) override { serverTexts.push_back(text); }
    std::string text(int number) override { return "text " + std::to_string(number); }
    void setMainTitle(const std::string& t) override { title = t; }
    void showMainWindow() override { mainVisible = true; }
    void hideMainWindow() override { mainVisible = false; }
    void restoreMainWindow() override { ++restored, mainVisible = true; }
    void selectView(View v) override { view = v; }
    void setBusyCursor(bool busy) override { busyCursor = busy; }
    void addChatSystemLine(int number, const std::string& argument) override {
        chatLines.emplace_back(number, argument);
    }
    void prepareArena() override { ++arenasPrepared; }
    void stopArenaPingTimer() override {}
    bool runUpdate(const std::string&, const std::string&, int32_t) override {
        return ++updates, updateRuns;
    }
    void endProgram() override { ++ended; }
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
};

}  // namespace tessary::lobby::testing
