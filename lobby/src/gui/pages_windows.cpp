#include "lobby/pages_windows.h"

#include <QPixmap>
#include <filesystem>

#include "lobby/lobby_settings.h"
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
constexpr int kDetailRowHeight = 18;

QString shown(const std::string& text) { return desktop::fromAnsi(text); }

template <typename Widget>
Widget* placed(skin::SkinnedDialog& dialog, std::string_view layout, std::string_view area) {
    auto* widget = new Widget(&dialog);
    widget->setGeometry(layoutArea(windowLayout(layout), area));
    widget->setFont(defaultFont());
    return widget;
}

void fillRows(QListWidget& list, const PlayerCard& card) {
    list.clear();
    const std::pair<const char*, const std::string*> details[] = {
        {"Name", &card.name},        {"E-mail", &card.email},
        {"Real name", &card.realName}, {"Country", &card.country},
        {"Home page", &card.homePage},
    };
    for (const auto& [label, value] : details) {
        list.addItem(QString("%1:  %2").arg(label, shown(*value)));
    }
    list.addItem(QString("Gender:  %1").arg(QChar(card.gender)));
    list.addItem(QString("About:  %1").arg(shown(card.description)));
    for (const auto& [game, statistics] : card.games) {
        list.addItem(QString("%1:  %2").arg(shown(game), shown(statistics)));
    }
}

QListWidget* rowList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setFont(defaultFont());
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setStyleSheet("QListWidget { background: black; color: white; border: 0; }");
    list->setWordWrap(true);
    return list;
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
    message_ = placed<QPlainTextEdit>(*page_, "page", "message");
    const auto& toggle = windowLayout("page").switches.front();
    allBuddies_ = new ToggleSwitch(page_.get(), {toggle.x, toggle.y}, skin::skinPath(toggle.off),
                                  skin::skinPath(toggle.on), false);
    QObject::connect(page_.get(), &skin::SkinnedDialog::accepted, [this] { pages_->sendPage(); });
    QObject::connect(page_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandMinimise) page_->showMinimized();
    });

    read_ = layoutDialog(parent_, "page reply");
    sender_ = placed<QLabel>(*read_, "page reply", "sender");
    received_ = placed<QPlainTextEdit>(*read_, "page reply", "message");
    received_->setReadOnly(true);
    QObject::connect(read_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandReply) read_->hide(), pages_->reply();
        if (command == kCommandMinimise) read_->showMinimized();
    });

    buddies_ = layoutDialog(parent_, "buddies");
    buddyList_ = placed<QListWidget>(*buddies_, "buddies", "buddy list");
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
    infoPhoto_ = placed<QLabel>(*info_, "player information", "photo");
    infoPhoto_->setScaledContents(true);
    infoRows_ = rowList(info_.get());
    infoRows_->setGeometry(layoutArea(windowLayout("player information"), "details"));
    QObject::connect(info_.get(), &skin::SkinnedDialog::command, [this](int command) {
        if (command == kCommandAddBuddy) pages_->addBuddy(infoName_);
    });
}

void PagesWindows::placeOwnPanel(QWidget* routerPanel, QRect area) {
    ownPhoto_ = new QLabel(routerPanel);
    ownPhoto_->setGeometry(area.x() + 10, area.y() + 24, 128, 128);
    ownPhoto_->setScaledContents(true);
    ownRows_ = rowList(routerPanel);
    ownRows_->setGeometry(area.x() + 150, area.y() + 24, area.width() - 160,
                          area.height() - 24 - kDetailRowHeight);
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
    buddyList_->clear();
    for (const auto& name : pages_->openBuddies()) buddyList_->addItem(shown(name));
    show(*buddies_);
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
    if (ownPhoto_ != nullptr) ownPhoto_->setPixmap(photoPixmap(photo));
}

void PagesWindows::showPlayerInfo(const PlayerCard& card) {
    build();
    infoName_ = card.name;
    info_->setWindowTitle(QString::fromUtf8(kPlayerInfoTitle.data()) + shown(card.name));
    fillRows(*infoRows_, card);
    infoPhoto_->setPixmap(photoPixmap({}));
    show(*info_);
}

bool PagesWindows::playerInfoOpen(const std::string& name) {
    return info_ && info_->isVisible() && infoName_ == name;
}

void PagesWindows::showPlayerPhoto(const std::string&, const PhotoSource& photo) {
    if (!info_) return;
    infoPhoto_->setPixmap(photoPixmap(photo));
}

std::filesystem::path PagesWindows::photoFile(std::string_view name) { return cacheFilePath(name); }

std::string PagesWindows::gameTitle(const std::string& label) { return label; }

}  // namespace tessary::lobby
