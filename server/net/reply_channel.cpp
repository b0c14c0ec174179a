#include "server/net/reply_channel.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server::net {

ReplyChannel::ReplyChannel(qintptr socketDescriptor)
    : fd_(socketDescriptor >= 0 ? ::fcntl(static_cast<int>(socketDescriptor), F_DUPFD_CLOEXEC, 0) : -1)
{
}

ReplyChannel::~ReplyChannel() { close(); }

QByteArray ReplyChannel::trySend(const QByteArray& bytes)
{
    std::lock_guard lock(mutex_);
    qsizetype sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // full (the protocol thread sends the rest) or broken (it finds out itself)
        }
    }
    return sent == 0 ? bytes : bytes.mid(sent);
}

void ReplyChannel::close()
{
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace server::net
