#include "desktop/signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tessary::desktop {
namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

}  // namespace

SignalPipe::SignalPipe(Watch watch, QObject* parent) : QObject(parent), watch_(watch) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    if (watch_ == Watch::TerminateAndWake) sigaction(SIGUSR1, &action, nullptr);
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalPipe::drain);
}

SignalPipe::~SignalPipe() {
    ::signal(SIGTERM, SIG_DFL);
    if (watch_ == Watch::TerminateAndWake) ::signal(SIGUSR1, SIG_DFL);
    notifier_.reset();
    for (int& end : pipeEnds) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

void SignalPipe::drain() {
    unsigned char byte = 0;
    bool terminate = false;
    bool wake = false;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        terminate = terminate || byte == SIGTERM;
        wake = wake || byte == SIGUSR1;
    }
    if (wake) emit wakeRequested();
    if (terminate) emit terminateRequested();
}

}  // namespace tessary::desktop
