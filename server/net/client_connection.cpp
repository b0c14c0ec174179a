#include "server/net/client_connection.h"

#include "server/net/call_dispatch.h"
#include "server/net/serve_options.h"

#include <QHostAddress>

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server::net {

namespace {

// What one read takes from the socket at most.
constexpr size_t kReadChunk = 64 * 1024;
// What the connection may hold unsent before it stops taking calls until the client reads
// its answers.
constexpr qsizetype kMaxUnsentBytes = 8 * 1024 * 1024;
// An opening message is a few dozen bytes.
constexpr qsizetype kMaxOpenBytes = 4096;
// How long a closing connection may take to flush its last answer and see the client go.
constexpr std::chrono::milliseconds kLinger{3000};

QString peerOf(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return QStringLiteral("?");
    const QHostAddress host(reinterpret_cast<const sockaddr*>(&address));
    const quint16 port = address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port)
                                                       : ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

}  // namespace

ClientConnection::ClientConnection(quint64 id, int descriptor, Worker& worker)
    : id_(id),
      fd_(descriptor),
      worker_(worker),
      peer_(peerOf(descriptor)),
      label_(peer_),
      io_(descriptor, worker.security().tlsContext()),
      reader_(worker.limits())
{
    // Answers go out as soon as they are written, not when the next segment would fill.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    lastActivity_ = Clock::now();
    worker_.checkAt(lastActivity_ + worker_.options().idleTimeout);
}

ClientConnection::~ClientConnection()
{
    if (fd_ >= 0) ::close(fd_);
}

void ClientConnection::onEvents(std::uint32_t events)
{
    // A TLS handshake message that waited for room in the socket.
    if ((events & EPOLLOUT) && io_.wantsWrite()) {
        readSome();
        if (fd_ >= 0 && state_ != State::Closing) pump();
        events &= ~static_cast<std::uint32_t>(EPOLLIN);
    }
    if (fd_ >= 0 && (events & EPOLLOUT)) flush();
    if (fd_ >= 0 && (events & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
        readSome();
        if (fd_ >= 0 && state_ != State::Closing) pump();
    }
}

void ClientConnection::readSome()
{
    char buffer[kReadChunk];
    ConnectionIo::Result r;
    do {
        r = io_.read(buffer, sizeof buffer);
        if (r.status != ConnectionIo::Status::Done) break;
        // Closing: the client's input is of no further interest.
        if (state_ == State::Closing) continue;
        lastActivity_ = Clock::now();
        try {
            reader_.append(QByteArrayView(buffer, r.bytes));
        } catch (const wire::WireError& e) {
            // Oversized framing: nothing after this point can be trusted.
            refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
    } while (io_.hasBuffered());  // TLS: decrypted bytes the socket will not announce again
    switch (r.status) {
    case ConnectionIo::Status::Done:
    case ConnectionIo::Status::WouldBlock: updateWatch(); return;
    case ConnectionIo::Status::PlainOnTls:
        io_.dropTls();
        refuse(QStringLiteral("Este servidor de aplicação só aceita conexões cifradas (TLS): configure na estação o "
                              "certificado da autoridade do servidor (--tls-ca, ou tls-ca em ate-host.ini)."));
        return;
    case ConnectionIo::Status::Failed:
        if (!io_.failure().isEmpty()) worker_.log().event(label_, QStringLiteral("closed: ") + io_.failure());
        abortNow();  // reset, or worse
        return;
    case ConnectionIo::Status::Closed: break;
    }
    // The client closed its side: no more calls. After an error answer that is what the
    // server waits for; otherwise what is unsent still goes out.
    peerClosed_ = true;
    if (state_ == State::Closing && (halfCloseWanted_ || unsent_.size() == unsentFrom_)) {
        finish();
        return;
    }
    closeGracefully();
    flush();  // fails at once when the client has closed both ways
    updateWatch();
}

void ClientConnection::pump()
{
    while (state_ != State::Closing) {
        if (unsent_.size() - unsentFrom_ > kMaxUnsentBytes) break;  // the socket's writability brings us back
        std::optional<QByteArray> frame = std::exchange(next_, std::nullopt);
        try {
            if (!frame) frame = reader_.takeFrame();
        } catch (const wire::WireError& e) {
            refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (!frame) break;
        if (state_ == State::Opening) {
            handleOpen(*frame);
            if (openAt_) break;  // held back; the deadline brings it back
            continue;
        }
        runCall(*frame);
        if (state_ == State::Closing || fd_ < 0) return;
        // One call per turn when another is already here: the worker's other connections go
        // first, and nothing more is read meanwhile.
        try {
            next_ = reader_.takeFrame();
        } catch (const wire::WireError& e) {
            refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (next_) {
            worker_.giveTurn(*this);
            break;
        }
    }
    updateWatch();
}

void ClientConnection::takeTurn()
{
    if (fd_ < 0 || state_ == State::Closing) return;
    pump();
}

void ClientConnection::handleOpen(const QByteArray& body)
{
    if (body.size() > kMaxOpenBytes) {
        refuse(QStringLiteral("Mensagem de abertura inválida: %1 bytes (esperada a mensagem \"open\").")
                   .arg(body.size()));
        return;
    }
    wire::Message message;
    try {
        message = wire::decodeMessage(body, worker_.limits());
    } catch (const wire::WireError& e) {
        refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
        return;
    }
    const auto* open = std::get_if<wire::OpenRequest>(&message);
    if (!open) {
        refuse(QStringLiteral("A conexão deve começar pela mensagem de abertura (op \"open\")."));
        return;
    }
    const QString serverName = QString::fromUtf16(kServerObjectName);
    if (open->server != serverName) {
        refuse(QStringLiteral("Objeto de servidor desconhecido: \"%1\". Este servidor atende \"%2\".")
                   .arg(open->server, serverName));
        return;
    }
    if (open->version != kProtocolVersion) {
        refuse(QStringLiteral("Versão de protocolo não suportada: %1 (este servidor usa a versão %2).")
                   .arg(open->version)
                   .arg(kProtocolVersion));
        return;
    }
    if (!admitOpening(*open, body)) return;
    send(wire::encodeFrame(wire::OpenAccepted{}));
    state_ = State::Ready;
}

bool ClientConnection::admitOpening(const wire::OpenRequest& open, const QByteArray& body)
{
    AccessControl& access = worker_.security().access;
    const QString address = addressOf(peer_);
    if (open.client && !std::exchange(openAdmitted_, false)) {
        const std::optional<Clock::time_point> at = access.admitAt(address);
        if (!at) {
            refuse(QStringLiteral("Muitas tentativas de conexão recusadas a partir deste endereço; tente novamente "
                                  "em alguns minutos."));
            return false;
        }
        if (*at > Clock::now()) {
            next_ = body;
            openAt_ = *at;
            worker_.checkAt(*at);
            return false;
        }
    }
    Admission admission;
    try {
        admission = access.admit(worker_.context().database(), open, address);
    } catch (const Exception& e) {
        worker_.context().checkConnection();
        refuse(QStringLiteral("Não foi possível verificar a estação de trabalho: %1").arg(e.Message()));
        return false;
    }
    if (!admission.accepted) {
        // The log names the workstation, never the key.
        worker_.log().event(peer_, QStringLiteral("refused: ") + admission.logText);
        send(protocolErrorFrame(admission.refusal));
        closeAfterError();
        return false;
    }
    branches_ = std::move(admission.branches);
    if (!admission.workstation.isEmpty()) {
        label_ = QStringLiteral("%1/%2").arg(peer_, admission.workstation);
        worker_.log().event(peer_, QStringLiteral("opened: ") + admission.logText);
    }
    return true;
}

void ClientConnection::runCall(const QByteArray& body)
{
    WorkerContext& context = worker_.context();
    context.beforeCall();
    const CallOutcome outcome = dispatchCall(body, context, worker_.limits(), branches_);
    context.afterCall();
    // The answer first, the log line after: the client is not kept waiting for the log.
    send(outcome.replyFrame);
    lastActivity_ = Clock::now();
    const bool gone = fd_ < 0;
    worker_.log().call(label_, outcome.method, outcome.milliseconds,
                       !gone ? outcome.error
                       : outcome.error.isEmpty()
                           ? QStringLiteral("(not answered: the client had gone)")
                           : outcome.error + QStringLiteral(" (not answered: the client had gone)"));
    if (outcome.closeConnection) closeAfterError();
}

void ClientConnection::send(const QByteArray& frame)
{
    if (fd_ < 0 || halfClosed_ || frame.isEmpty()) return;
    if (unsent_.size() > unsentFrom_) {
        // Behind what is still waiting, in order.
        unsent_ = unsent_.sliced(unsentFrom_) + frame;
        unsentFrom_ = 0;
        updateWatch();
        return;
    }
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ConnectionIo::Result r = io_.write(frame.constData() + sent, static_cast<size_t>(frame.size() - sent));
        if (r.status == ConnectionIo::Status::Done && r.bytes > 0) {
            sent += r.bytes;
        } else if (r.status == ConnectionIo::Status::WouldBlock) {
            break;
        } else {
            abortNow();  // the client has gone
            return;
        }
    }
    if (sent == frame.size()) return;
    // The rest when the socket drains.
    unsent_ = frame;
    unsentFrom_ = sent;
    updateWatch();
}

void ClientConnection::flush()
{
    while (fd_ >= 0 && unsentFrom_ < unsent_.size()) {
        const ConnectionIo::Result r =
            io_.write(unsent_.constData() + unsentFrom_, static_cast<size_t>(unsent_.size() - unsentFrom_));
        if (r.status == ConnectionIo::Status::Done && r.bytes > 0) {
            unsentFrom_ += r.bytes;
        } else if (r.status == ConnectionIo::Status::WouldBlock) {
            updateWatch();
            return;
        } else {
            abortNow();
            return;
        }
    }
    if (fd_ < 0) return;
    unsent_.clear();
    unsentFrom_ = 0;
    if (closeWhenFlushed_) {
        finish();
        return;
    }
    if (halfCloseWanted_ && !halfClosed_) {
        halfClosed_ = true;
        io_.shutdownWrite();
    }
    // Answers drained: take the next call.
    if (state_ != State::Closing) pump();
    updateWatch();
}

void ClientConnection::refuse(const QString& text)
{
    worker_.log().event(peer_, QStringLiteral("refused: ") + text);
    send(protocolErrorFrame(text));
    closeAfterError();
}

// After a protocol error the client may still be sending the rest of what it meant to send.
// Closing with unread input would reset the connection and could destroy the error answer
// before the client reads it, so the server stops sending, discards input until the client
// closes, and gives up after the linger time.
void ClientConnection::closeAfterError()
{
    if (fd_ < 0 || state_ == State::Closing) return;
    state_ = State::Closing;
    next_.reset();
    halfCloseWanted_ = true;
    lingerUntil_ = Clock::now() + kLinger;
    worker_.checkAt(*lingerUntil_);
    if (unsent_.size() == unsentFrom_) {
        halfClosed_ = true;
        io_.shutdownWrite();
    }
    discardInput_ = true;  // reading on, to see the client go
    updateWatch();
}

void ClientConnection::closeGracefully()
{
    if (fd_ < 0 || state_ == State::Closing) return;
    state_ = State::Closing;
    next_.reset();
    if (unsent_.size() == unsentFrom_) {
        finish();
        return;
    }
    // After the unsent answers have gone.
    closeWhenFlushed_ = true;
    lingerUntil_ = Clock::now() + kLinger;
    worker_.checkAt(*lingerUntil_);
    updateWatch();
}

void ClientConnection::updateWatch()
{
    if (fd_ < 0) return;
    const bool pending = unsent_.size() > unsentFrom_;
    bool read = false;
    if (peerClosed_)
        read = false;
    else if (state_ == State::Closing)
        read = discardInput_;  // until the client closes, after an error answer
    else
        read = !next_ && unsent_.size() - unsentFrom_ <= kMaxUnsentBytes;
    const bool write = pending || io_.wantsWrite();
    if (read == watchRead_ && write == watchWrite_) return;
    watchRead_ = read;
    watchWrite_ = write;
    worker_.watch(*this, read, write);
}

ClientConnection::Clock::time_point ClientConnection::checkTime(Clock::time_point now)
{
    if (fd_ < 0) return Clock::time_point::max();
    if (openAt_) {
        if (now < *openAt_) return *openAt_;
        openAt_.reset();
        openAdmitted_ = true;
        worker_.giveTurn(*this);
        return now + worker_.options().idleTimeout;
    }
    if (lingerUntil_) {
        if (now >= *lingerUntil_) {
            abortNow();
            return Clock::time_point::max();
        }
        return *lingerUntil_;
    }
    const auto idleTimeout = worker_.options().idleTimeout;
    if (now - lastActivity_ < idleTimeout) return lastActivity_ + idleTimeout;
    worker_.log().event(label_, reader_.midFrame() ? QStringLiteral("closed: incomplete message, idle timeout")
                                                  : QStringLiteral("closed: idle timeout"));
    if (unsent_.size() > unsentFrom_) {
        abortNow();  // it is not reading its answers either
        return Clock::time_point::max();
    }
    closeGracefully();
    return lingerUntil_ ? *lingerUntil_ : Clock::time_point::max();
}

void ClientConnection::abortNow() { finish(); }

void ClientConnection::finish()
{
    if (fd_ < 0) return;
    ::close(fd_);  // also takes it out of the worker's epoll set
    fd_ = -1;
    next_.reset();
    worker_.finished(*this);
}

}  // namespace server::net
