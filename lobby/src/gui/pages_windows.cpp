#include "lobby/pages_windows.h"

#include <QPixmap>
#include <filesystem>

#include "controls/label_list.h"
#include "controls/skinned_list_box.h"
#include "lobby/lobby_settings.h"
#include "lobby/session_games.h"
#include "lobby/skin_extras.h"
#include "lobby/toggle_switch.h"
#include "lobby/user_files.h"
#include "desktop/ansi_text.h"
#include "skin/image_loader.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {
namespace {

constexpr int kCommandMinimise = 108;
constexpr int kCommandSearch = 1030;
constexpr int kCommandGo = 1031;
constexpr int kCommandReply = 1032;
constexpr int kCommandRemove = 1036;
constexpr int kCommandAddBuddy = 123;
constexpr int kCommandPhotoBack = 1034;
constexpr int kCommandPhotoNext = 1035;
constexpr int kPanelMargin = 10;
constexpr int kPanelPhotoSide = 128;

QString shown(const std::string& text) { return desktop::fromAnsi(text); }

template <typename Widget>
Widget* placed(skin::SkinnedDialog& dialog, std::string_view layout, std::string_view area) {
    auto* widget = new Widget(&dialog);
    widget->setGeometry(layoutArea(windowLayout(layout), area));
    widget->setFont(defaultFont());
    return widget;
}

// The details first, then one row per game; the card's texts are already
// bounded and blanked.
void fillRows(controls::LabelList& list, const PlayerCard& card) {
    std::vector<std::string> labels{"Name", "E-mail", "Real name", "Country", "Home page", "Gender", "About"};
    std::vector<std::string> values{card.name,    card.email,   card.realName, card.country,
                                    card.homePage, std::string(1, card.gender), card.description};
    for (const auto& [game, statistics] : card.games) {
        labels.push_back(game);
        values.push_back(statistics);
    }
    list.setRows(std::move(labels), std::move(values));
}

QLabel* photoLabel(QWidget* parent, const QRect& area) {
    auto* label = new QLabel(parent);
    label->setGeometry(area);
    label->setScaledContents(true);
    return label;
}

void show(skin::SkinnedDialog& dialog) {
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

}  // namespace

QPixmap photoPixmap(const PhotoSource& photo) {
    std::string path;
    if (photo.stock > 0) {
        path = skin::applicationPath("data\\Picture\\" + std::to_string(photo.stock) + ".jpg").string();
    } else if (!photo.file.empty()) {
        path = photo.file.string();
    }
    QImage image;
    // The default photo stands in for a missing or broken one: a received
    // picture is never a reason to end the program.
    if (path.empty() || skin::decodeImageFile(path, image) != skin::ImageFileError::None) {
        image = QImage();
        const auto fallback = skin::applicationPath("data\\picture\\defaultphoto.jpg").string();
        if (skin::decodeImageFile(fallback, image) != skin::ImageFileError::None) image = QImage();
    }
    return QPixmap::fromImage(image);
}

PagesWindows::PagesWindows(QWidget* parent, MessageView& messages)
    : parent_(parent), messages_(messages) {}

PagesWindows::~PagesWindows() = default;

void PagesWindows::connectTo(PagesController& pages) { pages_ = &pages; }

// Built at first use: a skin without these windows' pictures still starts.
void PagesWindows::build() {
    if (page_) return;
    page_ = layoutDialog(parent_, "page");
    recipients_ = placed<QLineEdit>(*page_, "page", "recipients");
    recipients_->setMaxLength(static_cast<int>(kRecipientsLimit));
    message_ = new controls::SkinnedTextEdit(page_.get(), 0);
    message_->place(layoutArea(windowLayout("page"), "message"));
    const auto& toggle = windowLayout("page").switches.front();
    allBuddies_ = new ToggleSwitch(page_.get(), {toggle.x, toggle.y}, skin::skinPath(toggle.off),
                                  skin::skinPath(toggle.on), false);
    QObject::connect(page_.get(), &skin::SkinnedDialog::accepted, [this] { pages_->sendPage(); });
    QObject::connect(page_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandMinimise) page_->showMinimized();
    });

    read_ = layoutDialog(parent_, "page reply");
    sender_ = placed<QLabel>(*read_, "page reply", "sender");
    received_ = new controls::SkinnedTextEdit(read_.get(), 0);
    received_->place(layoutArea(windowLayout("page reply"), "message"));
    received_->setReadOnly(true);
    QObject::connect(read_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandReply) read_->hide(), pages_->reply();
        if (command == kCommandMinimise) read_->showMinimized();
    });

    buddies_ = layoutDialog(parent_, "buddies");
    buddyList_ = new controls::SkinnedListBox(buddies_.get());
    buddyList_->place(layoutArea(windowLayout("buddies"), "buddy list"));
    buddyList_->setSelectionMode(QAbstractItemView::MultiSelection);
    QObject::connect(buddies_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command != kCommandRemove) return;
        std::vector<std::size_t> rows;
        for (int row = 0; row < buddyList_->count(); ++row) {
            if (buddyList_->item(row)->isSelected()) rows.push_back(static_cast<std::size_t>(row));
        }
        pages_->removeBuddies(rows);
        openBuddies();
    });
    QObject::connect(buddies_.get(), &skin::SkinnedDialog::finished, [this] { pages_->closeBuddies(); });

    search_ = layoutDialog(parent_, "player search");
    searchName_ = placed<QLineEdit>(*search_, "player search", "player name");
    foundArena_ = placed<QLabel>(*search_, "player search", "found arena");
    foundPlayer_ = placed<QLabel>(*search_, "player search", "found player");
    QObject::connect(search_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandSearch) pages_->search(desktop::toAnsi(searchName_->text()));
        if (command == kCommandGo) pages_->go();
    });

    info_ = layoutDialog(parent_, "player information");
    infoPhoto_ = photoLabel(info_.get(), layoutArea(windowLayout("player information"), "photo"));
    infoRows_ = new controls::LabelList(info_.get());
    infoRows_->place(layoutArea(windowLayout("player information"), "details"));
    QObject::connect(info_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandAddBuddy) pages_->addBuddy(infoName_);
    });
}

