// Opens a Slimefray table on a running tessaryd and starts one player's game
// through the lobby stand-in, for looking at the real program by hand (under
// Xvfb) without the lobby's session windows:
//   slimefray_table_opener <router port> <arena port> <game port> <name>
//                          <options> <program> <lobby stand-in> <libTSClient.so>
// Creates the account (password "pw"), enters "Arena 1", creates and begins
// the session, then waits for the stand-in, whose exit code it returns.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "test_client.h"

using namespace tessary;
using namespace tessary::protocol;
using server::Body;
using server::TestClient;
using server::request;

int main(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr, "slimefray_table_opener: eight arguments expected\n");
        return 2;
    }
    const uint16_t routerPort = uint16_t(std::stoi(argv[1])), arenaPort = uint16_t(std::stoi(argv[2]));
    const std::string gamePort = argv[3], name = argv[4], options = argv[5];
    TestClient router(routerPort);
    Body form;
    form.text(name).text("pw").text("First").text("Last").text("France").text("mail@example.org");
    form.text("Plays blobs.").i8(0).i32(1).i32(2);
    router.send(request(NEWUSERREQUEST, form));
    if (!router.waitAnswer(NEWUSERREQUEST, 10000)) return 3;
    router.send(request(CONNECTIONREQUEST, Body().text("Arena 1")));
    if (!router.waitAnswer(CONNECTIONREQUEST, 5000)) return 3;
    TestClient arena(arenaPort);
    arena.send(request(LOGINARENA, Body().text(name), kModuleArena));
    if (!arena.waitAnswer(LOGINARENA, 5000)) return 3;
    Body create;
    create.text("Blobs").text("SLIMEFRAY").text("1.0").i32(0).i32(8).i32(0).text(options).text("").i8(0);
    arena.send(request(CREATESESSION, create, kModuleArena));
    auto created = arena.waitAnswer(CREATESESSION, 5000);
    if (!created || created->type != TSSUCCESS) return 4;
    arena.send(request(BEGINGAME, {}, kModuleArena));
    if (!arena.waitFor(STARTGAME, 5000)) return 4;

    const pid_t lobby = ::fork();
    if (lobby == 0) {
        const std::string launch = std::string(argv[6]) + "|";
        ::execl(argv[7], argv[7], argv[8], name.c_str(), "SLIMEFRAY", options.c_str(), launch.c_str(), "127.0.0.1",
                argv[2], "127.0.0.1", gamePort.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(lobby, &status, 0);
    std::printf("the game reported its end: %s\n", WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "yes" : "no");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
