// A second program for the hand-off tests: it opens the mailbox in a process
// of its own and does what the test tells it.
//
// Command mode (any argument 0 but "child"): one command per line on standard
// input, fields separated by tabs, one answer line per command:
//     open NAME [WINDOW]        1/0 (WINDOW defaults to the own pid)
//     claim                     1/0
//     post CHANNEL RECIPIENT [TEXT]
//     take CHANNEL SENDER SIZE REMOVE     1<tab>TEXT or 0
//     window SENDER             the window handle
//     first                     1<tab>NAME or 0
//     burst COUNT CHANNEL PREFIX  posts to PREFIX0 .. PREFIX<COUNT-1>; number of successes
//     publish TITLE             1/0 (the window-title entry of this process)
//     await-signal MILLISECONDS term, usr1 or timeout
//     lock-and-die              takes the block's mutex and exits holding it
//     crash                     exits without closing the view
//     close                     closes the view; "ok"
//     exit                      closes the view and exits
//
// Game mode (argument 0 "child", as a lobby starts a game): arguments are
// GAME REPORT_FILE [TITLE [extra ...]]. It writes its argument vector to
// REPORT_FILE, opens the mailbox as GAME, publishes TITLE (unless "-") and
// then logs "order <text>" for every start order it takes, "wake" for SIGUSR1
// and "close" for SIGTERM, on which it closes the view and exits. It gives up
// after 60 s, and dies with the process that started it.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/named_mutex.h"
#include "platform/window_titles.h"
#include "protocol/handoff.h"

namespace {

using namespace tessary;
using protocol::HandoffChannel;

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    return fields;
}

sigset_t handledSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    return set;
}

// Waits for SIGTERM or SIGUSR1 (blocked since start, so none is missed).
std::string awaitSignal(long milliseconds) {
    const sigset_t set = handledSignals();
    timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1'000'000};
    const int signal = sigtimedwait(&set, nullptr, &wait);
    return signal == SIGTERM ? "term" : signal == SIGUSR1 ? "usr1" : "timeout";
}

std::string run(protocol::HandoffView& view, const std::vector<std::string>& f) {
    auto arg = [&](size_t i) { return i < f.size() ? f[i] : std::string(); };
    auto channel = [&](size_t i) { return HandoffChannel(std::atoi(arg(i).c_str())); };
    const std::string& command = f[0];
    if (command == "open") {
        const uint32_t window = f.size() > 2 ? uint32_t(std::stoul(f[2])) : uint32_t(::getpid());
        return OpenHandoff(view, arg(1), window) ? "1" : "0";
    }
    if (command == "claim") return ClaimPresence(view) ? "1" : "0";
    if (command == "post") return PostRecord(view, channel(1), arg(2), arg(3)) ? "1" : "0";
    if (command == "take") {
        const auto text = TakeRecord(view, channel(1), arg(2), std::stoul(arg(3)), arg(4) == "1");
        return text ? "1\t" + *text : "0";
    }
    if (command == "window") return std::to_string(WindowOf(view, arg(1)));
    if (command == "first") {
        const auto other = FirstOther(view);
        return other ? "1\t" + *other : "0";
    }
    if (command == "burst") {
        int posted = 0;
        for (int i = 0; i < std::stoi(arg(1)); ++i)
            posted += PostRecord(view, channel(2), arg(3) + std::to_string(i), "x") ? 1 : 0;
        return std::to_string(posted);
    }
    if (command == "publish") return platform::publishWindowTitle(arg(1)) ? "1" : "0";
    if (command == "await-signal") return awaitSignal(std::stol(arg(1)));
    if (command == "lock-and-die") {
        auto mutex = platform::NamedMutex::open(platform::SharedMemory::objectName(protocol::kHandoffMutexName));
        if (!mutex || mutex->lock(std::chrono::milliseconds(1000)) != platform::NamedMutex::LockResult::Locked)
            return "0";
        std::cout << "locked" << std::endl;
        ::_exit(0);
    }
    if (command == "crash") ::_exit(0);
    if (command == "close") {
        CloseHandoff(view);
        return "ok";
    }
    return "?";
}

int commandMode() {
    protocol::HandoffView view;
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto fields = splitTabs(line);
        if (fields.empty()) continue;
        if (fields[0] == "exit") break;
        std::cout << run(view, fields) << std::endl;
    }
    return 0;
}

int gameMode(int argc, char** argv) {
    if (argc < 3) return 2;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test that started it
    const std::string game = argv[1];
    std::ofstream log(argv[2], std::ios::app);
    for (int i = 0; i < argc; ++i) log << "arg " << argv[i] << "\n";
    log.flush();

    const std::string title = argc > 3 ? argv[3] : "-";
    protocol::HandoffView view;
    if (!OpenHandoff(view, game, uint32_t(::getpid())) || !ClaimPresence(view)) {
        log << "refused" << std::endl;
        return 1;
    }
    if (title != "-") platform::publishWindowTitle(title);
    auto takeOrder = [&] {
        if (const auto order = TakeRecord(view, HandoffChannel::StartOrder, "TSClient", 1024, true))
            log << "order " << *order << std::endl;
    };
    takeOrder();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string signal = awaitSignal(100);
        if (signal == "usr1") {
            log << "wake" << std::endl;
            takeOrder();
        } else if (signal == "term") {
            log << "close" << std::endl;
            break;
        }
    }
    if (title != "-") platform::withdrawWindowTitle(title);
    CloseHandoff(view);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const sigset_t set = handledSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
    if (argc > 0 && std::string(argv[0]) == "child") return gameMode(argc, argv);
    return commandMode();
}
