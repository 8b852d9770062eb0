// SIGTERM (close) and SIGUSR1 (a new start order) turned into Qt signals: the
// handler only writes the signal number into a pipe that the event loop watches.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tessary::poker {

class SignalPipe : public QObject {
    Q_OBJECT
public:
    explicit SignalPipe(QObject* parent = nullptr);
    ~SignalPipe() override;

signals:
    void closeRequested();
    void startRequested();

private:
    void drain();
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessary::poker
