// The window side: board view geometry and input, the panel, chat, pictures,
// animations, and screenshots of a game in progress (written to
// build/previews/slimefray/).
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

#include "board_animator.h"
#include "game_ui.h"
#include "pictures.h"
#include "slot_colours.h"
#include "slimefray/auto_player.h"
#include "slimefray/referee.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;

Pictures distPictures() {
    PictureLoader loader(SLIMEFRAY_DIST_DIR);
    Pictures pictures = Pictures::load(loader);
    EXPECT_FALSE(loader.firstFatal()) << loader.firstFatal()->text.toStdString();
    return pictures;
}

// One visible player and its opponents, all model-only, around a referee.
class Session {
public:
    Session(int players, const std::string& mapName, uint32_t seed)
        : directory_(fs::temp_directory_path() / ("slimefray_ui_" + std::to_string(::getpid()))),
          ui_(SLIMEFRAY_DIST_DIR, distPictures()),
          referee_(settings(seed)) {
        fs::create_directories(directory_ / "map");
        fs::copy_file(fs::path(SLIMEFRAY_DIST_DIR) / "map" / (mapName + ".map"), directory_ / "map" / (mapName + ".map"),
                      fs::copy_options::overwrite_existing);
        const std::string line = "0 45 Meadow " + mapName + " 2";
        for (int i = 0; i < players; ++i) {
            GameEvents* events = i == 0 ? static_cast<GameEvents*>(&ui_) : &quiet_;
            games_.push_back(std::make_unique<ClientGame>(*events, directory_));
            games_.back()->setOptions(parseOptionLine(line));
            games_.back()->setNameLookup([](uint16_t id) { return std::string(kNames[id % 4]); });
            autos_.push_back(std::make_unique<AutoPlayer>(i % 2 ? AutoPlayer::Style::Greedy : AutoPlayer::Style::Powerful,
                                                          seed + uint32_t(i)));
        }
        ui_.attach(*games_[0]);
        ui_.setAfterInput([this] { flush(); });
        ui_.setTimeSource([this] { return now_; });
        for (int i = 0; i < players; ++i) {
            send(referee_.playerJoined(uint16_t(i), kNames[i % 4], now_));
            games_[size_t(i)]->ownId(uint16_t(i), uint16_t(players));
        }
        referee_.masterChanged(0);
        games_[0]->newMaster(0);
        flush();
    }
    ~Session() { fs::remove_all(directory_); }

    static RefereeSettings settings(uint32_t seed) {
        RefereeSettings s;
        s.seed = seed;
        s.themes = loadThemes(fs::path(SLIMEFRAY_DIST_DIR).parent_path().parent_path() / "server" / "slimefray" / "themes");
        return s;
    }

    void play(int rounds) {
        for (int i = 0; i < rounds && !referee_.finished(); ++i) {
            now_ += 700;
            settle();
            for (size_t p = 0; p < games_.size(); ++p) autos_[p]->play(*games_[p], now_);
            flush();
        }
        settle();
    }
    // Lets the board timer finish what plays.
    void settle() {
        for (int i = 0; i < 400 && ui_.animator().busy(); ++i) ui_.boardTick(now_ += 50);
    }
    // Lays a power item next to one of our blobs (as the referee would) and
    // takes it; returns whether it could.
    bool collect(Power power) {
        if (!mine().controller().myTurn()) return false;
        const Board& truth = referee_.game()->board();
        for (int x = 0; x < truth.side(); ++x) {
            for (int y = 0; y < truth.side(); ++y) {
                if (truth.at(x, y).blob != 0) continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    for (int dy = -1; dy <= 1; ++dy) {
                        int tx = x + dx, ty = y + dy;
                        if (!truth.inside(tx, ty) || !truth.isOpen(tx, ty) || truth.at(tx, ty).item >= 0 ||
                            truth.at(tx, ty).mine >= 0) {
                            continue;
                        }
                        game().board().at(tx, ty).item = int8_t(power);
                        Outcome item;
                        item.messages.push_back({kToEveryone, kItem, int32Body({tx, ty, powerCode(power)})});
                        send(item);
                        mine().clickCell(x, y, now_);
                        mine().clickCell(tx, ty, now_);
                        flush();
                        return true;
                    }
                }
            }
        }
        return false;
    }
    // Plays the others until it is our turn again.
    bool untilMyTurn() {
        for (int i = 0; i < 40 && !mine().controller().myTurn() && !referee_.finished(); ++i) {
            now_ += 700;
            settle();
            for (size_t p = 1; p < games_.size(); ++p) autos_[p]->play(*games_[p], now_);
            flush();
        }
        settle();
        return mine().controller().myTurn();
    }
    void say(int player, const std::string& text) {
        games_[size_t(player)]->sendChat(text);
        flush();
    }
    void flush() {
        for (bool any = true; any;) {
            any = false;
            for (size_t p = 0; p < games_.size(); ++p) {
                for (Request& r : games_[p]->takeRequests()) {
                    any = true;
                    if (r.to == Request::To::EveryoneWithEcho) {
                        for (auto& g : games_) g->receive(uint16_t(p), r.type, r.body, now_);
                    } else {
                        send(referee_.receive(uint16_t(p), r.type, r.body, now_));
                    }
                }
            }
        }
    }
    void send(const Outcome& outcome) {
        for (const Outgoing& m : outcome.messages) {
            for (size_t p = 0; p < games_.size(); ++p) {
                if (m.to == kToEveryone || m.to == p) games_[p]->receive(0, m.type, m.body, now_);
            }
        }
    }

    GameUi& ui() { return ui_; }
    ClientGame& mine() { return *games_[0]; }
    Referee& referee() { return referee_; }
    Game& game() { return *const_cast<Game*>(referee_.game()); }
    int64_t now() const { return now_; }