void PagesWindows::buildChooser() {
    if (chooser_) return;
    chooser_ = layoutDialog(parent_, "photo choice");
    chooser_->setWindowModality(Qt::ApplicationModal);
    const auto& layout = windowLayout("photo choice");
    const char* areas[] = {"photo before", "photo", "photo after"};
    for (std::size_t i = 0; i < chooserPhotos_.size(); ++i) {
        chooserPhotos_[i] = photoLabel(chooser_.get(), layoutArea(layout, areas[i]));
    }
    QObject::connect(chooser_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandPhotoBack) choice_.back(), showChoice();
        if (command == kCommandPhotoNext) choice_.next(), showChoice();
    });
    QObject::connect(chooser_.get(), &skin::SkinnedDialog::accepted, [this] {
        if (chosen_) chosen_(choice_.current);
    });
}

void PagesWindows::choosePhoto(QWidget* owner, int32_t count, int32_t current,
                               std::function<void(int32_t)> chosen) {
    buildChooser();
    count = std::max(count, 1);
    choice_ = {count, current >= 1 && current <= count ? current : 1};
    chosen_ = std::move(chosen);
    showChoice();
    if (owner != nullptr) {
        chooser_->move(owner->geometry().center() - QPoint(chooser_->width() / 2, chooser_->height() / 2));
    }
    show(*chooser_);
}

void PagesWindows::showChoice() {
    chooserShown_ = choice_.shown();
    for (std::size_t i = 0; i < chooserPhotos_.size(); ++i) {
        chooserPhotos_[i]->setPixmap(photoPixmap({chooserShown_[i], {}}));
    }
}

// The panel's caption is drawn above its area.
void PagesWindows::placeOwnPanel(QWidget* routerPanel, QRect area) {
    const int top = area.y() + kPanelMargin;
    ownPhoto_ = photoLabel(routerPanel, {area.x() + kPanelMargin, top, kPanelPhotoSide, kPanelPhotoSide});
    ownRows_ = new controls::LabelList(routerPanel);
    const int left = kPanelMargin + kPanelPhotoSide + kPanelMargin;
    ownRows_->place({area.x() + left, top, area.width() - left - kPanelMargin, area.height() - 2 * kPanelMargin});
}

void PagesWindows::openSearch() {
    build();
    foundArena_->clear();
    foundPlayer_->clear();
    show(*search_);
    searchName_->setFocus();
}

void PagesWindows::openBuddies() {
    build();
    showBuddies(pages_->openBuddies());
    show(*buddies_);
}

