// SIGTERM (a close request) and SIGUSR1 (a wake-up) turned into Qt signals:
// the handler only writes the signal's number into a pipe that the event loop
// watches, so the program's normal ending or wake-up runs on its own thread.
// One instance per process.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tessary::desktop {

class SignalPipe : public QObject {
    Q_OBJECT

public:
    enum class Watch {
        Terminate,          // SIGTERM only; SIGUSR1 keeps its default action
        TerminateAndWake,   // SIGTERM and SIGUSR1
    };

    explicit SignalPipe(Watch watch, QObject* parent = nullptr);
    ~SignalPipe() override;
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

signals:
    // At most once per turn of the event loop each, however many arrived:
    // the signals themselves do not queue either.
    void terminateRequested();
    void wakeRequested();

private:
    void drain();

    Watch watch_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessary::desktop