private:
    static constexpr const char* kNames[4] = {"Ada", "Brio", "Cass", "Dune"};
    fs::path directory_;
    GameEvents quiet_;
    GameUi ui_;
    Referee referee_;
    std::vector<std::unique_ptr<ClientGame>> games_;
    std::vector<std::unique_ptr<AutoPlayer>> autos_;
    int64_t now_ = 0;
};

void savePreview(QWidget* widget, const std::string& name) {
    fs::create_directories(SLIMEFRAY_PREVIEW_DIR);
    QImage image = widget->grab().toImage();
    ASSERT_FALSE(image.isNull());
    ASSERT_TRUE(image.save(QString::fromStdString(std::string(SLIMEFRAY_PREVIEW_DIR) + "/" + name)));
}

TEST(Screens, AGameInProgress) {
    Session session(4, "Crossroads", 5);
    ASSERT_TRUE(session.referee().started());
    session.say(1, "good luck, blobs!");
    session.play(60);
    session.say(2, "the cyclone is mine");
    session.say(0, "we'll see");
    ASSERT_FALSE(session.referee().finished());
    // Take two powers, then on our next turn pick the blob with the widest reach.
    ASSERT_TRUE(session.untilMyTurn());
    ASSERT_TRUE(session.collect(Power::Cyclone));
    ASSERT_TRUE(session.untilMyTurn());
    ASSERT_TRUE(session.collect(Power::Hyper));
    ASSERT_TRUE(session.untilMyTurn());
    const BoardModel& model = session.mine().board();
    int bestX = -1, bestY = -1, bestReach = -1;
    for (int x = 0; x < std::min(model.side(), 11); ++x) {
        for (int y = 0; y < std::min(model.side(), 11); ++y) {
            if (model.at(x, y).blob != 0) continue;
            int reach = 0;
            for (int tx = x - 2; tx <= x + 2; ++tx) {
                for (int ty = y - 2; ty <= y + 2; ++ty) {
                    reach += model.inside(tx, ty) && model.at(tx, ty).tile == kFloor && model.at(tx, ty).blob == kNoBlob;
                }
            }
            if (reach > bestReach) bestX = x, bestY = y, bestReach = reach;
        }
    }
    ASSERT_GE(bestX, 0);
    session.mine().clickCell(bestX, bestY, session.now());
    EXPECT_TRUE(session.mine().controller().pending());
    GameUi& ui = session.ui();
    ui.boardView()->scrollTo({0, 0});
    QApplication::processEvents();
    savePreview(ui.boardView(), "board.png");
    savePreview(ui.panel(), "panel.png");
    savePreview(ui.minimap(), "minimap.png");
    savePreview(ui.chat(), "chat.png");

    // All windows side by side, as a player sees them.
    QImage board = ui.boardView()->grab().toImage(), panel = ui.panel()->grab().toImage();
    QImage minimap = ui.minimap()->grab().toImage(), chat = ui.chat()->grab().toImage();
    QImage all(board.width() + panel.width() + 20, std::max(board.height(), panel.height() + minimap.height() + 10) + chat.height() + 10,
               QImage::Format_RGB32);
    all.fill(QColor(60, 60, 70));
    QPainter p(&all);
    p.drawImage(0, 0, board);
    p.drawImage(board.width() + 10, 0, panel);
    p.drawImage(board.width() + 10, panel.height() + 10, minimap);
    p.drawImage(0, std::max(board.height(), panel.height() + minimap.height() + 10) + 10, chat);
    p.end();
    ASSERT_TRUE(all.save(QString(SLIMEFRAY_PREVIEW_DIR) + "/game.png"));
}

