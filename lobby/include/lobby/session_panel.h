// The arena view's session list ("SessionList", command 1016): one tile per
// session with its game's picture, the state over it (open, started,
// private), the name and the counts, laid out in rows and scrolled by the
// lobby's scroll bar. It shows a list the sessions controller keeps; clicks
// select, a double click and the right button ask the owner to act.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "controls/scroll_geometry.h"
#include "controls/session_tiles.h"
#include "lobby/sessions_controller.h"
#include "skin/skin_image.h"

namespace tessary::controls {
class Scrollbar;
}

namespace tessary::lobby {

// A game's session picture is read only within these bounds; a file beyond
// them, or one that does not decode, shows the unknown-game picture.
inline constexpr std::uintmax_t kMaxSessionPictureBytes = 256 * 1024;
inline constexpr int kMaxSessionPictureSide = 256;
// Games beyond this many share the unknown-game picture.
inline constexpr std::size_t kMaxSessionPictures = 32;

// The .bmp at `file` through the bounded reader; a null image when it is
// missing, too large or broken.
QImage readSessionPicture(const std::filesystem::path& file);

class SessionPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCommandId = 1016;
    static inline const QColor kSelectedBackground{0, 0, 130};
    static inline const QColor kPlayersColour{155, 155, 155};
    static inline const QColor kSpectatorsColour{100, 100, 100};

    SessionPanel(QWidget* parent, const QRect& area);
    ~SessionPanel() override;

    // "session.bmp" of each game folder, by catalogue index.
    void setGameFolders(const std::vector<std::filesystem::path>& folders);
    // The list shown (kept by the owner); call refresh() after it changes.
    void setSessions(const std::vector<SessionEntry>* sessions);
    void refresh();

    // The selected tile, -1 for none (kept by name across list changes).
    int selected() const;
    const SessionEntry* selectedEntry() const;
    void select(int index);
    int tileAt(QPoint point) const;
    int firstRow() const { return firstRow_; }
    const controls::SessionTiles& tiles() const { return tiles_; }
    controls::Scrollbar* scrollbar() const { return bar_; }
    // The picture a tile of this game shows.
    const QImage& pictureFor(std::size_t gameIndex) const;
    void scroll(controls::ScrollRequest request, int position = 0);

signals:
    void tileActivated(int index);  // double click
    void menuRequested(int index, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void paintTile(QPainter& painter, const SessionEntry& entry, const controls::Box& tile, bool selected) const;

    QRect area_;
    controls::Scrollbar* bar_;
    const std::vector<SessionEntry>* sessions_{nullptr};
    std::vector<QImage> pictures_;
    QImage unknown_;
    skin::SkinImage open_, started_, private_;
    controls::SessionTiles tiles_{1, 1, 1, 1, 1, 1};
    controls::WheelAccumulator wheel_;
    std::string selected_;
    int firstRow_{0};
};

}  // namespace tessary::lobby
