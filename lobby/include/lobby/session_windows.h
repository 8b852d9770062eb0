// The session windows: one SessionWindow per game, built from the game's
// config.tsc and used to create a session or to show one, and the small
// questions a session asks (password, player or spectator, which game).
#pragma once

#include <QColor>
#include <QLineEdit>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lobby/sessions_controller.h"
#include "skin/skinned_dialog.h"

namespace tessary::controls {
class Spinner;
}

namespace tessary::lobby {

class OptionWidgets;

class SessionWindow : public skin::SkinnedDialog {
    Q_OBJECT

public:
    enum class Mode { Create, Information };
    static constexpr int kFieldName = 1033;
    static constexpr int kFieldPlayers = 1034;
    static constexpr int kFieldSpectators = 1040;
    static constexpr int kNameLength = 15;
    static constexpr int kCommandCreate = 1;
    static constexpr int kCommandQuit = 2;
    static constexpr int kCommandPrivate = 129;
    static constexpr int kCommandPrevious = 1038;
    static constexpr int kCommandNext = 1039;

    // `pages` are the game's option controls (SessionGames owns them).
    SessionWindow(QWidget* parent, const SessionGame& game, OptionPages& pages);
    ~SessionWindow() override;

    // Create mode: defaults, first page, editable, shown.
    void openCreate();
    // Information mode: the session's values and options, read-only.
    void openInformation(const SessionEntry& session);

    Mode mode() const { return mode_; }
    std::size_t page() const { return page_; }
    std::size_t pageCount() const;
    void showPage(std::size_t page);
    // The fields and the option line as the create request takes them.
    CreateRequest request() const;
    const std::string& password() const { return password_; }
    void focusField(int field);

    QLineEdit* nameField() const { return name_; }
    controls::Spinner* playersField() const { return players_; }
    controls::Spinner* spectatorsField() const { return spectators_; }
    OptionWidgets& options() const { return *options_; }
    // The visible button with this command, or null.
    skin::BitmapButton* button(int command) const;
    // The password window's answer; the default opens the window.
    std::function<std::optional<std::string>(const std::string& current)> askPassword;

signals:
    void createRequested();
    // Quit or exit in create mode.
    void closedWithoutCreating();

protected:
    void onCommand(int commandId) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addButton(const skin::SkinRect& rect, int command, const char* prefix, int pictures);
    void filterName();
    void close(bool cancelled);

    const SessionGame& game_;
    OptionPages& pages_;
    std::unique_ptr<OptionWidgets> options_;
    QLineEdit* name_;
    controls::Spinner* players_;
    controls::Spinner* spectators_;
    std::vector<skin::BitmapButton*> buttons_;
    std::string password_;
    std::size_t page_{0};
    Mode mode_{Mode::Create};
};

// The widgets over a game's option controls: each control gets the window
// of its kind at its rectangle; edits go to the control, and refresh() shows
// the controls' values, enabled and visible state again.
class OptionWidgets {
public:
    OptionWidgets(QWidget& window, OptionPages& pages, const std::string& directory, const QColor& captionColour);
    ~OptionWidgets();
    void refresh();
    // The window of `control` (nested ones included), null when it has none.
    QWidget* widgetOf(const OptionControl& control) const;

private:
    struct Bound;
    void build(OptionChain& chain);

    QWidget& window_;
    std::string directory_;
    QColor captionColour_;
    std::vector<std::unique_ptr<Bound>> bound_;
};

// The questions. Each opens a modal skinned window over `parent`.
// Player (false) or spectator (true); nothing on Cancel.
std::optional<bool> askPlayerOrSpectator(QWidget* parent);
// The password typed (at most 10 characters); nothing on Cancel.
std::optional<std::string> askSessionPassword(QWidget* parent, const std::string& current);
// The chosen index of `fullNames`; nothing on Cancel.
std::optional<std::size_t> askGameChoice(QWidget* parent, const std::vector<std::string>& fullNames);

}  // namespace tessary::lobby
