// The hidden credits box: the team, each with a small picture, alternately
// on the left and the right in rows of 125 pixels, then the closing lines;
// the contents scroll up by 4 pixels a tick until the end is in view.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <vector>

namespace tessary::lobby {

class CreditsBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 125;
    static constexpr int kStep = 4;
    static constexpr int kTickMs = 40;

    explicit CreditsBox(QWidget* parent = nullptr);

    int offset() const { return offset_; }
    int contentHeight() const;
    bool scrolling() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Credit {
        QString name, role;
        QPixmap picture;
    };
    void tick();

    std::vector<Credit> credits_;
    QTimer timer_;
    int offset_ = 0;
};

}  // namespace tessary::lobby
