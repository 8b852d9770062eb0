// The windows of pages, buddies, the player search and player information,
// and the router view's own information panel: the views of the pages and
// player information controllers.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <array>
#include <functional>
#include <memory>

#include "controls/label_list.h"
#include "controls/skinned_list_box.h"
#include "lobby/pages_controller.h"
#include "lobby/player_info_controller.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby {

class SessionGames;
class ToggleSwitch;

class PagesWindows : public PagesView, public PlayerInfoView {
public:
    // `messages` shows the message boxes; `panel` is the router view's own
    // information area of `parent`.
    PagesWindows(QWidget* parent, MessageView& messages);
    ~PagesWindows() override;

    // The controllers' commands reach them through these.
    void connectTo(PagesController& pages);
    // The catalogue whose full names replace the game rows' labels.
    void setGames(const SessionGames* games) { games_ = games; }
    void placeOwnPanel(QWidget* routerPanel, QRect area);
    void openSearch();
    void openBuddies();
    // The stock photo chooser over `owner` at `current` (1..count, else 1);
    // OK hands the number shown in the middle to `chosen`.
    void choosePhoto(QWidget* owner, int32_t count, int32_t current, std::function<void(int32_t)> chosen);

    skin::SkinnedDialog* pageWindow() const { return page_.get(); }
    skin::SkinnedDialog* readWindow() const { return read_.get(); }
    skin::SkinnedDialog* buddyWindow() const { return buddies_.get(); }
    skin::SkinnedDialog* searchWindow() const { return search_.get(); }
    skin::SkinnedDialog* infoWindow() const { return info_.get(); }
    skin::SkinnedDialog* photoWindow() const { return chooser_.get(); }
    controls::SkinnedTextEdit* messageField() const { return message_; }
    controls::SkinnedTextEdit* receivedField() const { return received_; }
    QLineEdit* searchField() const { return searchName_; }
    QLabel* foundArenaField() const { return foundArena_; }
    controls::SkinnedListBox* buddyList() const { return buddyList_; }
    controls::LabelList* ownRows() const { return ownRows_; }
    controls::LabelList* infoRows() const { return infoRows_; }
    // What the panel, the information window and the chooser show.
    const PhotoSource& ownPhoto() const { return ownPhotoShown_; }
    const PhotoSource& infoPhoto() const { return infoPhotoShown_; }
    const std::array<int32_t, 3>& chooserPictures() const { return chooserShown_; }

    // MessageView.
    MessageResult showMessage(Text text, Text title, MessageStyle style) override;
    void showServerText(const std::string& text) override;
    std::string text(Text text) override;
    // PagesView.
    void showPageWrite(const PageForm& form) override;
    void showPageRead(const std::string& sender, const std::string& message) override;
    PageForm pageForm() override;
    void focusPageField(PageField field) override;
    void closePage() override;
    void playSound(LobbySound sound) override;
    std::vector<std::string> loadBuddies() override;
    void storeBuddies(const std::vector<std::string>& names) override;
    void showBuddies(const std::vector<std::string>& names) override;
    bool confirmRemoval(const std::string& question) override;
    void showSearchAnswer(const SearchAnswer& answer) override;
    void closeSearch() override;
    // PlayerInfoView.
    void showOwnInfo(const PlayerCard& card) override;
    void showOwnPhoto(const PhotoSource& photo) override;
    void showPlayerInfo(const PlayerCard& card) override;
    bool playerInfoOpen(const std::string& name) override;
    void showPlayerPhoto(const std::string& name, const PhotoSource& photo) override;
    std::filesystem::path photoFile(std::string_view name) override;
    std::string gameTitle(const std::string& label) override;

private:
    void build();
    void buildChooser();
    void showChoice();

    QWidget* parent_;
    MessageView& messages_;
    PagesController* pages_{nullptr};
    const SessionGames* games_{nullptr};
    std::unique_ptr<skin::SkinnedDialog> page_, read_, buddies_, search_, info_, chooser_;
    QLineEdit* recipients_{nullptr};
    controls::SkinnedTextEdit* message_{nullptr};
    ToggleSwitch* allBuddies_{nullptr};
    QLabel* sender_{nullptr};
    controls::SkinnedTextEdit* received_{nullptr};
    controls::SkinnedListBox* buddyList_{nullptr};
    QLineEdit* searchName_{nullptr};
    QLabel* foundArena_{nullptr};
    QLabel* foundPlayer_{nullptr};
    QLabel* infoPhoto_{nullptr};
    controls::LabelList* infoRows_{nullptr};
    std::string infoName_;
    QLabel* ownPhoto_{nullptr};
    controls::LabelList* ownRows_{nullptr};
    PhotoSource ownPhotoShown_, infoPhotoShown_;
    std::array<QLabel*, 3> chooserPhotos_{};
    StockPhotoChoice choice_;
    std::array<int32_t, 3> chooserShown_{};
    std::function<void(int32_t)> chosen_;
};

// The picture a photo source shows, decoded by the bounded reader; the
// default photo when it is missing or does not decode.
QPixmap photoPixmap(const PhotoSource& photo);

}  // namespace tessary::lobby
