#include "lobby/session_panel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "controls/scrollbar.h"
#include "desktop/ansi_text.h"
#include "desktop/bmp_reader.h"
#include "lobby/skin_extras.h"
#include "skin/image_loader.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {
namespace {

constexpr QSize kFallbackPictureSize{64, 48};

QRect toRect(const controls::Box& box) { return {box.x, box.y, box.width, box.height}; }

}  // namespace

QImage readSessionPicture(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > kMaxSessionPictureBytes) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    desktop::DecodedImage decoded;
    const desktop::ImageLimits limits{kMaxSessionPictureSide,
                                      std::int64_t{kMaxSessionPictureSide} * kMaxSessionPictureSide};
    if (desktop::decodeBmp(bytes, decoded, limits) != desktop::BmpError::None) return {};
    return skin::toQImage(decoded);
}

SessionPanel::SessionPanel(QWidget* parent, const QRect& area)
    : QWidget(parent), area_(area), bar_(new controls::Scrollbar(parent)) {
    setObjectName("SessionList");
    setFont(defaultFont());
    unknown_ = readSessionPicture(skin::applicationPath("data\\Default\\session\\unknow.bmp"));
    if (unknown_.isNull()) {
        unknown_ = QImage(kFallbackPictureSize, QImage::Format_RGB32);
        unknown_.fill(Qt::black);
    }
    skin::loadImage(open_, skin::sessionSkinPath("open.bmp"));
    skin::loadImage(started_, skin::sessionSkinPath("started.bmp"));
    skin::loadImage(private_, skin::sessionSkinPath("private.bmp"));
    connect(bar_, &controls::Scrollbar::scrollRequested, this,
            [this](controls::ScrollRequest request, int position) { scroll(request, position); });
    setGeometry(area);
    bar_->attach(this, area);
    relayout();
}

SessionPanel::~SessionPanel() = default;

void SessionPanel::setGameFolders(const std::vector<std::filesystem::path>& folders) {
    pictures_.clear();
    for (const auto& folder : folders) {
        if (pictures_.size() == kMaxSessionPictures) break;
        // A game's own picture that is missing or broken must not cost the lobby.
        QImage picture = readSessionPicture(folder / "session.bmp");
        pictures_.push_back(picture.isNull() ? unknown_ : picture);
    }
    relayout();
}

const QImage& SessionPanel::pictureFor(std::size_t gameIndex) const {
    return gameIndex < pictures_.size() ? pictures_[gameIndex] : unknown_;
}

void SessionPanel::setSessions(const std::vector<SessionEntry>* sessions) {
    sessions_ = sessions;
    refresh();
}

void SessionPanel::refresh() {
    relayout();
    update();
}

void SessionPanel::relayout() {
    QSize picture = unknown_.size();
    for (const auto& p : pictures_) picture = picture.expandedTo(p.size());
    const QFontMetrics metrics(font());
    tiles_ = controls::SessionTiles(picture.width(), picture.height(), metrics.averageCharWidth(),
                                    metrics.height(), width(), height());
    const int count = sessions_ ? static_cast<int>(sessions_->size()) : 0;
    // The last row may show whole at the bottom.
    const int lastFirstRow = std::max(0, tiles_.rowsFor(count) - std::max(1, height() / tiles_.tileHeight()));
    firstRow_ = std::clamp(firstRow_, 0, lastFirstRow);
    bar_->setRange(0, lastFirstRow, firstRow_);
}

void SessionPanel::scroll(controls::ScrollRequest request, int position) {
    const int page = std::max(1, height() / tiles_.tileHeight());
    switch (request) {
        case controls::ScrollRequest::LineUp: --firstRow_; break;
        case controls::ScrollRequest::LineDown: ++firstRow_; break;
        case controls::ScrollRequest::PageUp: firstRow_ -= page; break;
        case controls::ScrollRequest::PageDown: firstRow_ += page; break;
        case controls::ScrollRequest::ThumbTrack: firstRow_ = position; break;
    }
    relayout();
    update();
}

int SessionPanel::selected() const {
    if (!sessions_ || selected_.empty()) return -1;
    const auto found = std::find_if(sessions_->begin(), sessions_->end(),
                                    [&](const SessionEntry& e) { return e.name == selected_; });
    return found == sessions_->end() ? -1 : static_cast<int>(found - sessions_->begin());
}

