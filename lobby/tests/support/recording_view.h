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

class RecordingView : public AllLobbyViews {
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
    // Every call, in order, as a short line ("message 44/45", "hideLogin").
    std::vector<std::string> calls;

    // MessageView.
    MessageResult showMessage(Text text, Text title, MessageStyle) override {
        messages.emplace_back(number(text), number(title));
        log("message " + std::to_string(number(text)) + "/" + std::to_string(number(title)));
        if (whileMessageOpen) whileMessageOpen();
        return answer;
    }
    void showServerText(const std::string& text) override {
        serverTexts.push_back(text);
        log("serverText " + text);
    }
    std::string text(Text text) override { return "text " + std::to_string(number(text)); }

    // LobbyView.
    void setMainTitle(const std::string& t) override { title = t, log("title " + t); }
    void showMainWindow() override { mainVisible = true, log("showMain"); }
    void hideMainWindow() override { mainVisible = false, log("hideMain"); }
    void restoreMainWindow() override {
        ++restored, mainVisible = true, minimised = false;
        log("restoreMain");
    }
    void minimiseMainWindow() override { minimised = true, log("minimiseMain"); }
    void selectView(View v) override {
        view = v;
        log(v == View::Router ? "routerView" : "arenaView");
    }
    void setBusyCursor(bool busy) override { busyCursor = busy, log(busy ? "busy" : "notBusy"); }
    bool runUpdate(const std::string&, const std::string&, int32_t) override {
        log("update");
        return ++updates, updateRuns;
    }
    void endProgram() override { ++ended, log("end"); }

    // AccountView.
    void showLoginWindow() override { loginVisible = true, log("showLogin"); }
    void hideLoginWindow() override { loginVisible = false, log("hideLogin"); }
    LoginPair loginFields() override { return login; }
    void setLoginFields(const LoginPair& fields) override {
        login = fields;
        log("setLogin " + fields.name);
    }
    void focusLoginField(LoginField field) override {
        focused = field;
        log(field == LoginField::Name ? "focusName" : "focusPassword");
    }
    void showAccountWindow(AccountMode mode) override {
        accountShown = mode;
        log(mode == AccountMode::Create ? "showAccountCreate" : "showAccountModify");
    }
    void hideAccountWindow() override { accountShown.reset(), log("hideAccount"); }
    AccountForm accountForm() override { return form; }
    void setAccountForm(const AccountForm& f) override { form = f, log("setForm"); }
    void storeUserInfo(const LoginPair& pair) override {
        storedUserInfo.push_back(pair);
        log("store " + pair.name + "/" + pair.password);
    }

    // The arena's views.
    void stopPingTimer() override { ++pingTimerStops, log("stopPings"); }
    void startPingTimer() override { log("startPings"); }
    void showRouters(const std::vector<RouterEntry>& routers, int current) override {
        log("routers " + std::to_string(routers.size()) + " current " + std::to_string(current));
    }
    void showArenas(const std::vector<controls::ArenaRow>& rows) override {
        std::string line = "arenas";
        for (const auto& row : rows) line += " " + row.name + "/" + row.countText;
        log(line);
    }
    void showPing(int row, int ping) override {
        log("ping " + std::to_string(row) + " " + std::to_string(ping));
    }
    void addSystemLine(Text text, const std::string& argument) override {
        chatLines.emplace_back(number(text), argument);
        log("chat " + std::to_string(number(text)) + " " + argument);
    }
    void prepareArena() override { ++arenasPrepared, log("prepareArena"); }

private:
    void log(std::string line) { calls.push_back(std::move(line)); }
};

}  // namespace tessary::lobby::testing
