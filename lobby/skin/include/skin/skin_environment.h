// What every skinned window needs from the program around it: where the data
// lies, the numbered texts, the fonts, the sound player, whether the program
// is busy and whether sounds are on. One instance per process, set up by the
// lobby at start-up (tests set the parts they use).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "desktop/sound_player.h"
#include "skin/string_table.h"

namespace tessary::skin {

class FontTable;

struct SkinEnvironment {
    // The application directory, with a trailing "/" (empty: the current one).
    std::string applicationDirectory;
    StringTable strings;
    FontTable* fonts = nullptr;
    desktop::SoundPlayer* sounds = nullptr;
    // The busy count is above zero (wait cursor shown).
    std::function<bool()> busy;
    // The sound setting is on.
    std::function<bool()> soundsOn;
    // A system message box (text, title). Unset: a warning box of the toolkit.
    std::function<void(const QString& text, const QString& title)> systemMessage;
    // The lobby's main window, asked to close by the fatal error paths.
    QPointer<QWidget> mainWindow;
    // Ends the process with an exit code. Unset: std::exit (tests replace it).
    std::function<void(int exitCode)> exitProgram;
};

SkinEnvironment& skinEnvironment();

// `relative` (a path as the Parts write it) below the application directory.
[[nodiscard]] std::filesystem::path applicationPath(std::string_view relative);
// The same below the skin directory "data\\default\\".
[[nodiscard]] std::string skinPath(std::string_view relative);
// "data\\default\\session\\" + name below the application directory.
[[nodiscard]] std::string sessionSkinPath(std::string_view name);

[[nodiscard]] bool isBusy();
[[nodiscard]] bool soundsOn();
// The StringTable text `number`.
[[nodiscard]] std::string stringText(int number);

// Plays "data\\sound\\" + fileName when sounds are on and a player is set.
desktop::PlayResult playLobbySound(std::string_view fileName, desktop::SoundWait wait, desktop::WhenBusy whenBusy);

void showSystemMessage(const QString& text, const QString& title);

}  // namespace tessary::skin
