// The lobby's sections of CONFIG.INI (scrambled): SOUND, ROUTER, NBPICTURE
// and USERINFO. Each call opens the file, reads or writes, and closes it, as
// the file is shared with other windows that keep their own sections.
#pragma once

#include <string>
#include <vector>

#include "lobby/chat_controller.h"
#include "lobby/user_info.h"

namespace tessary::lobby {

inline constexpr const char* kSettingsFile = "CONFIG.INI";

struct RouterAddress {
    std::string host;
    int port{0};
};

// The addresses of the web commands (section WEB); empty when the file has none.
struct WebAddresses {
    std::string homePage, gameInfoPage, makerSite;
};

class LobbySettings {
public:
    // The settings file in use (settingsFilePath()).
    LobbySettings();
    // `path` as the data files write paths, relative to the current directory.
    explicit LobbySettings(std::string path) : path_(std::move(path)) {}

    // Reads throw skin::SkinFatalError when the file or a value is missing.
    [[nodiscard]] bool soundOn() const;
    [[nodiscard]] RouterAddress router() const;
    [[nodiscard]] int pictureCount() const;
    [[nodiscard]] LoginPair userInfo() const;
    // Never throws: a settings file of an older lobby has no such section.
    [[nodiscard]] WebAddresses webAddresses() const;
    // "PLAYERCOLOR" and "FONT": white and font 0 where a section is missing.
    [[nodiscard]] ChatLook chatLook() const;
    // "BUDDY": nothing when the section is missing.
    [[nodiscard]] std::vector<std::string> buddies() const;

    // Writes return false when the file could not be saved.
    [[nodiscard]] bool writeSound(bool on) const;
    [[nodiscard]] bool writeUserInfo(const LoginPair& pair) const;
    [[nodiscard]] bool writeBuddies(const std::vector<std::string>& names) const;
    [[nodiscard]] bool writeChatLook(const ChatLook& look) const;

private:
    std::string path_;
};

}  // namespace tessary::lobby
