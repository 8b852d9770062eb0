#include "test_app_directory.h"

#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <fstream>

#include "desktop/decoded_image.h"
#include "desktop/image_writers.h"
#include "desktop/jpeg_writer.h"
#include "platform/paths.h"
#include "skin/scramble.h"
#include "skin/skin_environment.h"

namespace tessary::lobby::testing {
namespace {

desktop::DecodedImage decoded(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    desktop::DecodedImage result{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) result.pixels.push_back(0xFF000000u | line[x]);
    }
    return result;
}

QImage labelled(QSize size, QColor fill, const QString& label) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter painter(&image);
    painter.setPen(QColor(255, 168, 0));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, label);
    return image;
}

std::string bytesOf(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::string scrambled(std::string text) {
    skin::scramble(std::span<char>(text.data(), text.size()));
    return text;
}

}  // namespace

TestAppDirectory::TestAppDirectory(int routerPort, LoginPair userInfo) {
    char pattern[] = "/tmp/lobby-app-XXXXXX";
    root_ = ::mkdtemp(pattern);
    writeSettings(routerPort, userInfo);
    writeTexts();
    writePictures();
}

TestAppDirectory::~TestAppDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void TestAppDirectory::activate() const {
    auto& environment = skin::skinEnvironment();
    environment.applicationDirectory = path();
    environment.strings = skin::StringTable(root_ / "data/strings.bin");
    std::filesystem::current_path(root_);
}

