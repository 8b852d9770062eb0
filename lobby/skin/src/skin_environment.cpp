#include "skin/skin_environment.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/paths.h"

namespace tessary::skin {

SkinEnvironment& skinEnvironment() {
    static SkinEnvironment environment;
    return environment;
}

std::filesystem::path applicationPath(std::string_view relative) {
    return platform::nativePath(relative, skinEnvironment().applicationDirectory);
}

std::string skinPath(std::string_view relative) {
    return skinEnvironment().applicationDirectory + "data\\default\\" + std::string(relative);
}

std::string sessionSkinPath(std::string_view name) {
    return skinEnvironment().applicationDirectory + "data\\default\\session\\" + std::string(name);
}

bool isBusy() {
    const auto& busy = skinEnvironment().busy;
    return busy && busy();
}

bool soundsOn() {
    const auto& on = skinEnvironment().soundsOn;
    return on && on();
}

std::string stringText(int number) {
    return skinEnvironment().strings.text(number);
}

desktop::PlayResult playLobbySound(std::string_view fileName, desktop::SoundWait wait, desktop::WhenBusy whenBusy) {
    SkinEnvironment& environment = skinEnvironment();
    if (!soundsOn()) return desktop::PlayResult::SoundsOff;
    if (environment.sounds == nullptr) return desktop::PlayResult::NoDevice;
    return environment.sounds->play(applicationPath("data\\sound\\" + std::string(fileName)), wait,
                                    whenBusy);
}

void showSystemMessage(const QString& text, const QString& title) {
    const auto& show = skinEnvironment().systemMessage;
    if (show) {
        show(text, title);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMessageBox::warning(nullptr, title, text);
    }
}

}  // namespace tessary::skin
