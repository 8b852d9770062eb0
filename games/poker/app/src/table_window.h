// The poker program's main window: 645 x 503, not resizable, frameless, with
// its own title bar over the table.
#pragma once

#include <QWidget>

#include "artwork.h"
#include "title_bar.h"
#include "table_view.h"

namespace tessary::poker {

class SoundPlayer;

class TableWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{645, 503};
    static constexpr const char* kTitle = "Tessary Poker";

    // `helpPage` is the local help file the "?" button opens.
    TableWindow(PokerGame& game, const Artwork& art, SoundPlayer* sound, QString helpPage);
    ~TableWindow() override;

    TableView* view() const { return view_; }
    TitleBar* titleBar() const { return titleBar_; }

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void openHelp();
    PokerGame& game_;
    TitleBar* titleBar_;
    TableView* view_;
    SoundPlayer* sound_;
    QString helpPage_;
};

}  // namespace tessary::poker
