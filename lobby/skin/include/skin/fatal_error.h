// What happens when a required data file or picture is missing or broken:
// the message box names the file, then the program ends.
#pragma once

#include <QApplication>
#include <string>

#include "skin/skin_error.h"

namespace tessary::skin {

// The message's text: StringTable text error.textNumber() formatted with the
// path. When the table has no such text (strings.bin itself is missing or
// broken) a built-in English text is used, so the user still learns the path.
[[nodiscard]] std::string fatalErrorText(const SkinFatalError& error);
// StringTable title 35, or a built-in one.
[[nodiscard]] std::string fatalErrorTitle();

// Shows the message box, then: for a broken file (37) the main window is
// destroyed and the program ends with exit code 0; otherwise the main window
// is asked to close, or the program ends at once when there is none.
void showFatalErrorAndEnd(const SkinFatalError& error);

// A QApplication that turns a SkinFatalError escaping an event handler into
// showFatalErrorAndEnd instead of a crash.
class SkinApplication : public QApplication {
public:
    SkinApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tessary::skin
