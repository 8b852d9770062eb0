#include "skin/fatal_error.h"

#include <QMetaObject>
#include <QWidget>
#include <cstdlib>

#include "skin/message_box.h"
#include "skin/skin_environment.h"
#include "skin/text_format.h"

namespace tessary::skin {
namespace {

const char* builtInText(int textNumber) {
    switch (textNumber) {
        case kTextCannotOpenImage:
            return "The picture %s cannot be opened.";
        case kTextNotABitmap:
            return "The picture %s is not a readable bitmap.";
        case kTextCannotOpenFile:
            return "The file %s cannot be opened.";
        default:
            return "The file %s is damaged.";
    }
}

}  // namespace

std::string fatalErrorText(const SkinFatalError& error) {
    std::string pattern = stringText(error.textNumber());
    if (pattern.empty() || pattern.find("%s") == std::string::npos) {
        pattern = builtInText(error.textNumber());
    }
    return formatText(pattern, {error.path()});
}

std::string fatalErrorTitle() {
    std::string title = stringText(kTextFatalTitle);
    return title.empty() ? "TSClient" : title;
}

void showFatalErrorAndEnd(const SkinFatalError& error) {
    QWidget* mainWindow = skinEnvironment().mainWindow;
    try {
        MessageBox::show(mainWindow, fatalErrorText(error), fatalErrorTitle());
    } catch (const SkinFatalError&) {
        // The box's own pictures are broken too: end without it.
    }
    if (error.textNumber() == kTextBrokenFile || mainWindow == nullptr) {
        delete mainWindow;
        const auto& exitProgram = skinEnvironment().exitProgram;
        if (exitProgram) {
            exitProgram(0);
        } else {
            std::exit(0);
        }
        return;
    }
    QMetaObject::invokeMethod(mainWindow, "close", Qt::QueuedConnection);
}

bool SkinApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const SkinFatalError& error) {
        showFatalErrorAndEnd(error);
        return true;
    }
}

}  // namespace tessary::skin