void TestAppDirectory::writeFile(const std::string& relative, const std::string& bytes) const {
    const auto file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

void TestAppDirectory::writeSettings(int routerPort, const LoginPair& userInfo) const {
    writeFile("CONFIG.INI", scrambled("[SOUND]\n0\n[ROUTER]\n127.0.0.1 " + std::to_string(routerPort) +
                                      "\n[NBPICTURE]\n3\n[USERINFO]\n" + userInfo.name + " " +
                                      userInfo.password + "\n[PLAYERCOLOR]\n255 255 255\n[FONT]\n0\n"));
    writeFile("data/country.bin", scrambled("[START]\n4\nFrance Chile United|Kingdom Peru\n"));
    writeFile("data/font/font.ini", "[FONT]\n1\n13 none DejaVu|Sans\n");
}

void TestAppDirectory::writeTexts() const {
    std::string texts;
    const std::pair<int, const char*> entries[] = {
        {1, "TSClient"}, {2, "Please fill in every field."}, {3, "Account"},
        {4, "The two passwords differ."}, {7, "Photo"}, {8, "Send a photo of your own?"},
        {9, "Photo"}, {10, "Only .bmp, .gif and .jpg pictures."}, {11, "Choose a photo"},
        {12, "The picture is larger than 20 KB."}, {13, "The photo will be sent with your account."},
        {14, "Choose an arena first."}, {15, "Arena"}, {17, "The arena cannot be reached."},
        {35, "Tessary"}, {36, "Cannot open %s"}, {37, "Broken file %s"}, {38, "No update."},
        {40, "The service library is missing or incomplete."}, {44, "The Router cannot be reached."},
        {45, "Connection"}, {46, "Shared memory"}, {47, "A new version is required."},
        {48, "New version"}, {49, "A new version exists."}, {50, "No program opens this."},
        {52, "The Arena connection was lost."}, {53, "Welcome to %s"}, {54, "Back to the Router"},
        {67, "Pictures (*.bmp *.gif *.jpg)"}, {88, "TSClient 1.0"}, {999, "last"},
    };
    for (const auto& [number, text] : entries) texts += std::to_string(number) + ":" + text + "\n";
    writeFile("data/strings.bin", texts);
}

void TestAppDirectory::writeButton(const std::string& name, int count, const std::string& folder) const {
    const char* faces[] = {"up", "down", "sel", "dis"};
    const QColor colors[] = {QColor(20, 40, 120), QColor(10, 20, 70), QColor(40, 70, 170),
                             QColor(60, 60, 60)};
    const bool small = name == "min" || name == "max" || name == "exit";
    const QSize size = small ? QSize(16, 16) : QSize(120, 30);
    QString label = QString::fromStdString(name);
    if (small) label = label.left(1);
    for (int face = 0; face < count; ++face) {
        writeFile(folder + name + faces[face] + ".bmp",
                  bytesOf(desktop::encodeBmp24(decoded(labelled(size, colors[face], label)))));
    }
}

void TestAppDirectory::writePictures() const {
    const auto jpeg = [this](const std::string& relative, QSize size, const char* label) {
        writeFile(relative, bytesOf(desktop::encodeJpeg(decoded(labelled(size, QColor(0, 0, 80), label)), 90)));
    };
    const auto bmp = [this](const std::string& relative, QSize size, QColor color) {
        writeFile(relative, bytesOf(desktop::encodeBmp24(decoded(labelled(size, color, {})))));
    };
    jpeg("data/default/window/1connect.jpg", {800, 600}, "router view");
    jpeg("data/default/window/2chat.jpg", {800, 600}, "arena view");
    jpeg("data/default/window/3login.jpg", {300, 230}, "");
    jpeg("data/default/window/4account.jpg", {760, 560}, "new account");
    jpeg("data/default/window/4modify.jpg", {760, 560}, "modify account");
    for (int n = 1; n <= 3; ++n) {
        jpeg("data/Picture/" + std::to_string(n) + ".jpg", {128, 128}, "stock");
    }
    jpeg("data/Picture/defaultphoto.jpg", {128, 128}, "no photo");
    for (const char* name : {"on", "off", "pageon", "pageoff", "soundon", "soundoff"}) {
        bmp(std::string("data/default/") + name + ".bmp", {16, 16},
            std::string(name).ends_with("on") ? QColor(255, 168, 0) : QColor(80, 80, 80));
    }
    for (const char* name : {"scrollupup", "scrollupdown", "scrolldownup", "scrolldowndown"}) {
        bmp(std::string("data/default/") + name + ".bmp", {16, 16}, QColor(30, 60, 160));
    }
    // The arena view's chat tabs, pause switch and player markers.
    bmp("data/default/tab.bmp", {80, 25}, QColor(40, 40, 90));
    bmp("data/default/tabselect.bmp", {80, 25}, QColor(20, 40, 160));
    bmp("data/default/tabmessage.bmp", {80, 25}, QColor(160, 60, 20));
    bmp("data/default/play.bmp", {20, 20}, QColor(0, 120, 0));
    bmp("data/default/pause.bmp", {20, 20}, QColor(120, 0, 0));
    bmp("data/default/player.bmp", {10, 10}, QColor(0, 160, 0));
    bmp("data/default/spectator.bmp", {10, 10}, QColor(160, 160, 0));
    for (int level = 0; level < 6; ++level) {
        bmp("data/default/ping" + std::to_string(level) + ".bmp", {12, 12}, QColor(0, 40 * level, 0));
    }
    for (const char* name : {"min", "exit"}) writeButton(name, 2);
    writeButton("max", 4);  // its disabled picture shows on a large screen
    for (const char* name : {"1connect", "1returnlogin", "1search", "1page", "1moreinfo", "1modify",
                             "1buddy", "2join", "2leave", "2gameinfo", "2arena", "2page", "2name", "2session", "3login",
                             "3quit", "3newuser", "3help", "4save", "4cancel", "4choose", "4send",
                             "ok", "cancel"}) {
        writeButton(name, 3);
    }
    for (const char* name : {"2create", "2start"}) writeButton(name, 4);

    // The session windows, their questions and the session list's badges.
    jpeg("data/default/session/createsession.jpg", {500, 400}, "create session");
    jpeg("data/default/session/sessioninfo.jpg", {500, 400}, "session information");
    jpeg("data/default/window/7playersel.jpg", {276, 200}, "player or spectator");
    jpeg("data/default/window/8private.jpg", {305, 165}, "password");
    jpeg("data/default/window/10gamelist.jpg", {320, 300}, "game choice");
    writeButton("exit", 2, "data/default/session/");
    for (const char* name : {"create", "quit", "close", "private", "previous", "next"}) {
        writeButton(name, 3, "data/default/session/");
    }
    for (const char* name : {"7player", "7spectator", "7cancel", "8ok", "8cancel", "10ok", "10cancel"}) {
        writeButton(name, 3);
    }
    const std::pair<const char*, QColor> badges[] = {
        {"open", QColor(0, 200, 0)},   {"started", QColor(200, 0, 0)}, {"private", QColor(0, 0, 200)},
        {"on", QColor(255, 168, 0)},   {"off", QColor(80, 80, 80)},    {"checkon", QColor(255, 168, 0)},
        {"checkoff", QColor(80, 80, 80)}};
    for (const auto& [name, colour] : badges) bmp(std::string("data/default/session/") + name + ".bmp", {16, 16}, colour);
    bmp("data/default/session/unknow.bmp", {64, 48}, QColor(90, 90, 90));
}

}  // namespace tessary::lobby::testing
