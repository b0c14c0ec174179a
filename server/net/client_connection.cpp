#include "server/net/client_connection.h"

#include "server/net/app_server.h"
#include "server/net/call_dispatch.h"
#include "server/net/reply_channel.h"

#include <QTcpSocket>

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

ClientConnection::ClientConnection(quint64 id, QTcpSocket* socket, AppServer& server)
    : id_(id),
      socket_(socket),
      channel_(std::make_shared<ReplyChannel>(socket->socketDescriptor())),
      server_(server),
      peer_(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())),
      reader_(server.limits())
{
    socket_->setParent(this);
    socket_->setReadBufferSize(kReadAheadBytes);
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    idle_.setSingleShot(true);
    idle_.setInterval(server.options().idleTimeout);
    linger_.setSingleShot(true);
    linger_.setInterval(kLingerMs);

    connect(socket_, &QTcpSocket::readyRead, this, &ClientConnection::pump);
    connect(socket_, &QTcpSocket::bytesWritten, this, &ClientConnection::onBytesWritten);
    connect(socket_, &QTcpSocket::disconnected, this, &ClientConnection::finish);
    connect(&idle_, &QTimer::timeout, this, &ClientConnection::onIdle);
    connect(&linger_, &QTimer::timeout, this, &ClientConnection::abortNow);
    idle_.start();
}

ClientConnection::~ClientConnection() { channel_->close(); }

bool ClientConnection::busy() const
{
    return inFlight_ || socket_->bytesToWrite() > kMaxUnsentBytes;
}

void ClientConnection::pump()
{
    while (state_ != State::Closing) {
        if (draining_ && !inFlight_) {
            closeGracefully();
            return;
        }
        if (busy()) return;
        std::optional<QByteArray> frame;
        try {
            frame = reader_.takeFrame();
            if (!frame) {
                const qint64 available = socket_->bytesAvailable();
                if (available <= 0) return;
                reader_.append(socket_->read(available));
                idle_.start();
                continue;
            }
        } catch (const wire::WireError& e) {
            // Oversized or unreadable framing: nothing after this point can be trusted.
            refuse(QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (state_ == State::Opening) {
            handleOpen(*frame);
        } else {
            submit(std::move(*frame));
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
        message = wire::decodeMessage(body, server_.limits());
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
    socket_->write(wire::encodeFrame(wire::OpenAccepted{}));
    state_ = State::Ready;
}

void ClientConnection::submit(QByteArray body)
{
    inFlight_ = true;
    idle_.stop();
    // The worker may answer on the socket itself only when nothing of ours is still queued
    // there; nothing else is written to the connection while the call is in flight.
    server_.submit(*this, std::move(body), socket_->bytesToWrite() == 0 ? channel_ : nullptr);
}

void ClientConnection::refuse(const QString& text)
{
    server_.log().event(peer_, QStringLiteral("refused: ") + text);
    socket_->write(protocolErrorFrame(text));
    closeAfterError();
}

void ClientConnection::deliver(const CallOutcome& outcome)
{
    inFlight_ = false;
    if (state_ == State::Closing) return;
    if (!outcome.replyFrame.isEmpty()) socket_->write(outcome.replyFrame);
    if (outcome.closeConnection) {
        closeAfterError();
        return;
    }
    idle_.start();
    pump();
}

void ClientConnection::drain()
{
    draining_ = true;
    if (!inFlight_) closeGracefully();
}

// After a protocol error the client may still be sending the rest of what it meant to send.
// Closing with unread input would reset the connection and could destroy the error answer
// before the client reads it, so the server stops sending, discards input until the client
// closes, and gives up after the linger time.
void ClientConnection::closeAfterError()
{
    if (state_ == State::Closing) return;
    state_ = State::Closing;
    channel_->close();
    idle_.stop();
    linger_.start();
    halfCloseWanted_ = true;
    onBytesWritten();
}

void ClientConnection::closeGracefully()
{
    if (state_ == State::Closing) return;
    state_ = State::Closing;
    channel_->close();
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
    if (state_ != State::Closing && !inFlight_) pump();
}

void ClientConnection::onIdle()
{
    server_.log().event(peer_, reader_.midFrame() ? QStringLiteral("closed: incomplete message, idle timeout")
                                                  : QStringLiteral("closed: idle timeout"));
    if (socket_->bytesToWrite() > 0) {
        abortNow();  // it is not reading its answers either
        return;
    }
    closeGracefully();
}

void ClientConnection::abortNow()
{
    channel_->close();
    socket_->abort();
    finish();
}

void ClientConnection::finish()
{
    if (finished_) return;
    finished_ = true;
    channel_->close();
    idle_.stop();
    linger_.stop();
    emit finished(id_);
}

}  // namespace server::net
