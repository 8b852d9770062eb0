#include "signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tessary::slimefray {
namespace {

int pipeFds[2] = {-1, -1};

void onSignal(int number) {
    const int saved = errno;
    char byte = char(number);
    [[maybe_unused]] ssize_t written = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

SignalPipe::SignalPipe() {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGUSR1, &action, nullptr);
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(pipeFds[0], &byte, 1) == 1) {
            if (byte == SIGTERM) emit terminateAsked();
            if (byte == SIGUSR1) emit wakeAsked();
        }
    });
}

SignalPipe::~SignalPipe() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGUSR1, SIG_DFL);
    notifier_.reset();
    for (int& fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace tessary::slimefray
