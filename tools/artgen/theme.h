// The one look of the lobby: dark blue surfaces, orange captions, light text.
// Every generated picture paints through these helpers.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

namespace tessary::artgen::theme {

inline const QColor kOrange(255, 168, 0);
inline const QColor kNavyTop(16, 30, 72);
inline const QColor kNavyBottom(6, 12, 36);
inline const QColor kBand(22, 42, 100);
inline const QColor kPanel(8, 14, 40);
inline const QColor kPanelEdge(52, 86, 160);
inline const QColor kShadow(3, 6, 18);
inline const QColor kField(2, 4, 14);
inline const QColor kText(232, 238, 250);
inline const QColor kMuted(140, 156, 196);

// DejaVu Sans at a pixel size.
QFont font(int pixelSize, bool bold = false);

// A new opaque picture filled with the panel colour.
QImage canvas(int width, int height);

// The window body: a vertical gradient with a faint hexagon tessellation.
void paintBackdrop(QPainter& painter, const QRect& area);
// A header band across the top, `height` high, ending in an orange line that
// fades out; `title` in orange at its left when not empty.
void paintBand(QPainter& painter, int width, int height, const QString& title, int titleX = 16,
               bool accent = true);
// A sunken frame around a control area (the control paints its inside).
void paintFieldFrame(QPainter& painter, const QRect& area);
// A larger sunken panel around a list or text area.
void paintPanel(QPainter& painter, const QRect& area);
// An orange caption whose text starts at `left` with its baseline at `baseline`.
void paintCaption(QPainter& painter, int left, int baseline, const QString& text, int size = 12);
// Text in `area` with `alignment`.
void paintText(QPainter& painter, const QRect& area, const QString& text, const QColor& color,
               int size, int alignment, bool bold = false);

}  // namespace tessary::artgen::theme
