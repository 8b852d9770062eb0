#include "controls_fixture.h"

namespace tessary::controls::testing {
ControlsFixture::ControlsFixture() {
    for (const char* arrow : {"scrollupup", "scrollupdown", "scrolldownup", "scrolldowndown"}) {
        writePicture(std::string("data/default/") + arrow + ".bmp", QSize(16, 16), Qt::blue);
    }
    for (int level = 0; level < 6; ++level) {
        writePicture("data/default/ping" + std::to_string(level) + ".bmp", QSize(20, 18),
                     QColor(40 * level, 200, 0));
    }
    writePicture("data/default/player.bmp", QSize(14, 14), Qt::yellow);
    writePicture("data/default/spectator.bmp", QSize(14, 14), Qt::cyan);
    for (const char* tab : {"tab", "tabselect", "tabmessage"}) {
        writePicture(std::string("data/default/") + tab + ".bmp", QSize(90, 25), Qt::darkBlue);
    }
    writePicture("data/default/off.bmp", QSize(20, 20), Qt::darkGray);
    writePicture("data/default/on.bmp", QSize(20, 20), Qt::green);
    writePicture("data/default/a.bmp", QSize(30, 30), Qt::red);
    writePicture("data/default/b.bmp", QSize(30, 30), Qt::green);
    for (const char* button : {"previous", "next"}) {
        for (const char* face : {"up", "down", "sel"}) {
            writePicture(std::string("data/default/session/") + button + face + ".bmp",
                         QSize(16, 16), Qt::gray);
        }
    }
    dir_.write("data/strings.bin",
               "31:Font %d\n35:Fatal error\n36:Cannot open %s\n37:Broken %s\n93:Cancel\n"
               "94:Red\n95:Green\n96:Blue\n");
    skin::skinEnvironment().strings = skin::StringTable(dir_.path() / "data" / "strings.bin");
}

}  // namespace tessary::controls::testing
