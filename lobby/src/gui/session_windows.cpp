#include "lobby/session_windows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "controls/picture_list.h"
#include "controls/picture_switch.h"
#include "controls/scrollbar.h"
#include "controls/skinned_list_box.h"
#include "controls/spinner.h"
#include "desktop/ansi_text.h"
#include "lobby/skin_extras.h"
#include "skin/bitmap_button.h"
#include "skin/image_loader.h"

namespace tessary::lobby {
namespace {

using skin::OptionKind;

constexpr int kCommandSpectator = 138;
constexpr int kPasswordLength = 10;

QRect toRect(const skin::SkinRect& r) { return {r.left, r.top, r.width(), r.height()}; }

QColor toColour(const skin::RgbColor& c) { return {c.red, c.green, c.blue}; }

// The layout writes a blank inside a caption as "|".
QString caption(const std::string& text) {
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '|', ' ');
    return desktop::fromAnsi(shown);
}

QLineEdit* skinnedField(QWidget* parent, const QRect& area) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(area);
    field->setFont(defaultFont());
    field->setFrame(false);
    controls::applySkinColours(*field, Qt::white, Qt::black);
    return field;
}

std::string withSlash(const std::filesystem::path& directory) {
    std::string text = directory.string();
    if (!text.empty() && text.back() != '/') text.push_back('/');
    return text;
}

}  // namespace

// ------------------------------------------------------------ option widgets

struct OptionWidgets::Bound {
    OptionControl* control;
    QWidget* widget;
    QWidget* companion;  // a sibling scroll bar that shows and hides with it
    std::function<void()> refresh;
};

OptionWidgets::OptionWidgets(QWidget& window, OptionPages& pages, const std::string& directory,
                             const QColor& captionColour)
    : window_(window), directory_(directory), captionColour_(captionColour) {
    for (std::size_t i = 0; i < pages.size(); ++i) build(pages.page(i));
    refresh();
}

OptionWidgets::~OptionWidgets() = default;

