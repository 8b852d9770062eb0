// Opens, from the built application directory, every data file, picture and
// sound that the lobby's windows name, so a missing or broken file fails here
// and not in front of a user. The names are written as the lobby's design
// writes them (backslashes, mixed case), independently of the generator.
#include <SDL.h>
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "skin/country_list.h"
#include "skin/font_table.h"
#include "skin/image_loader.h"
#include "skin/skin_environment.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"

namespace tessary::skin {
namespace {

class DataTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dist = std::getenv("TESSARY_DIST");
        ASSERT_NE(dist, nullptr) << "TESSARY_DIST names the built application directory";
        root_ = std::string(dist) + "/";
        skinEnvironment().applicationDirectory = root_;
        skinEnvironment().systemMessage = [this](const QString& text, const QString&) {
            messages_.push_back(text.toStdString());
        };
    }
    void TearDown() override { skinEnvironment() = SkinEnvironment{}; }

    // Loads `relative` (below the application directory); fails the test with
    // the reason when it does not load.
    SkinImage load(const std::string& relative) {
        SkinImage image;
        try {
            EXPECT_TRUE(loadImage(image, root_ + relative)) << relative;
        } catch (const SkinFatalError& error) {
            ADD_FAILURE() << relative << ": text " << error.textNumber();
        }
        EXPECT_FALSE(image.isNull()) << relative;
        return image;
    }

    static bool holdsPureBlack(const SkinImage& image) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.image().pixel(x, y) & 0xFFFFFF) == 0) return true;
            }
        }
        return false;
    }

    std::string root_;
    std::vector<std::string> messages_;
};

struct ButtonName {
    const char* prefix;  // below "data\\default\\"
    int pictures;
};

// Every button prefix the lobby's windows name, with the picture count their
// tables give (3 where no count is given: up, down and hover at least).
const ButtonName kButtons[] = {
    {"button\\min", 2},      {"button\\max", 4},          {"button\\exit", 2},
    {"button\\1connect", 3}, {"button\\1returnlogin", 3}, {"button\\1search", 3},
    {"button\\1page", 3},    {"button\\1moreinfo", 3},    {"button\\1modify", 3},
    {"button\\1buddy", 3},   {"button\\2create", 4},      {"button\\2join", 3},
    {"button\\2leave", 3},   {"button\\2gameinfo", 3},    {"button\\2start", 4},
    {"button\\2arena", 3},   {"button\\2page", 3},        {"button\\2name", 3},
    {"button\\2session", 3}, {"button\\3login", 3},       {"button\\3quit", 3},
    {"button\\3newuser", 3}, {"button\\3help", 3},        {"button\\4save", 3},
    {"button\\4cancel", 3},  {"button\\4choose", 3},      {"button\\4send", 3},
    {"button\\5search", 3},  {"button\\5go", 3},          {"button\\5cancel", 3},
    {"button\\6send", 3},    {"button\\6cancel", 3},      {"button\\6reply", 3},
    {"button\\6close", 3},   {"button\\7player", 3},      {"button\\7spectator", 3},
    {"button\\7cancel", 3},  {"button\\8ok", 3},          {"button\\8cancel", 3},
    {"button\\9back", 3},    {"button\\9next", 3},        {"button\\9ok", 3},
    {"button\\9cancel", 3},  {"button\\10ok", 3},         {"button\\10cancel", 3},
    {"button\\11ok", 3},     {"button\\11add", 3},        {"button\\12remove", 3},
    {"button\\12cancel", 3}, {"button\\ok", 3},           {"button\\cancel", 3},
    {"button\\quillon", 3},  {"button\\help", 3},         {"session\\exit", 2},
    {"session\\create", 3},  {"session\\quit", 3},        {"session\\close", 3},
    {"session\\private", 3}, {"session\\previous", 3},    {"session\\next", 3},
};

TEST_F(DataTreeTest, EveryButtonHasItsPicturesAllDifferent) {
    static const char* kFaces[] = {"up.bmp", "down.bmp", "sel.bmp", "dis.bmp"};
    for (const ButtonName& button : kButtons) {
        std::vector<SkinImage> faces;
        for (int face = 0; face < button.pictures; ++face) {
            faces.push_back(load(std::string("data\\default\\") + button.prefix + kFaces[face]));
        }
        for (std::size_t face = 1; face < faces.size(); ++face) {
            EXPECT_EQ(faces[face].size(), faces[0].size()) << button.prefix << kFaces[face];
            EXPECT_NE(faces[face].image(), faces[0].image()) << button.prefix << kFaces[face];
        }
        // Buttons are copied opaque: pure black would be a hole elsewhere.
        for (const SkinImage& face : faces) EXPECT_FALSE(holdsPureBlack(face)) << button.prefix;
    }
}

