// SIGTERM, the stand-in for a close request posted to the main window, turned
// into a Qt signal: the handler only writes into a pipe that the event loop
// watches, so the lobby's normal ending runs. One instance per process.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tessary::lobby {

class TerminationSignal : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

signals:
    void closeRequested();

private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessary::lobby
