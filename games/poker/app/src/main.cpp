// poker: a five-card draw table for up to four players of one game session.
// The lobby's library starts it with "child" as its argument 0; nothing on the
// command line changes what it does.
#include <QApplication>
#include <QFont>

#include "poker_program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont::insertSubstitution("Comic Sans MS", "DejaVu Sans");
    app.setFont(QFont("Comic Sans MS", 8));
    tessary::poker::PokerProgram program;
    const int early = program.start();
    if (early >= 0) return early;
    return app.exec();
}