struct Placed {
    const char* prefix;
    int x;
    int y;
};

struct WindowName {
    const char* background;  // below "data\\default\\window\\"
    int width;               // 0: not fixed, only the buttons must fit
    int height;
    std::vector<Placed> buttons;
};

// The windows whose buttons sit at fixed places: the background must hold
// every button, and no two buttons shown together may overlap.
const std::vector<WindowName>& placedWindows() {
    static const std::vector<WindowName> windows = {
        {"1connect.jpg",
         800,
         600,
         {{"button\\min", 733, 10},
          {"button\\max", 751, 10},
          {"button\\exit", 769, 10},
          {"button\\1connect", 500, 262},
          {"button\\1returnlogin", 640, 262},
          {"button\\1search", 500, 299},
          {"button\\1page", 640, 299},
          {"button\\1moreinfo", 500, 542},
          {"button\\1modify", 18, 542},
          {"button\\1buddy", 261, 542},
          {"button\\quillon", 498, 12},
          {"button\\help", 710, 12}}},
        {"2chat.jpg",
         800,
         600,
         {{"button\\min", 733, 10},
          {"button\\max", 751, 10},
          {"button\\exit", 769, 10},
          {"button\\2create", 497, 488},
          {"button\\2join", 497, 521},
          {"button\\2gameinfo", 497, 554},
          {"button\\2start", 644, 488},
          {"button\\2arena", 644, 521},
          {"button\\2page", 644, 554},
          {"button\\quillon", 498, 12},
          {"button\\help", 710, 12}}},
        {"3login.jpg",
         0,
         0,
         {{"button\\3login", 15, 149},
          {"button\\3quit", 152, 149},
          {"button\\3newuser", 15, 185},
          {"button\\3help", 152, 185},
          {"button\\exit", 271, 11},
          {"button\\help", 250, 11},
          {"button\\quillon", 18, 15}}},
        {"4account.jpg",
         0,
         0,
         {{"button\\4save", 416, 503},
          {"button\\4cancel", 573, 503},
          {"button\\4choose", 562, 122},
          {"button\\4send", 562, 173},
          {"button\\min", 710, 17},
          {"button\\exit", 731, 17},
          {"button\\help", 687, 17},
          {"button\\quillon", 20, 24}}},
        {"4modify.jpg",
         0,
         0,
         {{"button\\4save", 416, 503},
          {"button\\4cancel", 573, 503},
          {"button\\4choose", 562, 122},
          {"button\\4send", 562, 173},
          {"button\\min", 710, 17},
          {"button\\exit", 731, 17},
          {"button\\help", 687, 17},
          {"button\\quillon", 20, 24}}},
        {"7playersel.jpg",
         0,
         0,
         {{"button\\7player", 15, 108},
          {"button\\7spectator", 141, 108},
          {"button\\7cancel", 15, 152},
          {"button\\exit", 238, 15}}},
        {"8private.jpg",
         0,
         0,
         {{"button\\8ok", 17, 119}, {"button\\8cancel", 159, 119}, {"button\\exit", 273, 13}}},
        {"5searchplayer.jpg", 0, 0, {}},
        {"6page.jpg", 0, 0, {}},
        {"6replypage.jpg", 0, 0, {}},
        {"9picselect.jpg", 0, 0, {}},
        {"10gamelist.jpg", 0, 0, {}},
        {"11playerinfo.jpg", 0, 0, {}},
        {"12buddy.jpg", 0, 0, {}},
    };
    return windows;
}

TEST_F(DataTreeTest, WindowBackgroundsHoldTheirButtons) {
    for (const WindowName& window : placedWindows()) {
        SkinImage background = load(std::string("data\\default\\window\\") + window.background);
        if (window.width > 0) {
            EXPECT_EQ(background.size(), QSize(window.width, window.height)) << window.background;
        }
        std::vector<QRect> placed;
        for (const Placed& button : window.buttons) {
            SkinImage up = load(std::string("data\\Default\\") + button.prefix + "up.bmp");
            QRect rect(QPoint(button.x, button.y), up.size());
            EXPECT_TRUE(QRect(QPoint(0, 0), background.size()).contains(rect))
                << window.background << " " << button.prefix;
            for (const QRect& other : placed) {
                EXPECT_FALSE(rect.intersects(other)) << window.background << " " << button.prefix;
            }
            placed.push_back(rect);
        }
    }
    // The password window's field and the buddy list lie inside their windows.
    EXPECT_TRUE(QRect(QPoint(0, 0), load("data\\default\\window\\8private.jpg").size())
                    .contains(QRect(QPoint(135, 78), QPoint(280, 95))));
    EXPECT_TRUE(QRect(QPoint(0, 0), load("data\\default\\window\\12buddy.jpg").size())
                    .contains(QRect(QPoint(30, 71), QPoint(307, 359))));
}

