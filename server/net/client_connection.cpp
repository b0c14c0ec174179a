#include "server/net/client_connection.h"

#include "server/net/call_dispatch.h"
#include "server/net/listener.h"
#include "server/net/serve_options.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace server::net {

namespace {

// What one read takes from the socket at most.
constexpr size_t kReadChunk = 64 * 1024;
// What a connection may hold (input, a frame waiting, an answer unsent) without drawing on
// the server's buffer budget: ordinary calls and answers fit in it.
constexpr qsizetype kAllowance = 128 * 1024;
// An opening message is a few dozen bytes.
constexpr qsizetype kMaxOpenBytes = 4096;
// How long a closing connection may take to flush its last answer and see the client go.
constexpr std::chrono::milliseconds kLinger{3000};

QString secondsText(std::chrono::milliseconds ms) { return QString::number(static_cast<double>(ms.count()) / 1000.0); }

}  // namespace

ClientConnection::ClientConnection(quint64 id, int descriptor, Worker& worker)
    : id_(id),
      fd_(descriptor),
      worker_(worker),
      peer_(peerText(descriptor)),
      label_(peer_),
      io_(descriptor, worker.security().tlsContext()),
      reader_(worker.limits()),
      share_(worker.budget(), kAllowance),
      watched_(EPOLLIN)
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

qsizetype ClientConnection::held() const
{
    return reader_.capacity() + (next_ ? next_->capacity() : 0) + unsent_.capacity();
}

bool ClientConnection::account() { return share_.cover(held()); }

