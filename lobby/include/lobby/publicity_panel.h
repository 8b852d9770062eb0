// The publicity panel of both views: one Publicity holds the advertisements,
// the cache worker and the rotation timer; each view shows it in a
// PublicityPanel over its "advertisement" area.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "lobby/advertisements.h"

namespace tessary::lobby {

class Publicity : public QObject {
    Q_OBJECT

public:
    // `cacheFolder`: the "Pub" folder; `defaultPicture`: shown until an
    // advertisement can be.
    Publicity(std::filesystem::path cacheFolder, const std::filesystem::path& defaultPicture,
              QObject* parent = nullptr);
    ~Publicity() override;

    // A new list from the Router: the worker fills the cache again.
    void setAdvertisements(const std::vector<Advertisement>& ads);
    const QPixmap& picture() const { return current_.isNull() ? default_ : current_; }
    int shown() const { return rotation_ ? rotation_->shown() : -1; }
    bool rotating() const { return timer_.isActive(); }
    // A release of the left button over the panel.
    void click();

signals:
    void changed();
    void openLink(const QString& link);

private:
    void startRotation();
    void step();

    std::filesystem::path folder_;
    QPixmap default_, current_;
    std::unique_ptr<AdvertisementList> list_;
    std::unique_ptr<AdRotation> rotation_;
    std::unique_ptr<AdCacheWorker> worker_;
    QTimer timer_;
};

class PublicityPanel : public QWidget {
    Q_OBJECT

public:
    PublicityPanel(Publicity& publicity, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Publicity& publicity_;
};

}  // namespace tessary::lobby
