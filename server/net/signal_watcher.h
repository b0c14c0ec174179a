#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the thread that owns the watcher, without a
// signal handler: the signals are blocked and read from a signalfd. blockTerminationSignals()
// must run before any thread starts, so that no thread receives them the default way.

#include <QObject>

class QSocketNotifier;

namespace server::net {

void blockTerminationSignals();
// Back to the default (the process ends), for commands that have no watcher.
void unblockTerminationSignals();

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Throws ServerFailure when the signals cannot be watched.
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace server::net
