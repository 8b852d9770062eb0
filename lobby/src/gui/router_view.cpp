#include "lobby/router_view.h"

#include <QListWidgetItem>

#include "controls/arena_list.h"
#include "controls/skinned_list_box.h"
#include "desktop/ansi_text.h"
#include "lobby/lobby.h"
#include "lobby/publicity_panel.h"
#include "lobby/view_panel.h"

namespace tessary::lobby {
namespace {

constexpr int kNewsFont = 1;

}  // namespace

RouterView::RouterView() { pingTimer_.setInterval(kPingPeriodMs); }

RouterView::~RouterView() = default;

void RouterView::build(ViewPanel* panel, Lobby& lobby, Publicity* publicity) {
    publicity_ = publicity;
    auto& arenaList = lobby.arenaList();

    routers_ = new controls::SkinnedListBox(panel);
    routers_->setObjectName("router list");
    routers_->setTransparent(true);
    routers_->setSortingEnabled(true);
    routers_->place(panel->area("router list"));
    // A click, even on the Router in use, logs in there again.
    QObject::connect(routers_, &QListWidget::itemClicked, routers_, [&arenaList](QListWidgetItem* item) {
        if (item != nullptr) arenaList.chooseRouter(item->data(Qt::UserRole).toInt());
    });

    arenas_ = new controls::ArenaList(panel);
    arenas_->place(panel->area("arena list"));
    QObject::connect(arenas_, &controls::ArenaList::rowActivated, arenas_, [&lobby](int row) {
        if (!lobby.busy().busy()) lobby.arenaList().join({}, row);
    });
    QObject::connect(&pingTimer_, &QTimer::timeout, arenas_, [&arenaList] { arenaList.refreshPings(); });

    news_ = new controls::SkinnedTextEdit(panel, kNewsFont);
    news_->setObjectName("news");
    news_->setReadOnly(true);
    news_->place(panel->area("news"));
    news_->setPlainText(desktop::fromAnsi(kNewsWelcome));
    news_->syncBar();
}

int RouterView::selectedArenaRow() const { return arenas_ ? arenas_->selectedRow() : -1; }

// ---------------------------------------------------------------- ArenaListView

void RouterView::showRouters(const std::vector<RouterEntry>& routers, int current) {
    if (routers_ == nullptr) return;
    const QSignalBlocker quiet(routers_);
    routers_->clear();
    QListWidgetItem* currentItem = nullptr;
    for (std::size_t i = 0; i < routers.size(); ++i) {
        auto* item = new QListWidgetItem(desktop::fromAnsi(routers[i].name), routers_);
        item->setData(Qt::UserRole, static_cast<int>(i));
        if (static_cast<int>(i) == current) currentItem = item;
    }
    if (currentItem != nullptr) routers_->setCurrentItem(currentItem);
    routers_->syncBar();
}

void RouterView::showArenas(const std::vector<controls::ArenaRow>& rows) {
    if (arenas_) arenas_->setRows(rows);
}

void RouterView::showPing(int row, int ping) {
    if (arenas_) arenas_->setPing(row, ping);
}

void RouterView::startPingTimer() { pingTimer_.start(); }
void RouterView::stopPingTimer() { pingTimer_.stop(); }

// ---------------------------------------------------------------- NewsView

void RouterView::showNews(const std::vector<std::string>& lines) {
    if (news_ == nullptr) return;
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    news_->setPlainText(desktop::fromAnsi(text));
    news_->syncBar();
}

void RouterView::showAdvertisements(const std::vector<Advertisement>& ads) {
    if (publicity_ != nullptr) publicity_->setAdvertisements(ads);
}

}  // namespace tessary::lobby