void OptionWidgets::build(OptionChain& chain) {
    for (const auto& owned : chain.controls()) {
        OptionControl* control = owned.get();
        const auto& layout = control->layout();
        const QRect area = toRect(layout.rect);
        auto bound = std::make_unique<Bound>(Bound{control, nullptr, nullptr, {}});
        switch (layout.kind) {
            case OptionKind::List:
            case OptionKind::ListDefault:
            case OptionKind::DirList: {
                auto* list = new controls::SkinnedListBox(&window_);
                list->place(area);
                auto* option = static_cast<ListOption*>(control);
                QObject::connect(list, &QListWidget::currentRowChanged, [option](int row) {
                    if (row >= 0) option->choose(row);
                });
                bound->widget = list;
                bound->companion = list->scrollbar();
                bound->refresh = [list, option] {
                    const QSignalBlocker block(list);
                    const auto& items = option->items();
                    bool same = list->count() == static_cast<int>(items.size());
                    for (int i = 0; same && i < list->count(); ++i) {
                        same = list->item(i)->text() == desktop::fromAnsi(items[static_cast<std::size_t>(i)]);
                    }
                    if (!same) {
                        list->clear();
                        for (const auto& item : items) list->addItem(desktop::fromAnsi(item));
                    }
                    list->setCurrentRow(option->chosen());
                    list->syncBar();
                };
                break;
            }
            case OptionKind::Edit:
            case OptionKind::EditDefault: {
                auto* field = skinnedField(&window_, area);
                auto* option = static_cast<EditOption*>(control);
                QObject::connect(field, &QLineEdit::textEdited,
                                 [option](const QString& text) { option->setText(desktop::toAnsi(text)); });
                bound->widget = field;
                bound->refresh = [field, option] {
                    const QString text = desktop::fromAnsi(option->text());
                    if (field->text() != text) field->setText(text);
                };
                break;
            }
            case OptionKind::Spin: {
                auto* option = static_cast<SpinOption*>(control);
                auto* spinner = new controls::Spinner(&window_, layout.minimum, layout.maximum, option->number());
                spinner->place(area);
                QObject::connect(spinner, &controls::Spinner::valueChanged,
                                 [option](int value) { option->setNumber(value); });
                bound->widget = spinner;
                bound->companion = spinner->scrollbar();
                bound->refresh = [spinner, option] {
                    const QSignalBlocker block(spinner);
                    spinner->setValue(option->number());
                };
                break;
            }
            case OptionKind::OnOff: {
                auto* option = static_cast<OnOffOption*>(control);
                auto* toggle = new controls::PictureSwitch(&window_, area.topLeft(),
                                                           skin::pathWithFallback(directory_, "off.bmp"),
                                                           skin::pathWithFallback(directory_, "on.bmp"), option->on());
                QObject::connect(toggle, &controls::PictureSwitch::toggled, [option](bool on) { option->setOn(on); });
                bound->widget = toggle;
                bound->refresh = [toggle, option] { toggle->setOn(option->on()); };
                break;
            }
            case OptionKind::BitList: {
                auto* option = static_cast<BitListOption*>(control);
                auto* pictures = new controls::PictureList(&window_, area, directory_);
                std::vector<controls::PictureList::Item> items;
                for (const auto& item : layout.pictures) items.push_back({item.value, directory_ + item.picture});
                pictures->setItems(std::move(items));
                QObject::connect(pictures, &controls::PictureList::currentChanged,
                                 [option](int index) { option->choose(index); });
                bound->widget = pictures;
                bound->refresh = [pictures, option] {
                    const QSignalBlocker block(pictures);
                    if (pictures->current() != option->current()) pictures->setValue(option->value());
                };
                break;
            }
            case OptionKind::CheckBox: {
                auto* option = static_cast<CheckBoxOption*>(control);
                for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
                    const int box = static_cast<int>(i) + 1;
                    auto* toggle = new controls::PictureSwitch(
                        &window_, toRect(layout.boxes[i].rect).topLeft(),
                        skin::pathWithFallback(directory_, "checkoff.bmp"),
                        skin::pathWithFallback(directory_, "checkon.bmp"), option->checked() == box);
                    QObject::connect(toggle, &controls::PictureSwitch::toggled, [this, option, box](bool) {
                        option->check(box);
                        refresh();
                    });
                    bound_.push_back(std::make_unique<Bound>(Bound{
                        control, toggle, nullptr, [toggle, option, box] { toggle->setOn(option->checked() == box); }}));
                    build(option->box(box));
                }
                continue;
            }
            case OptionKind::Text:
            case OptionKind::TextRgb:
            case OptionKind::Unknown: {
                auto* label = new QLabel(caption(layout.text), &window_);
                label->setGeometry(area);
                label->setFont(defaultFont());
                QPalette palette = label->palette();
                const QColor colour = layout.kind == OptionKind::TextRgb ? toColour(layout.color) : captionColour_;
                palette.setColor(QPalette::WindowText, colour);
                palette.setColor(QPalette::Disabled, QPalette::WindowText, colour);
                label->setPalette(palette);
                bound->widget = label;
                break;
            }
        }
        bound_.push_back(std::move(bound));
    }
}

void OptionWidgets::refresh() {
    for (const auto& bound : bound_) {
        if (bound->refresh) bound->refresh();
        bound->widget->setVisible(bound->control->visible());
        bound->widget->setEnabled(bound->control->enabled());
        if (bound->companion) {
            bound->companion->setEnabled(bound->control->enabled());
            if (!bound->control->visible()) {
                bound->companion->hide();
            } else if (auto* list = qobject_cast<controls::SkinnedListBox*>(bound->widget)) {
                list->syncBar();  // the bar shows itself when the list needs it
            } else {
                bound->companion->show();
            }
        }
    }
}

QWidget* OptionWidgets::widgetOf(const OptionControl& control) const {
    for (const auto& bound : bound_) {
        if (bound->control == &control) return bound->widget;
    }
    return nullptr;
}

// ------------------------------------------------------------ session window

