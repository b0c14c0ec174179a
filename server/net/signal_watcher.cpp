#include "server/net/signal_watcher.h"

#include "server/database.h"

#include <QSocketNotifier>

#include <sys/signalfd.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace server::net {

namespace {

sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void blockTerminationSignals()
{
    const sigset_t set = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void unblockTerminationSignals()
{
    const sigset_t set = terminationSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent)
{
    const sigset_t set = terminationSignals();
    fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0)
        throw ServerFailure(QStringLiteral("Não foi possível observar os sinais de término: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalWatcher::readSignals);
}

SignalWatcher::~SignalWatcher()
{
    // The notifier (a child) outlives this body; it must stop watching before the fd goes.
    notifier_->setEnabled(false);
    ::close(fd_);
}

void SignalWatcher::readSignals()
{
    signalfd_siginfo info;
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit terminationRequested(static_cast<int>(info.ssi_signo));
}

}  // namespace server::net