void PagesWindows::showBuddies(const std::vector<std::string>& names) {
    buddyList_->clear();
    for (const auto& name : names) buddyList_->addItem(shown(name));
    buddyList_->syncBar();
}

// ---------------------------------------------------------------- messages

MessageResult PagesWindows::showMessage(Text text, Text title, MessageStyle style) {
    return messages_.showMessage(text, title, style);
}
void PagesWindows::showServerText(const std::string& text) { messages_.showServerText(text); }
std::string PagesWindows::text(Text text) { return messages_.text(text); }

// ---------------------------------------------------------------- pages

void PagesWindows::showPageWrite(const PageForm& form) {
    build();
    recipients_->setText(shown(form.recipients));
    message_->clear();
    allBuddies_->setOn(form.allBuddies);
    show(*page_);
}

void PagesWindows::showPageRead(const std::string& sender, const std::string& message) {
    build();
    read_->setWindowTitle("Page - " + shown(sender));
    sender_->setText(shown(sender));
    received_->setPlainText(shown(message));
    show(*read_);
}

PageForm PagesWindows::pageForm() {
    build();
    return {desktop::toAnsi(recipients_->text()), desktop::toAnsi(message_->toPlainText()),
            allBuddies_->isOn()};
}

void PagesWindows::focusPageField(PageField field) {
    build();
    // OK has already hidden the window; the player goes on writing.
    show(*page_);
    (field == PageField::Recipients ? static_cast<QWidget*>(recipients_) : message_)->setFocus();
}

void PagesWindows::closePage() {
    if (page_) page_->hide();
}

void PagesWindows::playSound(LobbySound sound) {
    switch (sound) {
        case LobbySound::PageSend:
            skin::playLobbySound("pagesend.wav", desktop::SoundWait::Async, desktop::WhenBusy::Skip);
            break;
        case LobbySound::PageReceive:
            skin::playLobbySound("pagereceive.wav", desktop::SoundWait::Sync, desktop::WhenBusy::Skip);
            break;
        case LobbySound::ConnectArena: break;  // the go button plays it
    }
}

std::vector<std::string> PagesWindows::loadBuddies() { return LobbySettings().buddies(); }

void PagesWindows::storeBuddies(const std::vector<std::string>& names) {
    (void)LobbySettings().writeBuddies(names);
}

bool PagesWindows::confirmRemoval(const std::string& question) {
    return skin::MessageBox::show(buddies_ ? buddies_.get() : parent_, question, text(Text::TitleBuddies),
                                  skin::MessageBox::OkCancel) == skin::MessageBox::Ok;
}

void PagesWindows::showSearchAnswer(const SearchAnswer& answer) {
    build();
    foundArena_->setText(answer.found ? shown(answer.arena) : QString());
    foundPlayer_->setText(answer.found ? shown(answer.player) : QString());
}

void PagesWindows::closeSearch() {
    if (search_) search_->hide();
}

// ---------------------------------------------------------------- information

void PagesWindows::showOwnInfo(const PlayerCard& card) {
    if (ownRows_ != nullptr) fillRows(*ownRows_, card);
}

void PagesWindows::showOwnPhoto(const PhotoSource& photo) {
    ownPhotoShown_ = photo;
    if (ownPhoto_ != nullptr) ownPhoto_->setPixmap(photoPixmap(photo));
}

void PagesWindows::showPlayerInfo(const PlayerCard& card) {
    build();
    infoName_ = card.name;
    info_->setWindowTitle(QString::fromUtf8(kPlayerInfoTitle.data()) + shown(card.name));
    fillRows(*infoRows_, card);
    infoPhotoShown_ = {};
    infoPhoto_->setPixmap(photoPixmap({}));
    show(*info_);
}

bool PagesWindows::playerInfoOpen(const std::string& name) {
    return info_ && info_->isVisible() && infoName_ == name;
}

void PagesWindows::showPlayerPhoto(const std::string&, const PhotoSource& photo) {
    if (!info_) return;
    infoPhotoShown_ = photo;
    infoPhoto_->setPixmap(photoPixmap(photo));
}

std::filesystem::path PagesWindows::photoFile(std::string_view name) { return cacheFilePath(name); }

std::string PagesWindows::gameTitle(const std::string& label) {
    return games_ != nullptr ? games_->title(label) : label;
}

}  // namespace tessary::lobby
