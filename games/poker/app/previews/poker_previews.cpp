// Pictures of a four-player table in each phase, for looking at the window
// without a session: four programs play through the in-memory hub and the
// window of one of them is grabbed.
//   poker_previews <output directory> <pictures directory>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>

#include "artwork.h"
#include "desktop/ansi_text.h"
#include "poker/testing/hub.h"
#include "table_window.h"

namespace {

using namespace tessary::poker;
using tessary::poker::testing::Hub;

class Scene {
public:
    Scene(const QString& outDir, const Artwork& art) : outDir_(outDir), art_(art) {
        hub_.join(11, "Alice");
        settle();
        hub_.join(12, "Bruno");
        hub_.join(14, tessary::desktop::toAnsi(QString::fromUtf8("Chloé")));
        hub_.join(13, "Dana");  // the local player of the pictures
        settle();
        local_ = hub_.game(13);
        window_ = std::make_unique<TableWindow>(*local_, art_, nullptr, QString());
        window_->show();
        hub_.game(11)->sendChat("good luck everybody");
        hub_.game(14)->sendChat("hi all!");
        local_->sendChat("let's play");
        hub_.game(12)->sendChat("deal them");
        settle();
    }

    // Plays moves until `done` says the wanted moment has come.
    template <typename Done>
    void playUntil(Done done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            if (!moveSomebody()) break;
            settle();
        }
    }

    void shoot(const char* name) {
        window_->view()->finishAnimations();
        const QString path = QString("%1/%2.png").arg(outDir_, name);
        if (!window_->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::printf("%s\n", qPrintable(path));
    }

    PokerGame& local() { return *local_; }
    Hub& hub() { return hub_; }
    TableWindow& window() { return *window_; }

private:
    void settle() {
        for (int i = 0; i < 10000 && hub_.deliverOne(); ++i) {
        }
        QApplication::processEvents();
    }

    // Everybody plays simply: antes, calls, Bruno raises once, keeps pairs.
    bool moveSomebody() {
        for (const auto& [id, m] : hub_.members()) {
            PokerGame& g = *m.game;
            ++hub_.seconds;  // new cards for every draw
            switch (g.localTurn()) {
                case LocalTurn::None:
                    continue;
                case LocalTurn::Ante:
                    g.ante();
                    return true;
                case LocalTurn::Bet:
                    if (id == 12 && g.table().highestBet() < 20 && !g.raiseChoices().empty()) {
                        g.raise(15);
                    } else {
                        g.call();
                    }
                    return true;
                case LocalTurn::Draw:
                    g.draw(id == 11 ? 0b00011 : 0b11100);
                    return true;
            }
        }
        return false;
    }

    QString outDir_;
    const Artwork& art_;
    Hub hub_;
    PokerGame* local_ = nullptr;
    std::unique_ptr<TableWindow> window_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: poker_previews <output directory> <pictures directory>\n");
        return 2;
    }
    QFont::insertSubstitution("Comic Sans MS", "DejaVu Sans");
    app.setFont(QFont("Comic Sans MS", 8));
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const Artwork art = Artwork::load(QString::fromLocal8Bit(argv[2]));
    if (!art.complete()) std::fprintf(stderr, "some pictures are missing\n");

    Scene scene(out, art);
    scene.shoot("0-waiting");

    scene.playUntil([&] { return scene.local().localTurn() == LocalTurn::Ante; });
    scene.shoot("1-ante");

    scene.playUntil([&] { return scene.local().localTurn() == LocalTurn::Bet; });
    scene.shoot("2-first-betting");

    scene.playUntil([&] { return scene.local().localTurn() == LocalTurn::Draw; });
    for (const char* hold : {"hold1", "hold3"}) {
        if (auto* b = scene.window().findChild<QAbstractButton*>(hold)) b->setChecked(true);
    }
    scene.shoot("3-draw");

    scene.playUntil([&] {
        return scene.local().localTurn() == LocalTurn::Bet && scene.local().table().phase() == Phase::SecondBetting;
    });
    scene.shoot("4-second-betting");

    scene.playUntil([&] { return scene.local().table().newHandPending(); });
    scene.shoot("5-showdown");
    return 0;
}
