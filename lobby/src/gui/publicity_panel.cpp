#include "lobby/publicity_panel.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/skin_environment.h"

namespace tessary::lobby {

Publicity::Publicity(std::filesystem::path cacheFolder, const std::filesystem::path& defaultPicture, QObject* parent)
    : QObject(parent), folder_(std::move(cacheFolder)) {
    default_.load(QString::fromStdString(defaultPicture.string()));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Publicity::step);
}

Publicity::~Publicity() = default;  // the worker is stopped and joined first

void Publicity::setAdvertisements(const std::vector<Advertisement>& ads) {
    worker_.reset();
    timer_.stop();
    current_ = {};
    list_ = std::make_unique<AdvertisementList>(ads);
    rotation_ = std::make_unique<AdRotation>(*list_, folder_);
    // The worker's news of a showable advertisement comes back to this thread.
    worker_ = std::make_unique<AdCacheWorker>(*list_, folder_, [this] {
        QMetaObject::invokeMethod(this, [this] { startRotation(); }, Qt::QueuedConnection);
    });
    worker_->start();
    emit changed();
}

void Publicity::startRotation() {
    if (!timer_.isActive()) step();
}

void Publicity::step() {
    if (!rotation_) return;
    QPixmap next;
    const auto result = rotation_->step([&](const std::filesystem::path& path) {
        return next.load(QString::fromStdString(path.string()));
    });
    if (result.stop) return;
    current_ = next;
    timer_.start(std::max(result.delayMilliseconds, 100));
    emit changed();
}

void Publicity::click() {
    const int index = shown();
    if (index < 0 || !list_) return;
    (void)skin::playLobbySound("web.wav", desktop::SoundWait::Async, desktop::WhenBusy::Interrupt);
    emit openLink(QString::fromStdString(list_->at(static_cast<size_t>(index)).link));
}

PublicityPanel::PublicityPanel(Publicity& publicity, QWidget* parent) : QWidget(parent), publicity_(publicity) {
    setCursor(Qt::PointingHandCursor);
    connect(&publicity_, &Publicity::changed, this, qOverload<>(&QWidget::update));
}

void PublicityPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& picture = publicity_.picture();
    if (picture.isNull()) return;
    painter.drawPixmap(rect(), picture);
}

void PublicityPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) publicity_.click();
}

}  // namespace tessary::lobby
