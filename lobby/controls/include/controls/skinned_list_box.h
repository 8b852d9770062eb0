// The toolkit's list box and multi-line edit dressed in the skin: font 0 (or
// the font given), the colours of the dialog they sit on, no frame, and the
// lobby's Scrollbar beside them instead of the toolkit's.
#pragma once

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>

#include "controls/scroll_geometry.h"
#include "controls/scrollbar.h"

namespace tessary::controls {

// Text and background colours for a control on a skinned window, the
// selection in the lobby's dark blue.
void applySkinColours(QWidget& control, const QColor& text, const QColor& background);

class SkinnedListBox : public QListWidget {
    Q_OBJECT

public:
    static inline const QColor kSelection{0, 0, 130};

    // `parent` also holds the bar. Colours: the parent's when it is a
    // SkinnedDialog, else white on black.
    explicit SkinnedListBox(QWidget* parent);
    ~SkinnedListBox() override;
    void place(const QRect& area);
    // Lets the window's background show behind the rows.
    void setTransparent(bool transparent);

    int visibleRows() const;
    int topRow() const;
    Scrollbar* scrollbar() const { return bar_; }
    void scroll(ScrollRequest request, int position = 0);
    // Range and position follow the list (additions, removals, selection).
    void syncBar();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointer<Scrollbar> bar_;  // a sibling: the parent may delete it first
    WheelAccumulator wheel_;
};

class SkinnedTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    SkinnedTextEdit(QWidget* parent, int fontIndex);
    ~SkinnedTextEdit() override;
    void place(const QRect& area);

    // Lines that fit in the edit at its font's line height.
    int visibleLines() const;
    Scrollbar* scrollbar() const { return bar_; }
    void scroll(ScrollRequest request, int position = 0);
    void syncBar();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<Scrollbar> bar_;
    int fontIndex_;
};

}  // namespace tessary::controls