void ClientConnection::onEvents(std::uint32_t events)
{
    // A TLS handshake message that waited for room in the socket.
    if ((events & EPOLLOUT) && io_.wantsWrite()) {
        readSome();
        if (fd_ >= 0 && serving()) pump();
        events &= ~static_cast<std::uint32_t>(EPOLLIN);
    }
    if (fd_ >= 0 && (events & EPOLLOUT)) flush();
    if (fd_ >= 0 && (events & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
        readSome();
        if (fd_ >= 0 && serving()) pump();
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
        if (!serving()) continue;
        lastActivity_ = Clock::now();
        if (!takeInput(QByteArrayView(buffer, r.bytes))) return;
    } while (io_.hasBuffered());  // TLS: decrypted bytes the socket will not announce again
    switch (r.status) {
    case ConnectionIo::Status::Done:
    case ConnectionIo::Status::WouldBlock:
        noteFrameStart(Clock::now());
        updateWatch();  // a TLS handshake may need to write
        return;
    case ConnectionIo::Status::PlainOnTls:
        io_.dropTls();
        refuse(Refusal::BadMessage,
               QStringLiteral("Este servidor de aplicação só aceita conexões cifradas (TLS): configure na estação o "
                              "certificado da autoridade do servidor (--tls-ca, ou tls-ca em ate-host.ini)."));
        return;
    case ConnectionIo::Status::Failed:
        if (!io_.failure().isEmpty())
            worker_.log().refusal(Refusal::Failed, label_, QStringLiteral("closed: ") + io_.failure());
        abortNow();  // reset, or worse
        return;
    case ConnectionIo::Status::Closed: clientClosed(); return;
    }
}

// Input goes to the frame reader if the budget can hold what its buffer grows to; otherwise
// the client is refused. False when the connection stops serving.
bool ClientConnection::takeInput(QByteArrayView bytes)
{
    if (!share_.cover(held() - reader_.capacity() + reader_.capacityAfter(bytes.size()))) {
        const BufferBudget& budget = worker_.budget();
        refuse(Refusal::BufferFull,
               QStringLiteral("Servidor ocupado: a memória reservada para mensagens (%1 bytes) está em uso. "
                              "Tente novamente em instantes.")
                   .arg(budget.limit()),
               QStringLiteral("refused: the limit of bytes held for messages is reached (%1 of %2 bytes held)")
                   .arg(budget.held())
                   .arg(budget.limit()));
        return false;
    }
    try {
        reader_.append(bytes);
    } catch (const wire::WireError& e) {
        // Oversized framing: nothing after this point can be trusted.
        refuse(Refusal::BadMessage, QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
        return false;
    }
    return true;
}

// The client closed its side: no more calls. After an error answer that is what the server
// waits for; otherwise what is unsent still goes out.
void ClientConnection::clientClosed()
{
    switch (state_) {
    case State::Refusing:
    case State::Lingering: finish(); return;
    case State::Flushing: flush(); return;  // fails at once when the client has closed both ways
    case State::Opening:
    case State::Ready:
        closeGracefully();
        if (fd_ >= 0) flush();
        return;
    }
}

// A frame has begun to arrive when the reader holds part of one and no whole one: from then
// on it has the frame timeout to complete. A TLS handshake under way counts as the start of
// the opening's frame, so a client cannot hold a connection by stalling it.
void ClientConnection::noteFrameStart(Clock::time_point now)
{
    if (!io_.handshaking() && (!reader_.midFrame() || reader_.hasFrame())) {
        if (!reader_.midFrame()) frameSince_.reset();
        return;
    }
    if (frameSince_) return;
    frameSince_ = now;
    worker_.checkAt(now + worker_.options().frameTimeout);
}

void ClientConnection::pump()
{
    while (serving()) {
        if (hasUnsent()) break;  // its answer first: the socket's writability brings us back
        std::optional<QByteArray> frame = std::exchange(next_, std::nullopt);
        try {
            if (!frame) frame = reader_.takeFrame();
        } catch (const wire::WireError& e) {
            refuse(Refusal::BadMessage, QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (!frame) break;
        frameSince_.reset();
        account();  // the frame is the call's now, out of the input buffer
        if (state_ == State::Opening) {
            handleOpen(*frame);
            if (openAt_) break;  // held back; its time brings it back
            continue;
        }
        runCall(std::move(*frame));
        if (fd_ < 0 || !serving()) return;
        if (hasUnsent()) break;
        // One call per turn when another is already here: the worker's other connections go
        // first, and nothing more is read meanwhile.
        try {
            next_ = reader_.takeFrame();
        } catch (const wire::WireError& e) {
            refuse(Refusal::BadMessage, QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
            return;
        }
        if (next_) {
            worker_.giveTurn(*this);
            break;
        }
    }
    if (fd_ < 0 || !serving()) return;
    account();  // frames taken out of the input buffer are its no longer
    noteFrameStart(lastActivity_);
    updateWatch();
}

void ClientConnection::takeTurn()
{
    if (fd_ < 0 || !serving()) return;
    pump();
}

void ClientConnection::handleOpen(const QByteArray& body)
{
    if (body.size() > kMaxOpenBytes) {
        refuse(
            Refusal::BadMessage,
            QStringLiteral("Mensagem de abertura inválida: %1 bytes (esperada a mensagem \"open\").").arg(body.size()));
        return;
    }
    wire::Message message;
    try {
        message = wire::decodeMessage(body, worker_.limits());
    } catch (const wire::WireError& e) {
        refuse(Refusal::BadMessage, QStringLiteral("Mensagem inválida: %1").arg(e.Message()));
        return;
    }
    const auto* open = std::get_if<wire::OpenRequest>(&message);
    if (!open) {
        refuse(Refusal::BadMessage, QStringLiteral("A conexão deve começar pela mensagem de abertura (op \"open\")."));
        return;
    }
    const QString serverName = QString::fromUtf16(kServerObjectName);
    if (open->server != serverName) {
        refuse(Refusal::BadMessage,
               QStringLiteral("Objeto de servidor desconhecido: \"%1\". Este servidor atende \"%2\".")
                   .arg(open->server, serverName));
        return;
    }
    if (open->version != kProtocolVersion) {
        refuse(Refusal::BadMessage,
               QStringLiteral("Versão de protocolo não suportada: %1 (este servidor usa a versão %2).")
                   .arg(open->version)
                   .arg(kProtocolVersion));
        return;
    }
    if (!admitOpening(*open, body)) return;
    send(wire::encodeFrame(wire::OpenAccepted{}));
    if (fd_ >= 0) state_ = State::Ready;
}

bool ClientConnection::admitOpening(const wire::OpenRequest& open, const QByteArray& body)
{
    AccessControl& access = worker_.security().access;
    const QString address = addressOf(peer_);
    if (open.client && !std::exchange(openAdmitted_, false)) {
        const std::optional<Clock::time_point> at = access.admitAt(address);
        if (!at) {
            refuse(Refusal::Credentials,
                   QStringLiteral("Muitas tentativas de conexão recusadas a partir deste endereço; tente novamente "
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
        refuse(Refusal::Other, QStringLiteral("Não foi possível verificar a estação de trabalho: %1").arg(e.Message()));
        return false;
    }
    if (!admission.accepted) {
        // The log names the workstation, never the key.
        refuse(Refusal::Credentials, admission.refusal, QStringLiteral("refused: ") + admission.logText);
        return false;
    }
    branches_ = std::move(admission.branches);
    if (!admission.workstation.isEmpty()) {
        label_ = QStringLiteral("%1/%2").arg(peer_, admission.workstation);
        worker_.log().event(peer_, QStringLiteral("opened: ") + admission.logText);
    }
    return true;
}

void ClientConnection::runCall(QByteArray body)
{
    qsizetype budgetHeld = 0;
    {
        WorkerContext& context = worker_.context();
        context.beforeCall();
        const CallOutcome outcome =
            dispatchCall(std::move(body), context, worker_.limits(), worker_.budget(), branches_);
        context.afterCall();
        budgetHeld = outcome.budgetHeld;
        // The answer first, the log line after: the client is not kept waiting for the log.
        const QString undelivered = send(outcome.replyFrame);
        lastActivity_ = Clock::now();
        worker_.log().call(label_, outcome.method, outcome.milliseconds, outcome.error, undelivered);
        if (outcome.closeConnection) closeAfterError();
    }
    // The decoded arguments and the answer are freed now.
    worker_.budget().give(budgetHeld);
}

QString ClientConnection::send(const QByteArray& frame)
{
    if (fd_ < 0) return QStringLiteral("the client had gone");
    if (state_ == State::Lingering || state_ == State::Flushing || frame.isEmpty()) return {};
    if (hasUnsent()) {
        // Behind what is still waiting, in order.
        unsent_ = unsent_.sliced(unsentFrom_) + frame;
        unsentFrom_ = 0;
        account();
        updateWatch();
        return {};
    }
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ConnectionIo::Result r = io_.write(frame.constData() + sent, static_cast<size_t>(frame.size() - sent));
        if (r.status == ConnectionIo::Status::Done && r.bytes > 0) {
            sent += r.bytes;
        } else if (r.status == ConnectionIo::Status::WouldBlock) {
            break;  // also while a TLS handshake has not ended
        } else {
            abortNow();
            return QStringLiteral("the client had gone");
        }
    }
    if (sent == frame.size()) return {};
    // The rest when the socket drains, if the budget can hold it meanwhile.
    unsent_ = frame;
    unsentFrom_ = sent;
    if (!account()) {
        const BufferBudget& budget = worker_.budget();
        worker_.log().refusal(Refusal::BufferFull, peer_,
                              QStringLiteral("closed: %1 bytes of an answer wait for the client and the limit of "
                                             "bytes held for messages is reached (%2 of %3 bytes held)")
                                  .arg(frame.size() - sent)
                                  .arg(budget.held())
                                  .arg(budget.limit()));
        abortNow();
        return QStringLiteral("the limit of bytes held for messages was reached");
    }
    const auto now = Clock::now();
    unsentSince_ = now;
    worker_.checkAt(now + worker_.options().frameTimeout);
    updateWatch();
    return {};
}

void ClientConnection::flush()
{
    while (fd_ >= 0 && hasUnsent()) {
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
    if (fd_ >= 0) sent();
}

// Everything unsent has gone out.
void ClientConnection::sent()
{
    unsent_.clear();
    unsentFrom_ = 0;
    unsentSince_.reset();
    account();
    switch (state_) {
    case State::Flushing: finish(); return;
    case State::Refusing:
        io_.shutdownWrite();
        state_ = State::Lingering;
        updateWatch();
        return;
    case State::Opening:
    case State::Ready:
        pump();  // answers drained: take the next call
        return;
    case State::Lingering: updateWatch(); return;
    }
}

void ClientConnection::refuse(Refusal kind, const QString& text, const QString& logLine)
{
    worker_.log().refusal(kind, peer_, logLine.isEmpty() ? QStringLiteral("refused: ") + text : logLine);
    send(protocolErrorFrame(text));
    closeAfterError();
}

// After a protocol error the client may still be sending the rest of what it meant to send.
// Closing with unread input would reset the connection and could destroy the error answer
// before the client reads it, so the server stops sending, discards input until the client
// closes, and gives up after the linger time.
void ClientConnection::closeAfterError()
{
    if (fd_ < 0 || !serving()) return;
    next_.reset();
    if (hasUnsent()) {
        state_ = State::Refusing;
    } else {
        io_.shutdownWrite();
        state_ = State::Lingering;
    }
    startLinger();
    account();
    updateWatch();
}

void ClientConnection::closeGracefully()
{
    if (fd_ < 0 || !serving()) return;
    next_.reset();
    if (!hasUnsent()) {
        finish();
        return;
    }
    // After the unsent answers have gone.
    state_ = State::Flushing;
    startLinger();
    account();
    updateWatch();
}

void ClientConnection::startLinger()
{
    lingerUntil_ = Clock::now() + kLinger;
    worker_.checkAt(*lingerUntil_);
}

void ClientConnection::updateWatch()
{
    if (fd_ < 0) return;
    bool read = false;
    switch (state_) {
    case State::Opening:
    case State::Ready: read = !next_ && !hasUnsent(); break;
    case State::Refusing:
    case State::Lingering: read = true; break;  // until the client closes, after an error answer
    case State::Flushing: read = false; break;
    }
    // A TLS handshake message waiting for room in the socket is written on its writability.
    // An answer (a refusal at accept) waits for the handshake to end: watching the socket's
    // writability before then would wake the worker without end.
    const bool write = (hasUnsent() && io_.writable()) || io_.wantsWrite();
    const std::uint32_t events = (read ? EPOLLIN : 0u) | (write ? EPOLLOUT : 0u);
    if (events == watched_) return;
    watched_ = events;
    worker_.watch(*this, read, write);
}

ClientConnection::Clock::time_point ClientConnection::nextDeadline() const
{
    const auto& options = worker_.options();
    Clock::time_point when = lastActivity_ + options.idleTimeout;
    if (frameSince_) when = std::min(when, *frameSince_ + options.frameTimeout);
    if (unsentSince_) when = std::min(when, *unsentSince_ + options.frameTimeout);
    return when;
}

ClientConnection::Clock::time_point ClientConnection::checkTime(Clock::time_point now)
{
    if (fd_ < 0) return Clock::time_point::max();
    if (openAt_) {
        if (now < *openAt_) return *openAt_;
        // The server held the opening back; the client was not idle meanwhile.
        openAt_.reset();
        openAdmitted_ = true;
        lastActivity_ = now;
        worker_.giveTurn(*this);
        return nextDeadline();
    }
    if (lingerUntil_) {
        if (now < *lingerUntil_) return *lingerUntil_;
        abortNow();
        return Clock::time_point::max();
    }
    const auto& options = worker_.options();
    if (unsentSince_ && now - *unsentSince_ >= options.frameTimeout) {
        worker_.log().refusal(Refusal::Deadline, peer_,
                              QStringLiteral("closed: the client did not read its answer within %1 s (%2 bytes unsent)")
                                  .arg(secondsText(options.frameTimeout))
                                  .arg(unsent_.size() - unsentFrom_));
        abortNow();
        return Clock::time_point::max();
    }
    if (frameSince_ && now - *frameSince_ >= options.frameTimeout && io_.handshaking()) {
        // No frame can be sent before the handshake ends: closed without an answer.
        worker_.log().refusal(
            Refusal::Deadline, peer_,
            QStringLiteral("closed: the TLS handshake did not end within %1 s").arg(secondsText(options.frameTimeout)));
        abortNow();
        return Clock::time_point::max();
    }
    if (frameSince_ && now - *frameSince_ >= options.frameTimeout) {
        refuse(Refusal::Deadline,
               QStringLiteral("Mensagem incompleta: não chegou inteira em %1 s; conexão encerrada.")
                   .arg(secondsText(options.frameTimeout)),
               QStringLiteral("closed: a message did not arrive whole within %1 s (%2 bytes received)")
                   .arg(secondsText(options.frameTimeout))
                   .arg(reader_.buffered()));
        return lingerUntil_ ? *lingerUntil_ : Clock::time_point::max();
    }
    if (now - lastActivity_ < options.idleTimeout) return nextDeadline();
    if (hasUnsent()) {
        worker_.log().event(peer_,
                            QStringLiteral("closed: idle timeout, the client did not read its answer (%1 bytes unsent)")
                                .arg(unsent_.size() - unsentFrom_));
        abortNow();
        return Clock::time_point::max();
    }
    worker_.log().event(label_, reader_.midFrame() && !reader_.hasFrame()
                                    ? QStringLiteral("closed: incomplete message, idle timeout")
                                    : QStringLiteral("closed: idle timeout"));
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
    unsent_.clear();
    unsentFrom_ = 0;
    reader_ = wire::FrameReader(worker_.limits());
    share_.cover(0);
    worker_.finished(*this);
}

}  // namespace server::net
