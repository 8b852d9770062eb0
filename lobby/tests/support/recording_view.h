// Views that record what the controllers ask of the windows, and a Lobby
// built over them.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
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

    // NewsView.
    void showNews(const std::vector<std::string>& lines) override {
        log("news " + std::to_string(lines.size()));
    }
    void showAdvertisements(const std::vector<Advertisement>& ads) override {
        std::string names;
        for (const auto& ad : ads) names += " " + ad.fileName + "/" + std::to_string(ad.displayMilliseconds);
        log("ads" + names);
    }

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
    // Chat: system lines are logged by their text and arguments; the lines
    // shown are kept apart ("tab: text") so that the flows' rows stay short.
    std::vector<std::string> shownLines;
    int tabRedraws{0};
    int flashes{0};
    std::map<std::string, controls::IgnoreList> ignoreLists;
    std::string systemText(Text text, const std::vector<std::string>& arguments) override {
        std::string line = "chat " + std::to_string(number(text));
        for (const auto& argument : arguments) line += " " + argument;
        chatLines.emplace_back(number(text), arguments.empty() ? std::string() : arguments.front());
        log(line);
        return line;
    }
    void showTabs() override { ++tabRedraws; }
    void showLine(int tab, const controls::ChatLine& line) override {
        shownLines.push_back(std::to_string(tab) + ": " + line.text);
    }
    void flashWindow() override { ++flashes; }
    controls::IgnoreList loadIgnoreList(const std::string& user) override { return ignoreLists[user]; }
    void storeIgnoreList(const std::string& user, const controls::IgnoreList& list) override {
        ignoreLists[user] = list;
        log("storeIgnore " + std::to_string(list.names().size()));
    }
    void prepareArena() override { ++arenasPrepared, log("prepareArena"); }
    void showPlayers() override { log("players"); }
    std::string menuText(Text text, const std::string& name) override {
        return std::to_string(number(text)) + " " + name;
    }

    // Sessions.
    std::optional<bool> spectatorAnswer{false};
    std::optional<std::string> passwordAnswer{"secret"};
    void sessionsChanged() override { log("sessions"); }
    void setPlayerSession(const std::string& player, const std::string& session, int32_t flags) override {
        log("member " + player + " " + session + " " + std::to_string(flags));
    }
    void showInSession(const std::string& session) override { log("inSession " + session); }
    void enableButton(SessionButton button, bool enabled) override {
        log(std::string(enabled ? "enable " : "disable ") + (button == SessionButton::Create ? "create" : "start"));
    }
    std::optional<bool> askSpectator() override {
        log("askSpectator");
        return spectatorAnswer;
    }
    std::optional<std::string> askPassword(const std::string&) override {
        log("askPassword");
        return passwordAnswer;
    }
    void showSessionInformation(std::size_t game, const SessionEntry& session) override {
        log("information " + std::to_string(game) + " " + session.name + " " + session.options);
    }
    MessageResult showFormatted(Text text, const std::vector<std::string>& arguments, const std::string& title,
                                MessageStyle) override {
        std::string line = "formatted " + std::to_string(number(text));
        for (const auto& a : arguments) line += " " + a;
        log(line + " / " + title);
        return answer;
    }
    void focusCreateField(int field) override { log("focus " + std::to_string(field)); }
    void hideCreateWindow() override { log("hideCreate"); }

    // Pages and buddies.
    PageForm page;
    std::vector<std::string> buddies{"Dee", "Eve"};
    bool removalAnswer{true};
    std::string question;
    void showPageWrite(const PageForm& f) override { page = f, log("pageWrite " + f.recipients); }
    void showPageRead(const std::string& sender, const std::string& message) override {
        log("pageRead " + sender + ": " + message);
    }
    PageForm pageForm() override { return page; }
    void focusPageField(PageField field) override {
        log(field == PageField::Recipients ? "focusRecipients" : "focusMessage");
    }
    void closePage() override { log("closePage"); }
    void playSound(LobbySound sound) override {
        const char* names[] = {"pagesend", "pagereceive", "connectarena"};
        log(std::string("sound ") + names[static_cast<int>(sound)]);
    }
    std::vector<std::string> loadBuddies() override { return buddies; }
    void storeBuddies(const std::vector<std::string>& names) override {
        buddies = names;
        log("storeBuddies " + std::to_string(names.size()));
    }
    void showBuddies(const std::vector<std::string>& names) override {
        log("showBuddies " + std::to_string(names.size()));
    }
    bool confirmRemoval(const std::string& q) override {
        question = q;
        log("confirmRemoval");
        return removalAnswer;
    }
    void showSearchAnswer(const SearchAnswer& a) override {
        log(a.found ? "found " + a.player + " in " + a.arena : "notFound");
    }
    void closeSearch() override { log("closeSearch"); }

    // Player information.
    std::filesystem::path photoFolder;
    std::vector<std::string> openInfo;
    std::optional<PlayerCard> ownCard, infoCard;
    void showOwnInfo(const PlayerCard& card) override { ownCard = card, log("ownInfo " + card.name); }
    void showOwnPhoto(const PhotoSource& photo) override { log("ownPhoto " + describe(photo)); }
    void showPlayerInfo(const PlayerCard& card) override {
        infoCard = card;
        log("playerInfo " + card.name);
    }
    bool playerInfoOpen(const std::string& name) override {
        return std::find(openInfo.begin(), openInfo.end(), name) != openInfo.end();
    }
    void showPlayerPhoto(const std::string& name, const PhotoSource& photo) override {
        log("playerPhoto " + name + " " + describe(photo));
    }
    std::filesystem::path photoFile(std::string_view name) override { return photoFolder / name; }
    std::string gameTitle(const std::string& label) override {
        return label == "poker" ? "Texas poker" : label;
    }

private:
    static std::string describe(const PhotoSource& photo) {
        if (photo.stock > 0) return "stock " + std::to_string(photo.stock);
        if (!photo.file.empty()) return "file " + photo.file.filename().string();
        return "default";
    }
    void log(std::string line) { calls.push_back(std::move(line)); }
};

}  // namespace tessary::lobby::testing
