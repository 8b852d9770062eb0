// Window backgrounds, drawn from the layout table so every frame and caption
// sits where the window puts its control.
#include <QPainter>

#include "artgen.h"
#include "skin/window_layouts.h"
#include "theme.h"

namespace tessary::artgen {
namespace {

using skin::AreaKind;
using skin::AreaPlacement;
using skin::WindowLayout;

QRect rectOf(const AreaPlacement& area) {
    return QRect(area.x, area.y, area.width, area.height);
}

// The header band's height: the main window's band holds the advertisement,
// the login and account windows' bands hold the logo.
int bandHeight(const WindowLayout& window) {
    if (window.width == 800) return 84;
    if (window.name == "login") return 56;
    if (window.name.starts_with("account")) return 80;
    return 44;
}

void paintArea(QPainter& painter, const AreaPlacement& area) {
    const QRect rect = rectOf(area);
    const QString label =
        QString::fromUtf8(area.label.data(), static_cast<qsizetype>(area.label.size()));
    switch (area.kind) {
        case AreaKind::Field:
            theme::paintFieldFrame(painter, rect);
            if (!label.isEmpty()) {
                theme::paintText(
                    painter, QRect(0, rect.top() - 4, rect.left() - 10, rect.height() + 8), label,
                    theme::kOrange, 12, Qt::AlignRight | Qt::AlignVCenter, true);
            }
            break;
        case AreaKind::Panel:
            theme::paintPanel(painter, rect);
            if (!label.isEmpty()) theme::paintCaption(painter, rect.left(), rect.top() - 6, label);
            break;
        case AreaKind::Picture:
            painter.fillRect(rect.adjusted(-2, -2, 2, 2), theme::kPanelEdge);
            painter.fillRect(rect, QColor(20, 30, 64));
            break;
        case AreaKind::Text:
            if (area.height > 24) {
                theme::paintText(painter, rect, label, theme::kText, 13,
                                 Qt::AlignCenter | Qt::TextWordWrap);
            } else {
                theme::paintText(
                    painter, QRect(0, rect.top() - 4, rect.left() - 10, rect.height() + 8), label,
                    theme::kOrange, 12, Qt::AlignRight | Qt::AlignVCenter, true);
            }
            break;
        case AreaKind::Region:
            break;
    }
}

// A translucent card that groups a column of fields.
void paintCard(QPainter& painter, const QRect& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(82, 120, 200, 120), 1));
    painter.setBrush(QColor(24, 44, 104, 110));
    painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.restore();
}

void paintExtras(QPainter& painter, const WindowLayout& window) {
    if (window.name.starts_with("account")) {
        paintCard(painter, QRect(20, 100, 352, 448));
        paintCard(painter, QRect(398, 100, 342, 392));
    } else if (window.name == "photo choice") {
        painter.fillRect(QRect(212, 56, 136, 136), theme::kOrange);
        painter.fillRect(QRect(216, 60, 128, 128), QColor(20, 30, 64));
    } else if (window.name == "router view") {
        paintCard(painter, QRect(492, 56, 296, 526));
    } else if (window.name == "arena view") {
        paintCard(painter, QRect(491, 480, 300, 112));
    }
}

QImage paintWindow(const WindowLayout& window) {
    QImage image = theme::canvas(window.width, window.height);
    QPainter painter(&image);
    const QRect whole(0, 0, window.width, window.height);
    theme::paintBackdrop(painter, whole);
    // The main window's band holds the advertisement right above the panels:
    // no accent line there, it would run into their captions.
    theme::paintBand(
        painter, window.width, bandHeight(window),
        QString::fromUtf8(window.title.data(), static_cast<qsizetype>(window.title.size())),
        window.name.starts_with("account") ? 200 : 16, window.width != 800);
    paintExtras(painter, window);
    for (const AreaPlacement& area : window.areas) paintArea(painter, area);
    for (const skin::SwitchPlacement& toggle : window.switches) {
        if (toggle.label.empty()) continue;
        theme::paintText(
            painter, QRect(toggle.x + 26, toggle.y - 2, 120, 24),
            QString::fromUtf8(toggle.label.data(), static_cast<qsizetype>(toggle.label.size())),
            theme::kText, 12, Qt::AlignLeft | Qt::AlignVCenter);
    }
    // A frameless window needs its own edge against the desktop.
    painter.setPen(theme::kPanelEdge);
    painter.drawRect(whole.adjusted(0, 0, -1, -1));
    return image;
}

}  // namespace

std::string skinFile(std::string_view partsPath) {
    std::string path = "data/default/" + std::string(partsPath);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

void writeWindowBackgrounds(ArtWriter& out) {
    for (const WindowLayout& window : skin::lobbyWindowLayouts()) {
        out.writeJpeg(skinFile(window.background), paintWindow(window));
    }
}

}  // namespace tessary::artgen
