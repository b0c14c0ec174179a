#include "server/net/listener.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server::net {

namespace {

// Connections accepted per readiness, so that a flood does not keep the loop from its other
// work (a stop request).
constexpr int kAcceptsPerWake = 64;
constexpr int kFirstBackoffMs = 50;
constexpr int kMaxBackoffMs = 1000;

QByteArray rawAddress(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        return QByteArray(reinterpret_cast<const char*>(&in6.sin6_addr), sizeof in6.sin6_addr);
    }
    const auto& in4 = reinterpret_cast<const sockaddr_in&>(address);
    return QByteArray(reinterpret_cast<const char*>(&in4.sin_addr), sizeof in4.sin_addr);
}

}  // namespace

QString peerText(int descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) return QStringLiteral("?");
    const QHostAddress host(reinterpret_cast<const sockaddr*>(&address));
    const quint16 port = address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port)
                                                       : ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

Listener::Listener(CallLog& log, Incoming onIncoming, QObject* parent)
    : QObject(parent), log_(log), onIncoming_(std::move(onIncoming)), retry_(new QTimer(this))
{
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] {
        if (notifier_) notifier_->setEnabled(true);
        acceptSome();
    });
}

Listener::~Listener() { close(); }

bool Listener::listen(const QHostAddress& address, quint16 port, int backlog)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    bool v4 = false;
    const quint32 ip4 = address.toIPv4Address(&v4);
    if (v4) {
        auto& in4 = reinterpret_cast<sockaddr_in&>(storage);
        in4.sin_family = AF_INET;
        in4.sin_port = htons(port);
        in4.sin_addr.s_addr = htonl(ip4);
        length = sizeof in4;
    } else {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(storage);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR ip6 = address.toIPv6Address();
        std::memcpy(&in6.sin6_addr, &ip6, sizeof ip6);
        length = sizeof in6;
    }
    fd_ = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0
        || ::bind(fd_, reinterpret_cast<const sockaddr*>(&storage), length) != 0 || ::listen(fd_, backlog) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    }
    length = sizeof storage;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&storage), &length);
    address_ = QHostAddress(reinterpret_cast<const sockaddr*>(&storage));
    port_ = ntohs(storage.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(storage).sin6_port
                                                : reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Listener::acceptSome);
    return true;
}

void Listener::close()
{
    retry_->stop();
    delete notifier_;
    notifier_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void Listener::acceptSome()
{
    for (int i = 0; i < kAcceptsPerWake && fd_ >= 0; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int descriptor =
            ::accept4(fd_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;  // that client gave up
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) outOfDescriptors(errno);
            return;  // EAGAIN: none left waiting
        }
        if (backoffMs_ > 0) {
            log_.note(QStringLiteral("accepting connections again"));
            backoffMs_ = 0;
        }
        onIncoming_(descriptor, rawAddress(address));
    }
}

// The connection stays in the backlog: readiness would be reported again at once, so the
// notifier is off until the retry.
void Listener::outOfDescriptors(int error)
{
    if (backoffMs_ == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        log_.note(QStringLiteral("cannot accept connections: %1 (descriptor limit %2); new connections wait, "
                                 "open ones are served")
                      .arg(QString::fromLocal8Bit(std::strerror(error)))
                      .arg(static_cast<qulonglong>(limit.rlim_cur)));
    }
    backoffMs_ = backoffMs_ == 0 ? kFirstBackoffMs : std::min(2 * backoffMs_, kMaxBackoffMs);
    if (notifier_) notifier_->setEnabled(false);
    retry_->start(backoffMs_);
}

}  // namespace server::net
