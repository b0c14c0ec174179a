#include "server/net/connection_io.h"

#include "server/net/tls_context.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

namespace server::net {

namespace {
constexpr unsigned char kTlsHandshakeRecord = 0x16;
}

ConnectionIo::ConnectionIo(int descriptor, ssl_ctx_st* tls) : fd_(descriptor)
{
    if (!tls) return;
    ssl_ = SSL_new(tls);
    if (ssl_ && SSL_set_fd(ssl_, fd_) == 1) {
        SSL_set_accept_state(ssl_);
        return;
    }
    failure_ = QStringLiteral("TLS: %1").arg(openSslError());
    if (ssl_) SSL_free(ssl_);
    ssl_ = nullptr;
    fd_ = -1;  // every operation fails
}

ConnectionIo::~ConnectionIo()
{
    if (ssl_) SSL_free(ssl_);
}

void ConnectionIo::dropTls()
{
    if (ssl_) SSL_free(ssl_);
    ssl_ = nullptr;
    wantsWrite_ = false;
}

bool ConnectionIo::writable() const { return !ssl_ || SSL_is_init_finished(ssl_); }

bool ConnectionIo::handshaking() const { return ssl_ && looked_ && !SSL_is_init_finished(ssl_); }

bool ConnectionIo::hasBuffered() const { return ssl_ && SSL_pending(ssl_) > 0; }

ConnectionIo::Result ConnectionIo::plainRead(char* buffer, std::size_t size)
{
    ssize_t n = -1;
    do {
        n = ::recv(fd_, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) return {Status::Done, n};
    if (n == 0) return {Status::Closed};
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {Status::WouldBlock};
    failure_ = QString::fromLocal8Bit(std::strerror(errno));
    return {Status::Failed};
}

ConnectionIo::Result ConnectionIo::plainWrite(const char* data, std::size_t size)
{
    ssize_t n = -1;
    do {
        n = ::send(fd_, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) return {Status::Done, n};
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {Status::WouldBlock};
    failure_ = QString::fromLocal8Bit(std::strerror(errno));
    return {Status::Failed};
}

ConnectionIo::Result ConnectionIo::tlsError(int code, const char* what)
{
    switch (SSL_get_error(ssl_, code)) {
    case SSL_ERROR_WANT_READ: wantsWrite_ = false; return {Status::WouldBlock};
    case SSL_ERROR_WANT_WRITE: wantsWrite_ = true; return {Status::WouldBlock};
    case SSL_ERROR_ZERO_RETURN: return {Status::Closed};
    case SSL_ERROR_SYSCALL:
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return {Status::WouldBlock};
        if (errno == 0) return {Status::Closed};
        failure_ = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        return {Status::Failed};
    default: {
        const QString reason = openSslError();
        failure_ = QStringLiteral("%1: %2").arg(QLatin1String(what), reason.isEmpty() ? QStringLiteral("?") : reason);
        return {Status::Failed};
    }
    }
}

ConnectionIo::Result ConnectionIo::handshake()
{
    if (!looked_) {
        unsigned char first = 0;
        const ssize_t n = ::recv(fd_, &first, 1, MSG_PEEK);
        if (n == 0) return {Status::Closed};
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? Result{Status::WouldBlock}
                                                                             : Result{Status::Failed};
        looked_ = true;
        if (first != kTlsHandshakeRecord) return {Status::PlainOnTls};
    }
    ERR_clear_error();
    const int r = SSL_do_handshake(ssl_);
    if (r == 1) {
        wantsWrite_ = false;
        return {Status::Done};
    }
    return tlsError(r, "TLS handshake failed");
}

ConnectionIo::Result ConnectionIo::read(char* buffer, std::size_t size)
{
    if (fd_ < 0) return {Status::Failed};
    if (!ssl_) return plainRead(buffer, size);
    if (!SSL_is_init_finished(ssl_)) {
        const Result done = handshake();
        if (done.status != Status::Done) return done;
    }
    ERR_clear_error();
    const int n = SSL_read(ssl_, buffer, static_cast<int>(std::min<std::size_t>(size, INT32_MAX)));
    if (n > 0) {
        wantsWrite_ = false;
        return {Status::Done, n};
    }
    return tlsError(n, "TLS read failed");
}

ConnectionIo::Result ConnectionIo::write(const char* data, std::size_t size)
{
    if (fd_ < 0) return {Status::Failed};
    if (!ssl_) return plainWrite(data, size);
    if (!SSL_is_init_finished(ssl_)) return {Status::WouldBlock};
    ERR_clear_error();
    const int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT32_MAX)));
    if (n > 0) return {Status::Done, n};
    const Result r = tlsError(n, "TLS write failed");
    wantsWrite_ = false;  // a blocked write is watched for as unsent data
    return r;
}

void ConnectionIo::shutdownWrite()
{
    if (fd_ < 0) return;
    if (ssl_ && SSL_is_init_finished(ssl_)) {
        ERR_clear_error();
        SSL_shutdown(ssl_);  // the closing alert, when the socket takes it
    }
    ::shutdown(fd_, SHUT_WR);
}

}  // namespace server::net
