#include "signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace tessary::poker {
namespace {

int g_pipe[2] = {-1, -1};

extern "C" void writeSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    const ssize_t ignored = write(g_pipe[1], &byte, 1);
    (void)ignored;
}

}  // namespace

SignalPipe::SignalPipe(QObject* parent) : QObject(parent) {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGUSR1, &action, nullptr);
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });
}

SignalPipe::~SignalPipe() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGUSR1, SIG_DFL);
    notifier_.reset();
    for (int& fd : g_pipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

void SignalPipe::drain() {
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
        if (byte == SIGTERM) emit closeRequested();
        if (byte == SIGUSR1) emit startRequested();
    }
}

}  // namespace tessary::poker
