#include "controls/skinned_list_box.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>

#include "control_skin.h"
#include "controls/scrollbar.h"
#include "skin/skinned_dialog.h"

namespace tessary::controls {
namespace {

void stepScrollBar(QScrollBar& scroll, ScrollRequest request, int position, int page) {
    switch (request) {
        case ScrollRequest::LineUp: scroll.setValue(scroll.value() - 1); break;
        case ScrollRequest::LineDown: scroll.setValue(scroll.value() + 1); break;
        case ScrollRequest::PageUp: scroll.setValue(scroll.value() - page); break;
        case ScrollRequest::PageDown: scroll.setValue(scroll.value() + page); break;
        case ScrollRequest::ThumbTrack: scroll.setValue(position); break;
    }
}

std::pair<QColor, QColor> coloursOf(QWidget* parent) {
    if (auto* dialog = qobject_cast<skin::SkinnedDialog*>(parent)) {
        return {dialog->textColor(), dialog->backgroundColor()};
    }
    return {Qt::white, Qt::black};
}

}  // namespace

void applySkinColours(QWidget& control, const QColor& text, const QColor& background) {
    QPalette palette = control.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Highlight, SkinnedListBox::kSelection);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    control.setPalette(palette);
}

SkinnedListBox::SkinnedListBox(QWidget* parent) : QListWidget(parent), bar_(new Scrollbar(parent)) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setFont(detail::font(0));
    const auto [text, background] = coloursOf(parent);
    applySkinColours(*this, text, background);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
    auto* rows = model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &SkinnedListBox::syncBar);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &SkinnedListBox::syncBar);
    connect(rows, &QAbstractItemModel::modelReset, this, &SkinnedListBox::syncBar);
    connect(this, &QListWidget::currentRowChanged, this, &SkinnedListBox::syncBar);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &SkinnedListBox::syncBar);
    syncBar();
}

// The model and the hidden bar still signal while the base classes go.
SkinnedListBox::~SkinnedListBox() {
    model()->disconnect(this);
    verticalScrollBar()->disconnect(this);
}

void SkinnedListBox::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
    syncBar();
}

void SkinnedListBox::setTransparent(bool transparent) {
    viewport()->setAutoFillBackground(!transparent);
    setAttribute(Qt::WA_TranslucentBackground, transparent);
    setStyleSheet(transparent ? "background: transparent" : "");
}

int SkinnedListBox::visibleRows() const {
    const int rowHeight = count() > 0 ? std::max(1, sizeHintForRow(0)) : detail::lineHeight(0);
    return std::max(1, viewport()->height() / std::max(1, rowHeight));
}

int SkinnedListBox::topRow() const { return verticalScrollBar()->value(); }

void SkinnedListBox::syncBar() {
    if (!bar_) return;
    bar_->setRange(0, std::max(0, count() - visibleRows()), topRow());
}

void SkinnedListBox::scroll(ScrollRequest request, int position) {
    executeDelayedItemsLayout();  // the hidden bar's range comes from the layout
    stepScrollBar(*verticalScrollBar(), request, position, visibleRows());
    if (request != ScrollRequest::ThumbTrack && bar_) bar_->setPosition(topRow());
}

void SkinnedListBox::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    syncBar();
}

void SkinnedListBox::wheelEvent(QWheelEvent* event) {
    detail::scrollByWheel(wheel_, event->angleDelta().y(),
                          [this](ScrollRequest request) { scroll(request); });
    event->accept();
}

SkinnedTextEdit::SkinnedTextEdit(QWidget* parent, int fontIndex)
    : QPlainTextEdit(parent), bar_(new Scrollbar(parent)), fontIndex_(fontIndex) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFont(detail::font(fontIndex));
    const auto [text, background] = coloursOf(parent);
    applySkinColours(*this, text, background);
    connect(bar_, &Scrollbar::scrollRequested, this,
            [this](ScrollRequest request, int position) { scroll(request, position); });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &SkinnedTextEdit::syncBar);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &SkinnedTextEdit::syncBar);
    syncBar();
}

SkinnedTextEdit::~SkinnedTextEdit() { verticalScrollBar()->disconnect(this); }

void SkinnedTextEdit::place(const QRect& area) {
    setGeometry(area);
    bar_->attach(this, area);
    syncBar();
}

int SkinnedTextEdit::visibleLines() const {
    return std::max(1, viewport()->height() / std::max(1, detail::lineHeight(fontIndex_)));
}

void SkinnedTextEdit::syncBar() {
    if (!bar_) return;
    // The edit scrolls by laid-out lines; its own (hidden) bar knows how many.
    const QScrollBar& own = *verticalScrollBar();
    bar_->setRange(own.minimum(), own.maximum(), own.value());
}

void SkinnedTextEdit::scroll(ScrollRequest request, int position) {
    stepScrollBar(*verticalScrollBar(), request, position, visibleLines());
}

void SkinnedTextEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    syncBar();
}

}  // namespace tessary::controls