TEST(Screens, TheStartWindow) {
    GameUi ui(SLIMEFRAY_DIST_DIR, distPictures());
    ui.playersLine("2/4 Players Connected");
    savePreview(ui.startWindow(), "start.png");
    EXPECT_EQ(ui.startWindow()->size(), QSize(400, 300));
}

TEST(BoardViewGeometry, SnapsToWholeCellsAndAFrame) {
    struct Row {
        int pixels, side, snapped;
    };
    for (Row row : {Row{600, 20, 556}, {600, 8, 406}, {10, 20, 56}, {556, 20, 556}, {605, 50, 556}, {3000, 50, 2506}}) {
        EXPECT_EQ(BoardView::snappedSide(row.pixels, row.side), row.snapped) << row.pixels << " " << row.side;
    }
    Session session(2, "Crossroads", 1);
    BoardView* view = session.ui().boardView();
    EXPECT_EQ(view->size(), QSize(556, 556));
    view->resize(330, 260);
    EXPECT_EQ(view->size(), QSize(306, 256));
}

TEST(BoardViewGeometry, TheGameWindowsOpenOnTheScreen) {
    Session session(2, "Crossroads", 1);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (QWidget* window : {static_cast<QWidget*>(session.ui().boardView()), static_cast<QWidget*>(session.ui().panel()),
                            static_cast<QWidget*>(session.ui().chat())}) {
        EXPECT_TRUE(screen.contains(window->frameGeometry())) << window->windowTitle().toStdString();
    }
}

TEST(BoardViewGeometry, RightDragScrollsWithinTheBoard) {
    Session session(2, "Crossroads", 1);
    BoardView* view = session.ui().boardView();
    view->scrollTo({-40, 5000});
    EXPECT_EQ(view->scrollPosition(), QPoint(0, 20 * 50 - 550));
    view->scrollTo({0, 0});
    QTest::mousePress(view, Qt::RightButton, {}, QPoint(300, 300));
    QTest::mouseMove(view, QPoint(200, 250));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 250), view->mapToGlobal(QPointF(200, 250)), Qt::NoButton,
                     Qt::RightButton, {});
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::RightButton, {}, QPoint(200, 250));
    EXPECT_EQ(view->scrollPosition(), QPoint(100, 50));
    EXPECT_EQ(view->cellAt(QPoint(3 + 10, 3 + 10)), QPoint(2, 1));
    EXPECT_EQ(view->cellAt(QPoint(1, 1)), QPoint(-1, -1));
}

TEST(Panel, ThePowerSquareAnswersPressesStrictlyInside) {
    struct Row {
        QPoint at;
        bool inside;
    };
    for (Row row : {Row{{178, 316}, true}, {{226, 364}, true}, {{177, 340}, false}, {{227, 340}, false}, {{200, 315}, false}}) {
        EXPECT_EQ(PanelWindow::insidePowerSquare(row.at), row.inside) << row.at.x() << "," << row.at.y();
    }
}

