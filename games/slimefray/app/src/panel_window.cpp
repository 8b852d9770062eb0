#include "panel_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "slot_colours.h"

namespace tessary::slimefray {
namespace {

int luminance(QColor colour) { return (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000; }

}  // namespace

QRect PanelWindow::slotEntry(int slot) { return QRect(14, 198 + 24 * slot, 32, 18); }

QRect PanelWindow::slotNameRect(int slot) { return QRect(52, 198 + 24 * slot, 120, 18); }

PanelWindow::PanelWindow(ClientGame& game, const Pictures& pictures, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), game_(game), pictures_(pictures) {
    setWindowTitle("Slimefray panel");
    setFixedSize(240, 400);
    const QString buttonStyle =
        "QPushButton { color: white; background: #3a2f66; border: 1px solid #9682dc; border-radius: 4px; }"
        "QPushButton:disabled { color: #777; border-color: #555; }"
        "QCheckBox { color: #c8beff; }";
    setStyleSheet(buttonStyle);
    endTurn_ = new QPushButton("End turn", this);
    endTurn_->setGeometry(16, 112, 96, 26);
    map_ = new QPushButton("Map", this);
    map_->setGeometry(120, 112, 50, 26);
    sound_ = new QCheckBox("Sound", this);
    sound_->setGeometry(16, 146, 100, 22);
    sound_->setChecked(true);
    previous_ = new QPushButton("<", this);
    previous_->setGeometry(177, 370, 24, 20);
    next_ = new QPushButton(">", this);
    next_->setGeometry(203, 370, 24, 20);
    connect(previous_, &QPushButton::clicked, this, &PanelWindow::previousPower);
    connect(next_, &QPushButton::clicked, this, &PanelWindow::nextPower);
}

void PanelWindow::setStatus(const QString& text) {
    status_ = text;
    update();
}

void PanelWindow::setClock(const QString& text) {
    if (clock_ == text) return;
    clock_ = text;
    update();
}

void PanelWindow::setCurrentSlot(int slot) {
    currentSlot_ = slot;
    update();
}

void PanelWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!pictures_.panel.isNull()) {
        p.drawImage(0, 0, pictures_.panel);
    } else {
        p.fillRect(rect(), QColor(28, 24, 44));
    }
    p.setPen(QColor(140, 255, 120));
    p.setFont(QFont("DejaVu Sans", 14, QFont::Bold));
    p.drawText(QRect(0, 8, width(), 26), Qt::AlignCenter, "Slimefray");
    p.setFont(QFont("DejaVu Sans", 9));
    p.setPen(QColor(230, 230, 240));
    p.drawText(QRect(12, 38, width() - 24, 20), Qt::AlignCenter, status_);
    p.setFont(QFont("DejaVu Sans Mono", 20, QFont::Bold));
    p.setPen(QColor(240, 240, 245));
    p.drawText(QRect(12, 62, width() - 24, 40), Qt::AlignCenter, clock_);
    if (!clock_.isEmpty() && currentSlot_ >= 0) p.fillRect(QRect(70, 100, 100, 4), slotColour(currentSlot_));

    p.setFont(QFont("DejaVu Sans", 9, QFont::Bold));
    for (int slot = 0; slot < kMaxSlots; ++slot) {
        const int count = game_.board().count(slot);
        const std::string& name = game_.slotName(slot);
        // Named slots stay listed, departed ones too; before the names come,
        // the slots with blobs are the players.
        if (name.empty() && count == 0 && slot != game_.mySlot()) continue;
        const QRect entry = slotEntry(slot);
        const QColor colour = slotColour(slot);
        QString label = QString::fromStdString(name);
        if (game_.slotGone(slot)) {
            p.setPen(QPen(colour, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(entry.adjusted(0, 0, -1, -1));
            p.drawText(entry, Qt::AlignCenter, "-");
            label += label.isEmpty() ? "left" : " (left)";
            p.setPen(colour.darker(150));
        } else {
            p.fillRect(entry, colour);
            p.setPen(luminance(colour) > 128 ? QColor(20, 20, 20) : QColor(250, 250, 250));
            p.drawText(entry, Qt::AlignCenter, QString::number(count));
            p.setPen(colour);
        }
        const QRect nameRect = slotNameRect(slot);
        const QString shown = p.fontMetrics().elidedText(label, Qt::ElideRight, nameRect.width() - 2);
        const QColor pen = p.pen().color();
        if (luminance(pen) < 60) {
            // A dark colour on the dark panel: a light rim keeps the name legible.
            p.setPen(QColor(200, 200, 215));
            for (QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
                p.drawText(nameRect.translated(offset), Qt::AlignLeft | Qt::AlignVCenter, shown);
            p.setPen(pen);
        }
        p.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
        if (slot == game_.mySlot()) {
            p.setPen(QPen(colour, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(entry.adjusted(-2, -2, 1, 1));
        }
    }
    if (currentSlot_ >= 0 && currentSlot_ < kMaxSlots && !game_.over()) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(slotEntry(currentSlot_).adjusted(0, 0, -1, -1));
    }

    const int shown = game_.powers().shown();
    if (shown >= 0) p.drawImage(kPowerSquare.topLeft(), pictures_.powers[size_t(shown)]);
    if (game_.controller().powerMode()) {
        p.setPen(QPen(QColor(255, 240, 90), 2));
        p.drawRect(kPowerSquare.adjusted(-1, -1, 0, 0));
    }
    previous_->setEnabled(shown >= 0);
    next_->setEnabled(shown >= 0);
    endTurn_->setEnabled(game_.controller().myTurn() && !game_.over());
}

void PanelWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (insidePowerSquare(event->position().toPoint())) emit powerSquarePressed();
    if (windowHandle() && isWindow()) windowHandle()->startSystemMove();
}

}  // namespace tessary::slimefray