SessionWindow::SessionWindow(QWidget* parent, const SessionGame& game, OptionPages& pages)
    : skin::SkinnedDialog(parent, Qt::Window | Qt::FramelessWindowHint), game_(game), pages_(pages) {
    const auto& layout = game.layout;
    const std::string directory = withSlash(game.directory);
    setMovable(true);
    setWindowTitle(desktop::fromAnsi(game.fullName));
    setBackground(skin::pathWithFallback(directory, "createsession.jpg"));

    name_ = skinnedField(this, toRect(layout.frame.nameField));
    name_->setMaxLength(kNameLength);
    connect(name_, &QLineEdit::textChanged, this, [this] { filterName(); });
    const auto& frame = layout.frame;
    players_ = new controls::Spinner(this, frame.minPlayers, frame.maxPlayers, frame.maxPlayers);
    players_->place(toRect(frame.playersField));
    spectators_ = new controls::Spinner(this, layout.minSpectators, layout.maxSpectators, layout.maxSpectators);
    const QRect spectatorArea = toRect(layout.spectatorField);
    if (spectatorArea.isEmpty() || (layout.minSpectators == 0 && layout.maxSpectators == 0)) {
        spectators_->setFocusPolicy(Qt::NoFocus);
        spectators_->hide();
        spectators_->scrollbar()->hide();
    } else {
        spectators_->place(spectatorArea);
    }

    addButton(frame.exitButton, kCommandQuit, "exit", 2);
    addButton(frame.createButton, kCommandCreate, "create", 3);
    addButton(frame.quitButton, kCommandQuit, "quit", 3);
    addButton(frame.quitButton, kCommandQuit, "close", 3);
    addButton(frame.privateButton, kCommandPrivate, "private", 3);
    if (frame.previousButton) addButton(*frame.previousButton, kCommandPrevious, "previous", 3);
    if (frame.nextButton) addButton(*frame.nextButton, kCommandNext, "next", 3);

    options_ = std::make_unique<OptionWidgets>(*this, pages_, directory, toColour(layout.textColor));
    askPassword = [this](const std::string& current) { return askSessionPassword(this, current); };
}

SessionWindow::~SessionWindow() = default;

void SessionWindow::addButton(const skin::SkinRect& rect, int command, const char* prefix, int pictures) {
    auto* button = skin::SkinnedDialog::addButton(
        {rect.left, rect.top}, command, skin::buttonPrefixWithFallback(withSlash(game_.directory), prefix), pictures);
    if (button == nullptr) return;
    button->setObjectName(prefix);
    buttons_.push_back(button);
}

skin::BitmapButton* SessionWindow::button(int command) const {
    for (auto* button : buttons_) {
        if (button->commandId() == command && button->isVisibleTo(this)) return button;
    }
    return nullptr;
}

std::size_t SessionWindow::pageCount() const { return pages_.size(); }

void SessionWindow::showPage(std::size_t page) {
    if (pages_.size() > 0 && page >= pages_.size()) page = pages_.size() - 1;
    page_ = page;
    pages_.showPage(page);
    options_->refresh();
    for (auto* button : buttons_) {
        if (button->commandId() == kCommandPrevious) button->setVisible(page > 0);
        if (button->commandId() == kCommandNext) button->setVisible(page + 1 < pages_.size());
    }
}

void SessionWindow::openCreate() {
    mode_ = Mode::Create;
    setBackground(skin::pathWithFallback(withSlash(game_.directory), "createsession.jpg"));
    for (QWidget* field : std::initializer_list<QWidget*>{name_, players_, spectators_}) field->setEnabled(true);
    name_->clear();
    players_->setValue(game_.layout.frame.maxPlayers);
    spectators_->setValue(game_.layout.maxSpectators);
    password_.clear();
    pages_.setDefault();
    for (auto* button : buttons_) {
        const std::string name = button->objectName().toStdString();
        button->setVisible(name != "close");
    }
    showPage(0);
    show();
    raise();
    activateWindow();
    name_->setFocus();
}

void SessionWindow::openInformation(const SessionEntry& session) {
    mode_ = Mode::Information;
    setBackground(skin::pathWithFallback(withSlash(game_.directory), "sessioninfo.jpg"));
    name_->setText(desktop::fromAnsi(session.name.substr(0, kNameLength)));
    players_->setValue(session.maxPlayers);
    spectators_->setValue(session.maxSpectators);
    for (QWidget* field : std::initializer_list<QWidget*>{name_, players_, spectators_}) field->setEnabled(false);
    pages_.setDefault();
    pages_.setValue(session.options);
    for (auto* button : buttons_) {
        const std::string name = button->objectName().toStdString();
        button->setVisible(name != "create" && name != "private" && name != "quit");
    }
    showPage(0);
    show();
    raise();
    activateWindow();
}