// Each slot's line names its holder in the slot's colour; a departed slot is
// named in a darker shade, a slot nobody holds is left blank.
TEST(Panel, NamesEachSlotInItsColour) {
    Session session(3, "Crossroads", 5);
    ASSERT_TRUE(session.referee().started());
    session.send(session.referee().playerLeft(2, session.now()));
    ASSERT_EQ(session.mine().slotName(1), "Brio");
    QApplication::processEvents();
    const QImage panel = session.ui().panel()->grab().toImage();
    savePreview(session.ui().panel(), "panel_departed.png");
    auto pixelsOf = [&](int slot, QColor colour) {
        int count = 0;
        const QRect rect = PanelWindow::slotNameRect(slot);
        for (int x = rect.left(); x <= rect.right(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y) count += panel.pixelColor(x, y).rgb() == colour.rgb();
        return count;
    };
    struct Row {
        int slot;
        bool named, departed;
    };
    for (Row row : {Row{0, true, false}, {1, true, false}, {2, true, true}, {3, false, false}}) {
        SCOPED_TRACE(row.slot);
        const QColor colour = slotColour(row.slot);
        EXPECT_EQ(pixelsOf(row.slot, colour) > 5, row.named && !row.departed);
        EXPECT_EQ(pixelsOf(row.slot, colour.darker(150)) > 5, row.departed);
    }
}

TEST(Chat, SendsTheTypedLineAndShowsOnlyTheEcho) {
    Session session(2, "Duel", 2);
    QLineEdit* field = session.ui().chat()->field();
    QTest::keyClicks(field, "caf");
    field->insert(QString::fromUtf8("\u00e9 \u20ac"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(field->text().isEmpty());
    QString shown = session.ui().chat()->lines()->toPlainText();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("<Ada> caf\u00e9 \u20ac"))) << shown.toStdString();
    EXPECT_EQ(shown.count("<Ada>"), 1);
}

TEST(Pictures, FollowTheProgramsLoadingRules) {
    fs::path dir = fs::temp_directory_path() / ("slimefray_pictures_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "broken.bmp") << "BMxx";
    PictureLoader loader(dir);
    EXPECT_TRUE(loader.load("photo.JPG", false).isNull());
    EXPECT_TRUE(loader.problems().empty());
    EXPECT_TRUE(loader.load("sound.wav", false).isNull());
    EXPECT_TRUE(loader.load("missing.BmP", false).isNull());
    EXPECT_TRUE(loader.load("broken.bmp", false).isNull());
    ASSERT_EQ(loader.problems().size(), 3u);
    EXPECT_EQ(loader.problems()[0].text, "Unknow file format: sound.wav");
    EXPECT_FALSE(loader.problems()[0].fatal);
    EXPECT_EQ(loader.problems()[1].text, "File missing.BmP not found.");
    EXPECT_EQ(loader.problems()[1].title, "ERROR");
    EXPECT_EQ(loader.problems()[2].text, "Can't open the file: broken.bmp");
    EXPECT_EQ(loader.firstFatal()->title, "ERROR");
    fs::remove_all(dir);

    QImage sprite = toQImage(desktop::DecodedImage{2, 1, {0xFF000000u, 0xFF010101u}}, true);
    EXPECT_EQ(qAlpha(sprite.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(sprite.pixel(1, 0)), 255);
}

TEST(Animator, PlaysEffectsInTurnThenComesBackToIdle) {
    BoardAnimator animator;
    animator.setStripFrames(8, 7, 8, 4, 1);
    MoveShown move;
    move.move.toX = 2;
    move.move.toY = 2;
    move.converted = {{3, 3}};
    move.previousOwners = {1};
    animator.startMove(move);
    animator.startExplosion({{5, 5}});
    EXPECT_TRUE(animator.busy());
    EXPECT_EQ(animator.periodMs(), 50);
    EXPECT_EQ(animator.ownerOverride(3, 3), 1);
    int64_t now = 0;
    int steps = 0;
    auto noIdle = [](std::mt19937&) { return std::pair{CellRef{}, BoardAnimator::Idle::Nothing}; };
    while (animator.busy() && steps < 100) {
        if (animator.tick(now += 50, noIdle)) ++steps;
        if (!animator.overlays().empty()) break;
    }
    EXPECT_FALSE(animator.ownerOverride(3, 3));  // recoloured once the move has played
    ASSERT_EQ(animator.overlays().size(), 1u);
    std::vector<int> frames;
    for (int guard = 0; animator.busy() && guard < 100; ++guard) {
        frames.push_back(animator.overlays().at(0).frame);
        animator.tick(now += 50, noIdle);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1, 0}));  // forwards, then back
    EXPECT_EQ(animator.periodMs(), 100);
}

TEST(Animator, AnIdleBlobPlaysItsStripAndAnEmptyPickWaitsHalfASecond) {
    BoardAnimator animator;
    animator.setStripFrames(8, 7, 8, 4, 6);
    int picks = 0;
    auto empty = [&](std::mt19937&) {
        ++picks;
        return std::pair{CellRef{}, BoardAnimator::Idle::Nothing};
    };
    animator.tick(0, empty);
    animator.tick(400, empty);
    EXPECT_EQ(picks, 1);
    animator.tick(500, empty);
    EXPECT_EQ(picks, 2);
    auto blob = [](std::mt19937&) { return std::pair{CellRef{1, 1}, BoardAnimator::Idle::Blob}; };
    animator.tick(1000, blob);
    animator.tick(1150, blob);
    EXPECT_EQ(animator.blobFrame(1, 1), 1);
    auto obstacle = [](std::mt19937&) { return std::pair{CellRef{2, 2}, BoardAnimator::Idle::Obstacle}; };
    BoardAnimator still;
    EXPECT_FALSE(still.tick(0, obstacle));  // no obstacle strip from the server
}

}  // namespace
}  // namespace tessary::slimefray
