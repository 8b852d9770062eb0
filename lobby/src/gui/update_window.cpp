#include "lobby/update_window.h"

#include <QPainter>

#include "lobby/skin_extras.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {

namespace {
QColor toQColor(const Rgb& c) { return {c.r, c.g, c.b}; }
}  // namespace

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    look_.start = {20, 60, 170};
    look_.end = {110, 220, 255};
    look_.background = {16, 24, 40};
    look_.text = {255, 255, 255};
}

void ProgressBar::setRange(int64_t minimum, int64_t maximum) {
    look_.minimum = minimum;
    look_.maximum = maximum;
    update();
}

void ProgressBar::setPosition(int64_t position) {
    if (position == look_.position) return;
    look_.position = position;
    update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto paint = paintProgress(look_, width());
    for (const auto& band : paint.bands) {
        painter.fillRect(QRect(band.left, 0, band.right - band.left, height()), toQColor(band.colour));
    }
    painter.setPen(toQColor(look_.text));
    painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(paint.percentage));
}

UpdateWindow::UpdateWindow(std::unique_ptr<UpdateDownload> download, QWidget* parent)
    : SkinnedDialog(parent), download_(std::move(download)) {
    const auto& layout = windowLayout("update");
    if (!setBackground(skin::skinPath(layout.background))) setFixedSize(layout.width, layout.height);
    setWindowTitle(QString::fromUtf8(layout.title.data(), static_cast<qsizetype>(layout.title.size())));
    bar_ = new ProgressBar(this);
    bar_->setGeometry(layoutArea(layout, "progress"));
    bar_->setRange(0, static_cast<int64_t>(download_->total()));
    status_ = new QLabel(this);
    status_->setGeometry(layoutArea(layout, "status"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setFont(defaultFont());
    status_->setStyleSheet("color: white; background: transparent;");
    for (const auto& button : layout.buttons) placeButton(*this, button);
    refresh();
    connect(&timer_, &QTimer::timeout, this, &UpdateWindow::refresh);
    timer_.start(kRefreshMs);
    download_->start();
}

UpdateWindow::~UpdateWindow() {
    download_->cancel();
    download_->join();
}

void UpdateWindow::refresh() {
    const auto received = download_->received();
    bar_->setPosition(static_cast<int64_t>(received));
    status_->setText(QString::fromStdString(downloadStatus(received, download_->total())));
    switch (download_->state()) {
        case UpdateState::Running: return;
        case UpdateState::Done: timer_.stop(), done(kCommandOk); return;
        default: timer_.stop(), done(kCommandCancel); return;
    }
}

void UpdateWindow::onCommand(int commandId) {
    if (commandId != kCommandCancel) return SkinnedDialog::onCommand(commandId);
    // The worker stops after its current block; the partial file goes with it.
    timer_.stop();
    download_->cancel();
    done(kCommandCancel);
}

}  // namespace tessary::lobby
