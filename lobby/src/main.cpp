// TSClient: the Tessary lobby. It takes no command-line arguments.
#include "lobby/lobby_app.h"
#include "skin/fatal_error.h"

int main(int argc, char** argv) {
    tessary::skin::SkinApplication application(argc, argv);
    tessary::lobby::LobbyApp lobby;
    return lobby.run();
}