CreateRequest SessionWindow::request() const {
    return {desktop::toAnsi(name_->text()), players_->value(), spectators_->value(), password_, pages_.collect()};
}

void SessionWindow::focusField(int field) {
    if (field == kFieldName) name_->setFocus();
    if (field == kFieldPlayers) players_->setFocus();
    if (field == kFieldSpectators) spectators_->setFocus();
}

void SessionWindow::filterName() {
    std::string text = desktop::toAnsi(name_->text());
    const auto place = filterSessionName(text);
    if (!place) return;
    QApplication::beep();
    // Setting the text runs this again, so a pasted name loses every bad character.
    name_->setText(desktop::fromAnsi(text));
    name_->setCursorPosition(static_cast<int>(*place));
}

void SessionWindow::onCommand(int commandId) {
    switch (commandId) {
        case kCommandCreate:
            if (mode_ == Mode::Create) emit createRequested();
            break;
        case kCommandQuit: close(mode_ == Mode::Create); break;
        case kCommandPrivate:
            if (mode_ == Mode::Create) {
                if (auto typed = askPassword(password_)) password_ = *typed;
            }
            break;
        case kCommandPrevious:
            if (page_ > 0) showPage(page_ - 1);
            break;
        case kCommandNext: showPage(page_ + 1); break;
        default: emit command(commandId); break;
    }
}

void SessionWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes as "quit" does; Enter does not create behind the player's back.
    if (event->key() == Qt::Key_Escape) {
        close(mode_ == Mode::Create);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    skin::SkinnedDialog::keyPressEvent(event);
}

void SessionWindow::close(bool cancelled) {
    hide();
    if (cancelled) emit closedWithoutCreating();
}

// ------------------------------------------------------------ questions

std::optional<bool> askPlayerOrSpectator(QWidget* parent) {
    auto dialog = layoutDialog(parent, "player or spectator");
    auto* window = dialog.get();
    QObject::connect(window, &skin::SkinnedDialog::command, window, [window](int command) {
        if (command == kCommandSpectator) window->done(kCommandSpectator);
    });
    const int result = dialog->exec();
    if (result == skin::SkinnedDialog::kCommandOk) return false;
    if (result == kCommandSpectator) return true;
    return std::nullopt;
}

std::optional<std::string> askSessionPassword(QWidget* parent, const std::string& current) {
    auto dialog = layoutDialog(parent, "password");
    auto* field = skinnedField(dialog.get(), layoutArea(windowLayout("password"), "password"));
    field->setMaxLength(kPasswordLength);
    field->setEchoMode(QLineEdit::Password);
    field->setText(desktop::fromAnsi(current));
    field->setObjectName("password");
    auto* window = dialog.get();
    QObject::connect(field, &QLineEdit::returnPressed, window, [window] { window->done(skin::SkinnedDialog::kCommandOk); });
    field->setFocus();
    if (dialog->exec() != skin::SkinnedDialog::kCommandOk) return std::nullopt;
    return desktop::toAnsi(field->text());
}

std::optional<std::size_t> askGameChoice(QWidget* parent, const std::vector<std::string>& fullNames) {
    auto dialog = layoutDialog(parent, "game choice");
    auto* list = new controls::SkinnedListBox(dialog.get());
    list->place(layoutArea(windowLayout("game choice"), "games"));
    list->setObjectName("games");
    for (const auto& name : fullNames) list->addItem(desktop::fromAnsi(name));
    list->setCurrentRow(0);
    list->syncBar();
    auto* window = dialog.get();
    QObject::connect(list, &QListWidget::itemDoubleClicked, window,
                     [window] { window->done(skin::SkinnedDialog::kCommandOk); });
    if (dialog->exec() != skin::SkinnedDialog::kCommandOk || list->currentRow() < 0) return std::nullopt;
    return static_cast<std::size_t>(list->currentRow());
}

}  // namespace tessary::lobby
