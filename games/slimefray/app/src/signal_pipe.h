// SIGTERM (the lobby's close) and SIGUSR1 (its wake-up) turned into Qt
// signals through a self-pipe, so they are handled on the event loop.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace tessary::slimefray {

class SignalPipe : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; one instance per process.
    SignalPipe();
    ~SignalPipe() override;

signals:
    void terminateAsked();
    void wakeAsked();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessary::slimefray
