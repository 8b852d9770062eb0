#include "lobby/lobby_settings.h"

#include <algorithm>

#include "lobby/pages_controller.h"
#include "lobby/user_files.h"
#include "skin/skin_file.h"

namespace tessary::lobby {
namespace {

skin::SkinFile openSettings(const std::string& path) {
    skin::SkinFile file;
    file.open(path, true);
    return file;
}

}  // namespace

LobbySettings::LobbySettings() : path_(settingsFilePath()) {}

bool LobbySettings::soundOn() const {
    auto file = openSettings(path_);
    file.findSection("SOUND");
    return file.readInt() != 0;
}

RouterAddress LobbySettings::router() const {
    auto file = openSettings(path_);
    file.findSection("ROUTER");
    RouterAddress address;
    address.host = file.readToken();
    address.port = file.readInt();
    return address;
}

int LobbySettings::pictureCount() const {
    auto file = openSettings(path_);
    file.findSection("NBPICTURE");
    return file.readInt();
}

LoginPair LobbySettings::userInfo() const {
    auto file = openSettings(path_);
    file.findSection(kUserInfoSection);
    LoginPair pair;
    pair.name = file.readToken();
    pair.password = file.readToken();
    return pair;
}

WebAddresses LobbySettings::webAddresses() const {
    WebAddresses web;
    try {
        auto file = openSettings(path_);
        if (!file.findSection("WEB")) return web;
        web.homePage = file.readToken();
        web.gameInfoPage = file.readToken();
        web.makerSite = file.readToken();
    } catch (const std::exception&) {
        return {};
    }
    return web;
}

std::vector<std::string> LobbySettings::buddies() const {
    auto file = openSettings(path_);
    std::vector<std::string> names;
    if (!file.findSection("BUDDY")) return names;
    const int count = file.readInt();
    for (int i = 0; i < count; ++i) {
        auto name = file.readToken();
        std::replace(name.begin(), name.end(), '|', ' ');
        names.push_back(name == " " ? std::string() : name);
    }
    return names;
}

bool LobbySettings::writeBuddies(const std::vector<std::string>& names) const {
    auto file = openSettings(path_);
    if (!file.findSection("BUDDY")) return false;
    file.replaceSection(buddySectionText(names));
    return file.close();
}

ChatLook LobbySettings::chatLook() const {
    ChatLook look;
    try {
        auto file = openSettings(path_);
        if (file.findSection("PLAYERCOLOR")) {
            const int red = file.readInt(), green = file.readInt(), blue = file.readInt();
            look.colour = controls::chatColour(std::clamp(red, 0, 255), std::clamp(green, 0, 255),
                                               std::clamp(blue, 0, 255));
        }
        if (file.findSection("FONT")) look.font = std::max(0, file.readInt());
    } catch (const std::exception&) {
        return look;  // the chat works in white without its settings
    }
    return look;
}

bool LobbySettings::writeChatLook(const ChatLook& look) const {
    auto file = openSettings(path_);
    if (file.findSection("PLAYERCOLOR")) {
        file.replaceSection(std::to_string(look.colour & 0xFF) + " " + std::to_string((look.colour >> 8) & 0xFF) +
                            " " + std::to_string((look.colour >> 16) & 0xFF) + "\n");
    }
    if (file.findSection("FONT")) file.replaceSection(std::to_string(look.font) + "\n");
    return file.close();
}

bool LobbySettings::writeSound(bool on) const {
    auto file = openSettings(path_);
    if (!file.findSection("SOUND")) return false;
    file.writeInt(on ? 1 : 0);
    return file.close();
}

bool LobbySettings::writeUserInfo(const LoginPair& pair) const {
    auto file = openSettings(path_);
    if (!file.findSection(kUserInfoSection)) return false;
    const auto stored = storableLogin(pair);
    file.writeToken(stored.name);
    file.writeToken(stored.password);
    return file.close();
}

}  // namespace tessary::lobby
