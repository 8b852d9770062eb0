// The lobby program: its start-up sequence, its one main window and its end.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "lobby/client_api.h"
#include "platform/shared_library.h"
#include "skin/font_table.h"
#include "skin/skin_error.h"
#include "skin/sound_player.h"

class QSplashScreen;

namespace tessary::lobby {

class LobbyWindow;

inline constexpr const char* kClientLibraryName = "libTSClient.so";

struct LobbyAppOptions {
    // Where the data lies; empty: the program's own directory after the
    // development-build cut.
    std::string applicationDirectory;
    // The client library; empty: libTSClient.so in the application directory.
    std::string clientLibrary;
};

class LobbyApp {
public:
    explicit LobbyApp(LobbyAppOptions options = {});
    ~LobbyApp();
    LobbyApp(const LobbyApp&) = delete;
    LobbyApp& operator=(const LobbyApp&) = delete;

    // The start-up sequence, up to the main window. False when the program
    // must end (exit code 0) with nothing else started.
    [[nodiscard]] bool start();
    // start(), then the event loop until the main window has ended.
    int run();

    LobbyWindow* mainWindow() const { return window_.get(); }
    const ClientApi& api() const { return api_; }
    const std::string& applicationDirectory() const { return directory_; }

private:
    bool startSteps();
    void showSplash();
    void findApplicationDirectory();
    bool bindClientLibrary();
    void writeRegistry();

    LobbyAppOptions options_;
    std::string directory_;
    std::unique_ptr<QSplashScreen> splash_;
    skin::SoundPlayer sounds_;
    skin::FontTable fonts_;
    platform::SharedLibrary library_;
    ClientApi api_;
    std::unique_ptr<LobbyWindow> window_;
};

}  // namespace tessary::lobby
