// skinpreview: renders each lobby window (background, buttons, switches and a
// few sample controls), the message box and sheets of every button face and
// small picture, as PNG files.
//   skinpreview <application directory> <output directory>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <cstdio>

#include "skin/bitmap_button.h"
#include "skin/font_table.h"
#include "skin/image_loader.h"
#include "skin/message_box.h"
#include "skin/skin_environment.h"
#include "skin/skin_error.h"
#include "skin/skinned_dialog.h"
#include "skin/window_layouts.h"
#include "preview.h"

namespace {

using namespace tessary::skin;

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

QString sampleFor(std::string_view area) {
    if (area == "user name" || area == "player name" || area == "sender") return "Alexandra";
    if (area == "password" || area == "password again") return "secret";
    if (area == "recipients") return "Bob, Carla";
    if (area == "session name") return "Friday night";
    if (area == "players") return "4";
    if (area == "spectators") return "2";
    if (area == "country") return "New Zealand";
    if (area == "field 1004") return "alex@example.org";
    if (area == "field 1003") return "Alexandra Lee";
    if (area == "chat input") return "Hello everyone!";
    return {};
}

// A picture switch as the lobby will show it: the on picture at its place.
class SwitchPreview : public QWidget {
public:
    SwitchPreview(QWidget* parent, const SwitchPlacement& placement) : QWidget(parent) {
        loadImage(picture_, skinPath(placement.on));
        setGeometry(QRect(QPoint(placement.x, placement.y), picture_.size()));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        picture_.draw(painter, QPoint(0, 0));
    }

private:
    SkinImage picture_;
};

}  // namespace

void populateWindow(SkinnedDialog& dialog, const WindowLayout& layout) {
    dialog.setBackground(skinPath(layout.background));
    if (skinEnvironment().fonts != nullptr) dialog.setFont(skinEnvironment().fonts->font(0));
    for (const ButtonPlacement& button : layout.buttons) {
        // The arena view shows "join" until the player is in a session.
        if (button.prefix == "button\\2leave") continue;
        BitmapButton* made = dialog.addButton(QPoint(button.x, button.y), button.command,
                                              skinPath(button.prefix), button.pictures);
        if (made == nullptr)
            std::fprintf(stderr, "no button %s\n", std::string(button.prefix).c_str());
        if (made != nullptr && button.prefix == "button\\2start") made->setEnabled(false);
    }
    for (const SwitchPlacement& toggle : layout.switches) new SwitchPreview(&dialog, toggle);
    for (const AreaPlacement& area : layout.areas) {
        QString sample = sampleFor(area.name);
        if (area.kind != AreaKind::Field || sample.isEmpty()) continue;
        auto* edit = new QLineEdit(sample, &dialog);
        edit->setFrame(false);
        if (area.name.starts_with("password")) edit->setEchoMode(QLineEdit::Password);
        edit->setGeometry(area.x, area.y, area.width, area.height);
    }
}