const SessionEntry* SessionPanel::selectedEntry() const {
    const int index = selected();
    return index < 0 ? nullptr : &(*sessions_)[static_cast<std::size_t>(index)];
}

void SessionPanel::select(int index) {
    const bool valid = sessions_ && index >= 0 && index < static_cast<int>(sessions_->size());
    selected_ = valid ? (*sessions_)[static_cast<std::size_t>(index)].name : std::string();
    update();
}

int SessionPanel::tileAt(QPoint point) const {
    const int count = sessions_ ? static_cast<int>(sessions_->size()) : 0;
    return tiles_.tileAt(point.x(), point.y(), firstRow_, count);
}

void SessionPanel::mousePressEvent(QMouseEvent* event) {
    const int index = tileAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        select(index);
    } else if (event->button() == Qt::RightButton && index >= 0) {
        select(index);
        emit menuRequested(index, event->globalPosition().toPoint());
    }
}

void SessionPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int index = tileAt(event->position().toPoint());
    select(index);
    if (index >= 0) emit tileActivated(index);
}

void SessionPanel::wheelEvent(QWheelEvent* event) {
    const int steps = wheel_.add(event->angleDelta().y());
    for (int i = 0; i < std::abs(steps); ++i) {
        scroll(steps > 0 ? controls::ScrollRequest::LineUp : controls::ScrollRequest::LineDown);
    }
}

void SessionPanel::resizeEvent(QResizeEvent*) { relayout(); }

void SessionPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!sessions_) return;
    const int count = static_cast<int>(sessions_->size());
    const int first = firstRow_ * tiles_.columns();
    const int last = std::min(count, first + tiles_.visibleRows() * tiles_.columns());
    const std::string& chosen = selected_;
    for (int i = first; i < last; ++i) {
        const auto& entry = (*sessions_)[static_cast<std::size_t>(i)];
        paintTile(painter, entry, tiles_.tile(i, firstRow_), !chosen.empty() && entry.name == chosen);
    }
}

void SessionPanel::paintTile(QPainter& painter, const SessionEntry& entry, const controls::Box& tile,
                             bool selected) const {
    if (selected) {
        const QRect texts = toRect(tiles_.textLine(tile, 0)).united(toRect(tiles_.textLine(tile, 1)));
        painter.fillRect(texts, kSelectedBackground);
    }
    const QImage& picture = pictureFor(entry.gameIndex);
    const controls::Box place = tiles_.picture(tile);
    const QPoint corner(place.x + (place.width - picture.width()) / 2, place.y + (place.height - picture.height()) / 2);
    painter.drawImage(corner, picture);
    switch (tileOverlay(entry)) {
        case TileOverlay::Open: open_.drawTransparent(painter, corner); break;
        case TileOverlay::Started: started_.drawTransparent(painter, corner); break;
        case TileOverlay::None: break;
    }
    if ((entry.state & kSessionPrivate) != 0) private_.drawTransparent(painter, corner);

    const QFontMetrics metrics(font());
    const QRect nameLine = toRect(tiles_.textLine(tile, 0));
    painter.setPen(Qt::white);
    painter.drawText(nameLine, Qt::AlignCenter | Qt::TextSingleLine,
                     metrics.elidedText(desktop::fromAnsi(entry.name), Qt::ElideRight, nameLine.width()));
    const QString players = QString("%1/%2").arg(entry.players).arg(entry.maxPlayers);
    const QString spectators =
        entry.maxSpectators != 0 ? QString(" %1/%2").arg(entry.spectators).arg(entry.maxSpectators) : QString();
    const QRect countLine = toRect(tiles_.textLine(tile, 1));
    const int total = metrics.horizontalAdvance(players + spectators);
    QRect part = countLine;
    part.setLeft(countLine.left() + (countLine.width() - total) / 2);
    painter.setPen(kPlayersColour);
    painter.drawText(part, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, players);
    if (!spectators.isEmpty()) {
        part.setLeft(part.left() + metrics.horizontalAdvance(players));
        painter.setPen(kSpectatorsColour);
        painter.drawText(part, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, spectators);
    }
}

}  // namespace tessary::lobby
