#include "lobby/account_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>

#include "lobby/skin_extras.h"
#include "lobby/user_files.h"
#include "platform/paths.h"
#include "skin/ansi_text.h"
#include "skin/image_loader.h"
#include "skin/skin_environment.h"

namespace tessary::lobby {
namespace {

std::string text(const QLineEdit* edit) { return skin::toAnsi(edit->text()); }

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(platform::nativePath(path), error);
}

}  // namespace

AccountWindow::AccountWindow(QWidget* parent, std::vector<std::string> countries, int pictureCount)
    : SkinnedDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      name_(new NameEdit(NameField::Account, this)),
      pictureCount_(pictureCount) {
    setWindowTitle("TSClient - Account");
    setMovable(true);
    setTextColor(Qt::white);
    const auto& layout = windowLayout("account");
    setBackground(skin::skinPath(layout.background));
    name_->setGeometry(layoutArea(layout, "user name"));
    name_->setFont(defaultFont());
    // While modifying, the name cannot change: it looks so.
    QPalette namePalette = name_->palette();
    namePalette.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    name_->setPalette(namePalette);
    password_ = addLine(1001, layoutArea(layout, "password"), kPasswordLimit, true);
    confirmation_ = addLine(1002, layoutArea(layout, "password again"), kPasswordLimit, true);
    field1003_ = addLine(1003, layoutArea(layout, "field 1003"), kField1003Limit, false);
    field1004_ = addLine(1004, layoutArea(layout, "field 1004"), kField1004Limit, false);
    field1005_ = addLine(1005, layoutArea(layout, "field 1005"), kField1005Limit, false);

    country_ = new QComboBox(this);
    country_->setGeometry(layoutArea(layout, "country"));
    country_->setFont(defaultFont());
    std::sort(countries.begin(), countries.end());
    for (const auto& name : countries) country_->addItem(skin::fromAnsi(name));
    country_->setCurrentIndex(-1);

    description_ = new QPlainTextEdit(this);
    description_->setGeometry(layoutArea(layout, "description"));
    description_->setFont(defaultFont());
    description_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    description_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(description_, &QPlainTextEdit::textChanged, this, &AccountWindow::limitDescription);

    skin::loadImage(on_, skin::skinPath("on.bmp"));
    skin::loadImage(off_, skin::skinPath("off.bmp"));

    for (const auto& button : layout.buttons) placeButton(*this, button);
    loadPhoto();
}

QLineEdit* AccountWindow::addLine(int id, QRect geometry, int limit, bool password) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(geometry);
    edit->setFont(defaultFont());
    edit->setMaxLength(limit);
    if (password) edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QLineEdit* AccountWindow::field(int id) const {
    switch (id) {
        case 1001: return password_;
        case 1002: return confirmation_;
        case 1003: return field1003_;
        case 1004: return field1004_;
        case 1005: return field1005_;
        default: return name_;
    }
}

void AccountWindow::limitDescription() {
    const auto current = description_->toPlainText();
    if (current.size() <= static_cast<qsizetype>(kDescriptionLimit)) return;
    QApplication::beep();
    description_->setPlainText(current.left(static_cast<qsizetype>(kDescriptionLimit)));
    description_->moveCursor(QTextCursor::End);
}

void AccountWindow::setMode(AccountMode mode) {
    mode_ = mode;
    name_->setEnabled(mode == AccountMode::Create);
    const char* layout = mode == AccountMode::Create ? "account" : "account modify";
    setBackground(skin::skinPath(windowLayout(layout).background));
}

AccountForm AccountWindow::form() const {
    AccountForm form;
    form.name = text(name_);
    form.password = text(password_);
    form.confirmation = text(confirmation_);
    form.field1003 = text(field1003_);
    form.field1004 = text(field1004_);
    form.field1005 = text(field1005_);
    form.country = skin::toAnsi(country_->currentText());
    // Line breaks travel as the system's own "\r\n".
    form.description = skin::toAnsi(description_->toPlainText().replace("\n", "\r\n"));
    form.gender = gender_;
    form.photoNumber = photoNumber_;
    form.ownPhotoPath = ownPhotoPath_;
    return form;
}

void AccountWindow::setForm(const AccountForm& form) {
    name_->setText(skin::fromAnsi(form.name));
    password_->setText(skin::fromAnsi(form.password));
    confirmation_->setText(skin::fromAnsi(form.confirmation));
    field1003_->setText(skin::fromAnsi(form.field1003));
    field1004_->setText(skin::fromAnsi(form.field1004));
    field1005_->setText(skin::fromAnsi(form.field1005));
    country_->setCurrentIndex(country_->findText(skin::fromAnsi(form.country)));
    auto description = skin::fromAnsi(form.description);
    description_->setPlainText(description.replace("\r\n", "\n"));
    gender_ = form.gender != 0 ? 1 : 0;
    ownPhotoPath_ = form.ownPhotoPath;
    if (photoNumber_ != form.photoNumber) {
        photoNumber_ = form.photoNumber;
        loadPhoto();
    }
    update();
}

void AccountWindow::loadPhoto() {
    // A number the Router sends may name no picture at all; a missing picture
    // would be a fatal skin error, so the default photo stands in.
    std::string path;
    if (photoNumber_ == 0) {
        path = cacheFilePath("photo.jpg").string();
    } else if (photoNumber_ > 0 && photoNumber_ <= pictureCount_) {
        path = skin::applicationPath("data\\Picture\\" + std::to_string(photoNumber_) + ".jpg").string();
    }
    if (path.empty() || !fileExists(path)) {
        path = skin::applicationPath("data\\Picture\\defaultphoto.jpg").string();
    }
    photo_.clear();
    if (fileExists(path)) skin::loadImage(photo_, path);
    update();
}

QRect AccountWindow::genderRect(int position) const {
    const QPoint corner = position == 0 ? QPoint(158, 464) : QPoint(232, 464);
    return QRect(corner, off_.isNull() ? QSize(16, 16) : off_.size());
}

void AccountWindow::paintEvent(QPaintEvent* event) {
    SkinnedDialog::paintEvent(event);
    QPainter painter(this);
    if (!photo_.isNull()) photo_.drawStretched(painter, kPhotoRect);
    for (int position = 0; position < 2; ++position) {
        const auto& picture = position == gender_ ? on_ : off_;
        if (!picture.isNull()) picture.draw(painter, genderRect(position).topLeft());
    }
}

void AccountWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    for (int position = 0; position < 2; ++position) {
        if (event->button() == Qt::LeftButton && genderRect(position).contains(point)) {
            gender_ = position;
            update();
            return;
        }
    }
    SkinnedDialog::mousePressEvent(event);
}

void AccountWindow::onCommand(int commandId) {
    switch (commandId) {
        case kCommandOk: emit saveRequested(); break;
        case kCommandCancel: emit cancelRequested(); break;
        case kCommandStockPhoto: emit stockPhotoRequested(); break;
        case kCommandOwnPhoto: emit ownPhotoRequested(); break;
        case kCommandMinimise: showMinimized(); break;
        case kCommandHelpButton: emit helpRequested(kHelpContext); break;
        case kCommandLogo: emit logoClicked(); break;
        default: break;
    }
}

void AccountWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit cancelRequested();
}

}  // namespace tessary::lobby
