#include "dist_app_directory.h"

#include <stdlib.h>

#include "lobby/lobby_settings.h"
#include "skin/skin_file.h"

namespace tessary::lobby::testing {
namespace {

namespace fs = std::filesystem;

// SkinFile resolves relative paths against the current directory.
std::string settingsPath(const fs::path& root) { return (root / kSettingsFile).string(); }

}  // namespace

DistAppDirectory::DistAppDirectory(const fs::path& dist, int routerPort, int soundValue) {
    char pattern[] = "/tmp/lobby-dist-XXXXXX";
    root_ = ::mkdtemp(pattern);
    for (const char* shared : {"data", "game", "games", "libTSClient.so", "libTSGame.so"}) {
        if (fs::exists(dist / shared)) fs::create_symlink(fs::absolute(dist / shared), root_ / shared);
    }
    fs::copy_file(dist / kSettingsFile, root_ / kSettingsFile);

    skin::SkinFile settings;
    settings.open(settingsPath(root_), true);
    settings.findSection("SOUND");
    settings.writeInt(soundValue);
    settings.findSection("ROUTER");
    settings.writeToken("127.0.0.1");
    settings.writeInt(routerPort);
    settings.findSection(kUserInfoSection);
    settings.writeToken("DUMMY");
    settings.writeToken("DUMMY");
    (void)settings.close();
}

DistAppDirectory::~DistAppDirectory() {
    std::error_code ignored;
    if (fs::current_path(ignored) == root_) fs::current_path(root_.parent_path(), ignored);
    fs::remove_all(root_, ignored);
}

void DistAppDirectory::copyProgram(const fs::path& dist, const std::string& name) const {
    fs::copy_file(dist / name, root_ / name, fs::copy_options::overwrite_existing);
}

LoginPair DistAppDirectory::storedUser() const { return LobbySettings(settingsPath(root_)).userInfo(); }

int DistAppDirectory::storedSound() const {
    skin::SkinFile settings;
    settings.open(settingsPath(root_), true);
    settings.findSection("SOUND");
    return settings.readInt();
}

}  // namespace tessary::lobby::testing
