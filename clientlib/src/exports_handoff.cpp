// The game hand-off exports.
#include "TSClient.h"
#include "library.h"
#include "text_out.h"

using namespace tessary::clientlib;

namespace {

constexpr size_t kReportFieldSize = tessary::protocol::kHandoffTextSize;

}  // namespace

extern "C" {

int32_t TS_InitializeSharedMemory(int32_t window) {
    return guarded(0, [&] { return Library::instance().handoff().initialize(uint32_t(window)) ? 1 : 0; });
}

int32_t TS_FreeSharedMemory(void) {
    return guarded(0, [] { return Library::instance().handoff().release() ? 1 : 0; });
}

int32_t TS_GetStartedGame(char* game) {
    return guarded(0, [&] {
        const auto started = Library::instance().handoff().startedGame();
        if (!started) return 0;
        copyText(*started, game, TS_STARTED_GAME_SIZE);
        return 1;
    });
}

int32_t TS_StartGame(const char* userName, const char* gameName, const char* extra,
                     const char* launchLine, const char* reportName, int32_t session,
                     const char* serverAddress, int32_t serverPort) {
    return guarded(0, [&] {
        StartRequest request;
        request.name = textIn(userName);
        request.game = textIn(gameName);
        request.extra = textIn(extra);
        request.launchLine = textIn(launchLine);
        request.reportName = textIn(reportName);
        request.session = session;
        request.serverAddress = textIn(serverAddress);
        request.serverPort = serverPort;
        return Library::instance().handoff().startGame(request) ? 1 : 0;
    });
}

int32_t TS_IsGameFinished(char* arenaHost, int32_t* arenaPort, char* rest) {
    return guarded(0, [&] {
        auto& handoff = Library::instance().handoff();
        const bool running = handoff.startedGame().has_value();
        const auto report = handoff.takeFinishReport();
        if (!running && !report) return 0;
        copyText("", arenaHost, kReportFieldSize);
        copyInt32(0, arenaPort);
        copyText("", rest, kReportFieldSize);
        if (!report) return 0;
        copyText(report->name, arenaHost, kReportFieldSize);
        copyInt32(report->number, arenaPort);
        copyText(report->rest, rest, kReportFieldSize);
        return 1;
    });
}

int32_t TS_IsCloseAsked(void) {
    return guarded(0, [] { return Library::instance().handoff().takeCloseRequest() ? 1 : 0; });
}

}  // extern "C"
