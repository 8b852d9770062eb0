// One view of the main window (the router view, the arena view): a clear
// panel over the main window's background that holds the view's buttons and,
// as their windows come, its controls, all placed by the view's entry in
// window_layouts.h. The caption row (logo, help, minimise, maximise, exit) and
// the switches are the main window's frame and stay outside the panels.
#pragma once

#include <QRect>
#include <QWidget>
#include <string_view>
#include <vector>

#include "skin/window_layouts.h"

namespace tessary::skin {
class BitmapButton;
}

namespace tessary::lobby {

// The caption row's commands as the layouts give them.
inline constexpr int kLayoutHelp = 103;
inline constexpr int kLayoutLogo = 104;
inline constexpr int kLayoutExit = 106;
inline constexpr int kLayoutMaximise = 107;
inline constexpr int kLayoutMinimise = 108;

// Whether a main-window layout's button belongs to the frame's caption row.
bool isCaptionButton(const skin::ButtonPlacement& button);

class ViewPanel : public QWidget {
    Q_OBJECT

public:
    // `layoutName`: "router view" or "arena view".
    ViewPanel(QWidget* canvas, std::string_view layoutName);

    const skin::WindowLayout& layout() const { return *layout_; }
    skin::BitmapButton* button(int command) const;
    const std::vector<skin::BitmapButton*>& buttons() const { return buttons_; }
    // Where the layout puts the control `name`; an empty rectangle if nowhere.
    QRect area(std::string_view name) const;

signals:
    void command(int commandId);

private:
    const skin::WindowLayout* layout_;
    std::vector<skin::BitmapButton*> buttons_;
};

}  // namespace tessary::lobby
