#include "desktop/signal_pipe.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <chrono>

namespace tessary::desktop {
namespace {

struct Counts {
    int terminate = 0;
    int wake = 0;
    bool wakeLeftAlone = false;  // SIGUSR1 kept its default action
};

// Raises `numbers` in this process and runs the event loop until the pipe has
// answered or two seconds have passed.
Counts deliver(SignalPipe::Watch watch, std::initializer_list<int> numbers) {
    int argc = 1;
    char name[] = "desktop_ui_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SignalPipe pipe(watch);
    Counts counts;
    struct sigaction usr1 {};
    counts.wakeLeftAlone = ::sigaction(SIGUSR1, nullptr, &usr1) == 0 && usr1.sa_handler == SIG_DFL;
    QObject::connect(&pipe, &SignalPipe::terminateRequested, [&] { ++counts.terminate; });
    QObject::connect(&pipe, &SignalPipe::wakeRequested, [&] { ++counts.wake; });
    for (int number : numbers) ::raise(number);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (counts.terminate == 0 && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return counts;
}

TEST(SignalPipeTest, SignalsArriveOnTheEventLoopOncePerTurn) {
    const Counts both = deliver(SignalPipe::Watch::TerminateAndWake, {SIGUSR1, SIGTERM, SIGTERM});
    EXPECT_EQ(both.terminate, 1);
    EXPECT_EQ(both.wake, 1);

    // Watching SIGTERM alone leaves SIGUSR1 its default action (the lobby
    // is not woken that way).
    const Counts terminateOnly = deliver(SignalPipe::Watch::Terminate, {SIGTERM});
    EXPECT_EQ(terminateOnly.terminate, 1);
    EXPECT_TRUE(terminateOnly.wakeLeftAlone);
    EXPECT_FALSE(both.wakeLeftAlone);
}

}  // namespace
}  // namespace tessary::desktop