TEST_F(DataTreeTest, SmallPicturesAndSessionSkin) {
    const char* pictures[] = {
        "data\\default\\ping0.bmp",
        "data\\default\\ping1.bmp",
        "data\\default\\ping2.bmp",
        "data\\default\\ping3.bmp",
        "data\\default\\ping4.bmp",
        "data\\default\\ping5.bmp",
        "data\\Default\\logoquillon.jpg",
        "data\\default\\on.bmp",
        "data\\default\\off.bmp",
        "data\\default\\pageoff.bmp",
        "data\\default\\pageon.bmp",
        "data\\default\\soundoff.bmp",
        "data\\default\\soundon.bmp",
        "data\\default\\play.bmp",
        "data\\default\\pause.bmp",
        "data\\default\\tab.bmp",
        "data\\default\\tabselect.bmp",
        "data\\default\\tabmessage.bmp",
        "data\\default\\scrollupup.bmp",
        "data\\default\\scrollupdown.bmp",
        "data\\default\\scrolldownup.bmp",
        "data\\default\\scrolldowndown.bmp",
        "data\\default\\button\\maxdis.bmp",
        "data\\default\\button\\6off.bmp",
        "data\\default\\button\\6on.bmp",
        "data\\default\\session\\createsession.jpg",
        "data\\default\\session\\sessioninfo.jpg",
        "data\\Default\\session\\open.bmp",
        "data\\Default\\session\\started.bmp",
        "data\\Default\\session\\private.bmp",
        "data\\Default\\session\\unknow.bmp",
        "data\\default\\session\\on.bmp",
        "data\\default\\session\\off.bmp",
        "data\\default\\session\\checkon.bmp",
        "data\\default\\session\\checkoff.bmp",
        "data\\default\\session\\scrollupup.bmp",
        "data\\default\\session\\scrollupdown.bmp",
        "data\\default\\session\\scrolldownup.bmp",
        "data\\default\\session\\scrolldowndown.bmp",
    };
    for (const char* picture : pictures) load(picture);

    // Tabs are 25 pixels high; the chat row is laid out for that.
    EXPECT_EQ(load("data\\default\\tab.bmp").height(), 25);
    // The two list markers are drawn transparently: black around a visible mark.
    for (const char* marker : {"data\\default\\player.bmp", "data\\default\\spectator.bmp"}) {
        SkinImage image = load(marker);
        EXPECT_TRUE(holdsPureBlack(image)) << marker;
        EXPECT_NE(image.image().pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF, 0u)
            << marker;
    }
    // Each ping level looks different.
    std::vector<QImage> pings;
    for (int level = 0; level <= 5; ++level) {
        pings.push_back(load("data\\default\\ping" + std::to_string(level) + ".bmp").image());
    }
    for (std::size_t a = 0; a < pings.size(); ++a) {
        for (std::size_t b = a + 1; b < pings.size(); ++b) EXPECT_NE(pings[a], pings[b]) << a << b;
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(DataTreeTest, SettingsFileAndStockPhotos) {
    SkinFile config;
    config.open(root_ + "CONFIG.INI", true);
    ASSERT_TRUE(config.findSection("SOUND"));
    EXPECT_EQ(config.readInt(), 1);
    ASSERT_TRUE(config.findSection("ROUTER"));
    EXPECT_EQ(config.readToken(), "127.0.0.1");
    EXPECT_GT(config.readInt(), 0);
    ASSERT_TRUE(config.findSection("USERINFO"));
    EXPECT_EQ(config.readToken(), "DUMMY");
    (void)config.readToken();
    ASSERT_TRUE(config.findSection("PLAYERCOLOR"));
    for (int channel = 0; channel < 3; ++channel) EXPECT_LE(config.readInt(), 255);
    ASSERT_TRUE(config.findSection("FONT"));
    (void)config.readInt();
    ASSERT_TRUE(config.findSection("BUDDY"));
    EXPECT_EQ(config.readInt(), 0);
    ASSERT_TRUE(config.findSection("NBPICTURE"));
    const int photos = config.readInt();
    EXPECT_GE(photos, 1);
    for (int number = 1; number <= photos; ++number) {
        EXPECT_EQ(load("data\\Picture\\" + std::to_string(number) + ".jpg").size(),
                  QSize(128, 128));
    }
    load("data\\picture\\defaultphoto.jpg");
}

TEST_F(DataTreeTest, EveryNumberedTextIsPresent) {
    std::ifstream in(root_ + "data/strings.bin", std::ios::binary);
    ASSERT_TRUE(in);
    std::map<int, std::string> texts;
    std::string line;
    while (std::getline(in, line)) {
        auto colon = line.find(':');
        if (colon != std::string::npos)
            texts[std::stoi(line.substr(0, colon))] = line.substr(colon + 1);
    }
    std::set<int> wanted;
    for (int n = 1; n <= 103; ++n) wanted.insert(n);
    wanted.erase(5);
    wanted.erase(66);
    for (int n : wanted) {
        ASSERT_TRUE(texts.count(n)) << "text " << n;
        EXPECT_FALSE(texts[n].empty()) << "text " << n;
    }
    auto count = [&](int n, const char* placeholder) {
        std::string text = texts[n];
        int found = 0;
        for (auto at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, at + 1)) {
            ++found;
        }
        return found;
    };
    // Texts filled with a path, a name, a command or numbers carry exactly
    // the placeholders their callers fill.
    for (int n : {19, 20, 36, 37, 22, 23, 27, 28, 29, 30, 53, 60, 61, 62, 63, 64, 65, 72, 78}) {
        EXPECT_EQ(count(n, "%s"), 1) << "text " << n;
    }
    EXPECT_EQ(count(24, "%s"), 2);
    EXPECT_EQ(count(85, "%d"), 2);
    EXPECT_EQ(count(31, "%d"), 1);
    // Texts that the lobby continues with a name end in a blank.
    for (int n : {25, 26, 43, 82}) EXPECT_EQ(texts[n].back(), ' ') << "text " << n;
}

TEST_F(DataTreeTest, CountriesAndFonts) {
    std::vector<std::string> countries = loadCountryList(root_ + "data\\country.bin");
    EXPECT_GE(countries.size(), 190u);
    std::set<std::string> names(countries.begin(), countries.end());
    EXPECT_TRUE(names.count("France"));
    EXPECT_TRUE(names.count("United Kingdom"));
    EXPECT_TRUE(names.count("C\xF4te d'Ivoire"));

    SkinFile list;
    list.open(root_ + "data\\font\\font.ini", false);
    std::vector<FontEntry> entries = readFontEntries(list);
    ASSERT_GE(entries.size(), 4u);
    FontTable fonts;
    fonts.build(entries, root_ + "data\\font");
    for (int i = 0; i < fonts.count(); ++i) {
        EXPECT_EQ(QFontInfo(fonts.font(i)).family().toStdString(),
                  entries[static_cast<std::size_t>(i)].face)
            << "font " << i;
        EXPECT_NEAR(fonts.lineHeight(i), entries[static_cast<std::size_t>(i)].height, 1)
            << "font " << i;
        if (entries[static_cast<std::size_t>(i)].file != "none") {
            EXPECT_TRUE(std::filesystem::exists(root_ + "data/font/" +
                                                entries[static_cast<std::size_t>(i)].file));
        }
    }
}

TEST_F(DataTreeTest, SoundsAreShortRealWaves) {
    const char* sounds[] = {"starttsc.wav", "exittsc.wav",      "button.wav",
                            "profile.wav",  "connectarena.wav", "web.wav",
                            "mbox.wav",     "pagereceive.wav",  "pagesend.wav"};
    for (const char* name : sounds) {
        std::string path = applicationPath(std::string("data\\sound\\") + name).string();
        SDL_AudioSpec wavFormat{};
        Uint8* samples = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV(path.c_str(), &wavFormat, &samples, &length), nullptr) << name;
        const double seconds =
            double(length) / (wavFormat.freq * wavFormat.channels * (SDL_AUDIO_BITSIZE(wavFormat.format) / 8));
        EXPECT_GT(seconds, 0.02) << name;
        EXPECT_LT(seconds, 2.0) << name;
        bool audible = false;
        for (Uint32 i = 0; i + 1 < length && !audible; i += 2) {
            audible = std::abs(static_cast<int16_t>(samples[i] | (samples[i + 1] << 8))) > 2000;
        }
        EXPECT_TRUE(audible) << name;
        SDL_FreeWAV(samples);
    }
}

}  // namespace
}  // namespace tessary::skin