namespace {

void renderWindow(const WindowLayout& layout, const QString& outDirectory) {
    SkinnedDialog dialog;
    populateWindow(dialog, layout);
    if (layout.name == "page") {
        auto* message = new QPlainTextEdit("See you at the poker table tonight?", &dialog);
        message->setFrameShape(QFrame::NoFrame);
        message->setGeometry(20, 100, 400, 170);
    }
    QString file = outDirectory + "/" + text(layout.name).replace(' ', '_') + ".png";
    dialog.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

void renderMessageBoxes(const QString& outDirectory) {
    MessageBox single(nullptr, stringText(44), stringText(45), MessageBox::OkOnly);
    single.grab().save(outDirectory + "/message_box_ok.png");
    MessageBox question(nullptr, stringText(49), stringText(48), MessageBox::OkCancel);
    question.grab().save(outDirectory + "/message_box_ok_cancel.png");
}

// Every button prefix in its four faces, one row each.
void renderButtonSheet(const QString& outDirectory) {
    const auto& art = lobbyButtonArt();
    const int rowHeight = 44, labelWidth = 150, column = 180;
    QImage sheet(labelWidth + 4 * column, rowHeight * static_cast<int>(art.size()) + 10,
                 QImage::Format_RGB32);
    sheet.fill(QColor(40, 40, 48));
    QPainter painter(&sheet);
    painter.setPen(Qt::white);
    static const char* kFaces[] = {"up.bmp", "down.bmp", "sel.bmp", "dis.bmp"};
    int y = 5;
    for (const ButtonArt& button : art) {
        painter.drawText(QRect(5, y, labelWidth - 10, rowHeight), Qt::AlignVCenter,
                         text(button.prefix));
        for (int face = 0; face < 4; ++face) {
            SkinImage picture;
            loadImage(picture, skinPath(std::string(button.prefix) + kFaces[face]));
            picture.draw(painter, QPoint(labelWidth + face * column,
                                         y + (rowHeight - picture.height()) / 2));
        }
        y += rowHeight;
    }
    sheet.save(outDirectory + "/button_faces.png");
}

// The small pictures on a mid grey, scaled up three times.
void renderPictureSheet(const QString& outDirectory) {
    const char* names[] = {"ping0.bmp",
                           "ping1.bmp",
                           "ping2.bmp",
                           "ping3.bmp",
                           "ping4.bmp",
                           "ping5.bmp",
                           "on.bmp",
                           "off.bmp",
                           "checkon.bmp",
                           "checkoff.bmp",
                           "pageon.bmp",
                           "pageoff.bmp",
                           "soundon.bmp",
                           "soundoff.bmp",
                           "play.bmp",
                           "pause.bmp",
                           "player.bmp",
                           "spectator.bmp",
                           "scrollupup.bmp",
                           "scrollupdown.bmp",
                           "scrolldownup.bmp",
                           "scrolldowndown.bmp",
                           "button\\6on.bmp",
                           "button\\6off.bmp",
                           "session\\open.bmp",
                           "session\\started.bmp",
                           "session\\private.bmp",
                           "session\\unknow.bmp",
                           "tab.bmp",
                           "tabselect.bmp",
                           "tabmessage.bmp"};
    QImage sheet(900, 460, QImage::Format_RGB32);
    sheet.fill(QColor(90, 90, 100));
    QPainter painter(&sheet);
    int x = 10, y = 10, rowHeight = 0;
    for (const char* name : names) {
        SkinImage picture;
        loadImage(picture, skinPath(name));
        QSize scaled = picture.size() * 3;
        if (x + scaled.width() > sheet.width() - 10) {
            x = 10;
            y += rowHeight + 24;
            rowHeight = 0;
        }
        picture.drawStretched(painter, QRect(QPoint(x, y), scaled));
        painter.setPen(Qt::white);
        painter.drawText(QPoint(x, y + scaled.height() + 14), name);
        x += std::max(scaled.width(), 110) + 12;
        rowHeight = std::max(rowHeight, scaled.height());
    }
    sheet.save(outDirectory + "/pictures.png");
}

// The stock photos, the default photo and the advertisement banner.
void renderPhotoSheet(const QString& outDirectory) {
    QImage sheet(4 * 136 + 8, 4 * 136 + 8 + 70, QImage::Format_RGB32);
    sheet.fill(QColor(90, 90, 100));
    QPainter painter(&sheet);
    for (int number = 1; number <= 13; ++number) {
        SkinImage photo;
        loadImage(photo, skinEnvironment().applicationDirectory +
                             (number <= 12 ? "data\\Picture\\" + std::to_string(number) + ".jpg"
                                           : std::string("data\\picture\\defaultphoto.jpg")));
        photo.draw(painter, QPoint(8 + (number - 1) % 4 * 136, 8 + (number - 1) / 4 * 136));
    }
    SkinImage banner;
    loadImage(banner, skinPath("logoquillon.jpg"));
    banner.draw(painter, QPoint(8, 4 * 136 + 8));
    sheet.save(outDirectory + "/photos.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <application directory> <output directory>\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    SkinEnvironment& environment = skinEnvironment();
    environment.applicationDirectory = std::string(argv[1]) + "/";
    environment.strings = StringTable(applicationPath("data\\strings.bin"));
    FontTable fonts;
    fonts.load(applicationPath("data\\font\\font.ini").string(),
               applicationPath("data\\font").string());
    environment.fonts = &fonts;
    const QString outDirectory = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDirectory);
    try {
        for (const WindowLayout& layout : lobbyWindowLayouts()) renderWindow(layout, outDirectory);
        renderMessageBoxes(outDirectory);
        renderButtonSheet(outDirectory);
        renderPictureSheet(outDirectory);
        renderPhotoSheet(outDirectory);
        renderControls(outDirectory);
    } catch (const tessary::skin::SkinFatalError& error) {
        std::fprintf(stderr, "skinpreview: %s\n", error.what());
        return 1;
    }
    return 0;
}
