// The side panel: status and clock lines, one line per slot (blob count and
// the holder's name in the slot's colour) with the current slot framed, the power square with its arrows, and the commands.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "pictures.h"
#include "slimefray/client_game.h"

namespace tessary::slimefray {

class PanelWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QRect kPowerSquare{177, 315, 50, 50};
    // Presses strictly inside the square choose the power.
    static bool insidePowerSquare(QPoint at) { return at.x() >= 178 && at.x() <= 226 && at.y() >= 316 && at.y() <= 364; }
    // The 32x18 blob count of a slot, and its name to the right of it.
    static QRect slotEntry(int slot);
    static QRect slotNameRect(int slot);

    PanelWindow(ClientGame& game, const Pictures& pictures, QWidget* parent = nullptr);

    void setStatus(const QString& text);
    void setClock(const QString& text);
    void setCurrentSlot(int slot);
    QCheckBox* soundToggle() const { return sound_; }
    QPushButton* endTurnButton() const { return endTurn_; }
    QPushButton* mapButton() const { return map_; }

signals:
    void powerSquarePressed();
    void previousPower();
    void nextPower();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    ClientGame& game_;
    const Pictures& pictures_;
    QString status_;
    QString clock_;
    int currentSlot_ = -1;
    QCheckBox* sound_;
    QPushButton* endTurn_;
    QPushButton* map_;
    QPushButton* previous_;
    QPushButton* next_;
};

}  // namespace tessary::slimefray
