// The router view's own widgets: the Router list (choosing one logs in
// there), the arena list with its 2-second ping round, and the news. It is
// the arena list and news controllers' view; the main window only builds it.
#pragma once

#include <QTimer>
#include <string>
#include <vector>

#include "lobby/arena_list_controller.h"
#include "lobby/news_controller.h"

namespace tessary::controls {
class ArenaList;
class SkinnedListBox;
class SkinnedTextEdit;
}  // namespace tessary::controls

namespace tessary::lobby {

class Lobby;
class Publicity;
class ViewPanel;

// The news panel's text before the Router sends any.
inline constexpr const char* kNewsWelcome = "Welcome to the\nTessary.\n";

class RouterView : public ArenaListView, public NewsView {
public:
    RouterView();
    ~RouterView() override;
    RouterView(const RouterView&) = delete;
    RouterView& operator=(const RouterView&) = delete;

    // Builds the widgets in the router view `panel`; advertisements go to
    // `publicity`.
    void build(ViewPanel* panel, Lobby& lobby, Publicity* publicity);

    controls::ArenaList* arenaList() const { return arenas_; }
    controls::SkinnedListBox* routerList() const { return routers_; }
    controls::SkinnedTextEdit* news() const { return news_; }
    int selectedArenaRow() const;
    bool pingTimerActive() const { return pingTimer_.isActive(); }

    // ArenaListView.
    void showRouters(const std::vector<RouterEntry>& routers, int current) override;
    void showArenas(const std::vector<controls::ArenaRow>& rows) override;
    void showPing(int row, int ping) override;
    void startPingTimer() override;
    void stopPingTimer() override;
    // NewsView.
    void showNews(const std::vector<std::string>& lines) override;
    void showAdvertisements(const std::vector<Advertisement>& ads) override;

private:
    controls::SkinnedListBox* routers_{nullptr};
    controls::ArenaList* arenas_{nullptr};
    controls::SkinnedTextEdit* news_{nullptr};
    Publicity* publicity_{nullptr};
    QTimer pingTimer_;
};

}  // namespace tessary::lobby
