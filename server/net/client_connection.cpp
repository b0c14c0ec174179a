#include "server/net/client_connection.h"

#include "server/net/call_dispatch.h"
#include "server/net/serve_options.h"
#include "server/net/worker.h"

#include <QTcpSocket>

#include <cerrno>
#include <sys/socket.h>

namespace server::net {

namespace {

// What the socket may read ahead of us, and what it may hold unsent before the connection
// stops taking calls until the client reads its answers.
constexpr qint64 kReadAheadBytes = 256 * 1024;
constexpr qint64 kMaxUnsentBytes = 8 * 1024 * 1024;
// An opening message is a few dozen bytes.
constexpr qsizetype kMaxOpenBytes = 4096;
// How long a closing connection may take to flush its last answer and see the client go.
constexpr int kLingerMs = 3000;

}  // namespace

ClientConnection::ClientConnection(quint64 id, QTcpSocket* socket, Worker& worker)
    : id_(id),
      socket_(socket),
      worker_(worker),
      peer_(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())),
      reader_(worker.limits())
{
    socket_->setParent(this);
    socket_->setReadBufferSize(kReadAheadBytes);
    // Answers go out as soon as they are written, not when the next segment would fill.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    idle_.setSingleShot(true);
    idle_.setTimerType(Qt::CoarseTimer);
    linger_.setSingleShot(true);
    linger_.setInterval(kLingerMs);

    connect(socket_, &QTcpSocket::readyRead, this, &ClientConnection::pump);
    connect(socket_, &QTcpSocket::bytesWritten, this, &ClientConnection::onBytesWritten);
    connect(socket_, &QTcpSocket::disconnected, this, &ClientConnection::finish);
    connect(&idle_, &QTimer::timeout, this, &ClientConnection::onIdleCheck);
    connect(&linger_, &QTimer::timeout, this, &ClientConnection::abortNow);
    touch();
    idle_.start(worker_.options().idleTimeout);
    // Bytes the client sent before this worker took the socket over.
    if (socket_->bytesAvailable() > 0) pumpLater();
}

ClientConnection::~ClientConnection() = default;

void ClientConnection::touch() { lastActivity_ = std::chrono::steady_clock::now(); }

void ClientConnection::pumpLater()
{
    if (pumpQueued_) return;
    pumpQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pumpQueued_ = false;
            pump();
        },
        Qt::QueuedConnection);
}

void ClientConnection::pump()
{
    while (state_ != State::Closing) {
        if (socket_->bytesToWrite() > kMaxUnsentBytes) return;  // bytesWritten brings us back
        std::optional<QByteArray> frame;
        try {
            frame = reader_.takeFrame();
            if (!frame) {
                const qint64 available = socket_->bytesAvailable();
                if (available <= 0) return;
                reader_.append(socket_->read(available));
                touch();
                continue;
            }
        } catch (const wire::WireError& e) {
            // Oversized or unreadable framing: nothing after this point can be trusted.
            refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (state_ == State::Opening) {
            handleOpen(*frame);
            continue;
        }
        runCall(*frame);
        // One call per turn when more are waiting: the worker's other connections go next.
        if (state_ != State::Closing && (reader_.buffered() > 0 || socket_->bytesAvailable() > 0)) {
            pumpLater();
            return;
        }
    }
    // Closing: the client's input is of no further interest.
    if (socket_->bytesAvailable() > 0) socket_->skip(socket_->bytesAvailable());
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
    send(wire::encodeFrame(wire::OpenAccepted{}));
    state_ = State::Ready;
}

void ClientConnection::runCall(const QByteArray& body)
{
    WorkerContext& context = worker_.context();
    context.beforeCall();
    const CallOutcome outcome = dispatchCall(body, context, worker_.limits());
    context.afterCall();
    // The answer first, the log line after: the client is not kept waiting for the log.
    const bool gone = socket_->state() != QAbstractSocket::ConnectedState;
    send(outcome.replyFrame);
    touch();
    worker_.log().call(peer_, outcome.method, outcome.milliseconds,
                       !gone ? outcome.error
                       : outcome.error.isEmpty()
                           ? QStringLiteral("(not answered: the client had gone)")
                           : outcome.error + QStringLiteral(" (not answered: the client had gone)"));
    if (outcome.closeConnection) closeAfterError();
}

void ClientConnection::send(const QByteArray& frame)
{
    qsizetype sent = 0;
    if (socket_->bytesToWrite() == 0) {
        // Straight to the socket while nothing of ours waits before it: handing the bytes to
        // QTcpSocket arms a write notifier and wakes this thread's event loop twice per answer.
        const int fd = static_cast<int>(socket_->socketDescriptor());
        while (sent < frame.size()) {
            const ssize_t n = ::send(fd, frame.constData() + sent, static_cast<size_t>(frame.size() - sent),
                                     MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;  // full, or broken: QTcpSocket takes the rest and finds out which
            }
        }
    }
    if (sent == frame.size()) return;
    socket_->write(frame.constData() + sent, frame.size() - sent);
    // Out now rather than on the next turn of the event loop; what the socket does not take
    // at once follows as it drains.
    socket_->flush();
}

void ClientConnection::refuse(const QString& text)
{
    worker_.log().event(peer_, QStringLiteral("refused: ") + text);
    send(protocolErrorFrame(text));
    closeAfterError();
}

void ClientConnection::drain() { closeGracefully(); }

// After a protocol error the client may still be sending the rest of what it meant to send.
// Closing with unread input would reset the connection and could destroy the error answer
// before the client reads it, so the server stops sending, discards input until the client
// closes, and gives up after the linger time.
void ClientConnection::closeAfterError()
{
    if (state_ == State::Closing) return;
    state_ = State::Closing;
    idle_.stop();
    linger_.start();
    halfCloseWanted_ = true;
    onBytesWritten();
}

void ClientConnection::closeGracefully()
{
    if (state_ == State::Closing) return;
    state_ = State::Closing;
    idle_.stop();
    linger_.start();
    socket_->disconnectFromHost();  // after the unsent answers have gone
}

void ClientConnection::onBytesWritten()
{
    if (halfCloseWanted_ && socket_->bytesToWrite() == 0) {
        halfCloseWanted_ = false;
        ::shutdown(static_cast<int>(socket_->socketDescriptor()), SHUT_WR);
        if (socket_->bytesAvailable() > 0) socket_->skip(socket_->bytesAvailable());
        return;
    }
    // Answers drained below the limit: take the next call.
    if (state_ != State::Closing && socket_->bytesToWrite() <= kMaxUnsentBytes &&
        (reader_.buffered() > 0 || socket_->bytesAvailable() > 0))
        pumpLater();
}

void ClientConnection::onIdleCheck()
{
    const auto timeout = worker_.options().idleTimeout;
    const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - lastActivity_);
    if (quiet < timeout) {
        idle_.start(timeout - quiet);
        return;
    }
    worker_.log().event(peer_, reader_.midFrame() ? QStringLiteral("closed: incomplete message, idle timeout")
                                                  : QStringLiteral("closed: idle timeout"));
    if (socket_->bytesToWrite() > 0) {
        abortNow();  // it is not reading its answers either
        return;
    }
    closeGracefully();
}

void ClientConnection::abortNow()
{
    socket_->abort();
    finish();
}

void ClientConnection::finish()
{
    if (finished_) return;
    finished_ = true;
    idle_.stop();
    linger_.stop();
    emit finished(id_);
}

}  // namespace server::net
