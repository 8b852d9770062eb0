#include "lobby_handoff.h"

#include <signal.h>

#include <charconv>
#include <thread>

#include "platform/process.h"
#include "platform/registry.h"
#include "platform/window_titles.h"

namespace tessary::clientlib {
namespace {

using protocol::HandoffChannel;

constexpr size_t kRegistryValueLimit = 255;  // longer "window" values are not read

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

int32_t leadingNumber(std::string_view text) {
    int32_t value = 0;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

}  // namespace

LaunchLine parseLaunchLine(std::string_view line) {
    const size_t bar = line.find('|');
    LaunchLine launch{std::string(line.substr(0, bar)), {}};
    if (bar != std::string_view::npos)
        for (const auto piece : split(line.substr(bar + 1), ' ')) launch.arguments.emplace_back(piece);
    return launch;
}

FinishReport parseFinishReport(std::string_view text) {
    const auto pieces = split(text, '@');
    FinishReport report;
    if (pieces.size() > 0) report.name = pieces[0];
    if (pieces.size() > 1) report.number = leadingNumber(pieces[1]);
    if (pieces.size() > 2) report.rest = pieces[2];
    return report;
}

std::string startOrderText(const StartRequest& request) {
    return request.name + "@" + request.reportName + "@" + std::to_string(request.session) + "@" +
           request.serverAddress + "@" + std::to_string(request.serverPort) + "@" + request.extra;
}

bool LobbyHandoff::initialize(uint32_t window) {
    if (view_) return false;
    auto view = std::make_unique<protocol::HandoffView>();
    if (!OpenHandoff(*view, kLobbyName, window)) return false;
    // Another lobby's presence (addressed to all) refuses this one.
    if (!ClaimPresence(*view)) return false;
    view_ = std::move(view);
    return true;
}

bool LobbyHandoff::release() {
    if (!view_) return false;
    view_.reset();  // closing removes the presence record
    return true;
}

std::optional<std::string> LobbyHandoff::startedGame() {
    if (!view_) return std::nullopt;
    auto game = FirstOther(*view_);
    if (game) lastGame_ = *game;
    return game;
}

bool LobbyHandoff::startGame(const StartRequest& request) {
    if (!view_) return false;
    reapChildren();
    (void)TakeRecord(*view_, HandoffChannel::FinishReport, request.game, protocol::kHandoffTextSize, true);

    bool running = false;
    if (const auto other = FirstOther(*view_)) {
        if (*other != request.game) {
            platform::signalProgram(pid_t(WindowOf(*view_, *other)), SIGTERM);
            running = WindowOf(*view_, request.game) != 0;
        } else {
            running = true;
        }
    }
    if (!running) running = wakeRunningGame(request.game);

    lastGame_ = request.game;
    PostRecord(*view_, HandoffChannel::StartOrder, request.game, startOrderText(request));
    std::optional<pid_t> child;
    if (!running) {
        child = launch(request.launchLine);
        if (!child) return false;
    }
    return waitForGame(request.game, child);
}

bool LobbyHandoff::wakeRunningGame(const std::string& game) {
    const auto title = platform::Registry::shared().get(std::string(platform::kGamesKeyPath) + game, "window");
    if (!title || title->size() > kRegistryValueLimit) return false;
    const pid_t pid = platform::findWindowByTitle(*title);
    return pid != 0 && platform::signalProgram(pid, SIGUSR1);
}

std::optional<pid_t> LobbyHandoff::launch(const std::string& launchLine) {
    const auto line = parseLaunchLine(launchLine);
    std::vector<std::string> argv{"child"};
    argv.insert(argv.end(), line.arguments.begin(), line.arguments.end());
    const auto child = platform::spawnProgram(line.program, argv);
    if (child) children_.push_back(*child);
    return child;
}

bool LobbyHandoff::waitForGame(const std::string& game, std::optional<pid_t> child) {
    const auto deadline = std::chrono::steady_clock::now() + settings_.appearWait;
    for (;;) {
        if (WindowOf(*view_, game) != 0) return true;
        // A game that exited without showing up will not show up any more.
        if (child && platform::reapIfExited(*child)) {
            std::erase(children_, *child);
            return WindowOf(*view_, game) != 0;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(settings_.checkInterval);
    }
}

void LobbyHandoff::reapChildren() {
    std::erase_if(children_, [](pid_t child) { return platform::reapIfExited(child); });
}

std::optional<FinishReport> LobbyHandoff::takeFinishReport() {
    if (!view_) return std::nullopt;
    reapChildren();
    // The game may have left right after posting its report.
    if (!startedGame() && lastGame_.empty()) return std::nullopt;
    const auto text = TakeRecord(*view_, HandoffChannel::FinishReport, lastGame_, protocol::kHandoffTextSize, true);
    if (!text) return std::nullopt;
    return parseFinishReport(*text);
}

bool LobbyHandoff::takeCloseRequest() {
    if (!view_) return false;
    reapChildren();
    const auto game = FirstOther(*view_);
    return game && TakeRecord(*view_, HandoffChannel::CloseRequest, *game, protocol::kHandoffTextSize, true);
}

}  // namespace tessary::clientlib
