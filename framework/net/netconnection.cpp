#include "framework/net/netconnection.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <exception>

namespace {

// Marks the connection busy for the length of one call (the method's name) or opening
// (no name). The text that says so is made only when a refusal needs it.
class BusyScope {
public:
    BusyScope(bool& busy, std::optional<QString>& current, std::optional<QString> what) : busy_(busy), current_(current)
    {
        busy_ = true;
        current_ = std::move(what);
    }
    ~BusyScope()
    {
        busy_ = false;
        current_.reset();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
    std::optional<QString>& current_;
};

QString describeWork(const std::optional<QString>& call)
{
    return call ? QStringLiteral("a chamada de %1").arg(*call) : QStringLiteral("a abertura da conexão");
}

QString seconds(int ms) { return ms % 1000 == 0 ? QString::number(ms / 1000) : QString::number(ms / 1000.0, 'f', 1); }

// Why a server certificate was not accepted, in the operator's words where the cause is a
// common one.
QString certificateProblem(const QSslError& error)
{
    switch (error.error()) {
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("foi emitido por uma autoridade diferente da configurada na estação (tls-ca)");
    case QSslError::HostNameMismatch: return QStringLiteral("não vale para o nome ou endereço usado para conectar");
    case QSslError::CertificateExpired: return QStringLiteral("está vencido");
    case QSslError::CertificateNotYetValid: return QStringLiteral("ainda não está em vigor");
    case QSslError::CertificateRevoked: return QStringLiteral("foi revogado");
    default: return error.errorString();
    }
}

QMutex defaultSecurityMutex;
TNetSecurity& defaultSecurity()
{
    static TNetSecurity security;
    return security;
}

}  // namespace

void TNetConnection::SetDefaultSecurity(const TNetSecurity& security)
{
    const QMutexLocker lock(&defaultSecurityMutex);
    defaultSecurity() = security;
}

TNetSecurity TNetConnection::DefaultSecurity()
{
    const QMutexLocker lock(&defaultSecurityMutex);
    return defaultSecurity();
}

TNetConnection::TNetConnection(QObject* parent) : QObject(parent), security_(DefaultSecurity()) { useSocket(false); }

void TNetConnection::useSocket(bool tls)
{
    if (socket_ && tls == (qobject_cast<QSslSocket*>(socket_) != nullptr)) return;
    // A plain connection goes through QTcpSocket alone: QSslSocket in plain mode adds a second
    // socket object and buffer to every call.
    delete socket_;
    socket_ = tls ? new QSslSocket(this) : new QTcpSocket(this);
    tlsConfiguredFor_.clear();
    // As soon as TCP is up: the TLS handshake's last message and the opening would otherwise
    // be held back by the wait for an acknowledgement.
    connect(socket_, &QTcpSocket::connected, this,
            [this] { socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
}

QSslSocket* TNetConnection::tlsSocket() const { return qobject_cast<QSslSocket*>(socket_); }

TNetConnection::~TNetConnection() { socket_->abort(); }

void TNetConnection::SetMaxFrameBytes(qsizetype bytes)
{
    // Takes effect from the next connection; a frame reader never changes its limit mid-stream.
    if (bytes > 0) limits_.maxFrameBytes = bytes;
}

bool TNetConnection::Connected() const { return opened_ && socket_->state() == QAbstractSocket::ConnectedState; }

void TNetConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

QString TNetConnection::address() const { return QStringLiteral("%1:%2").arg(host_).arg(port_); }

bool TNetConnection::useEventLoop() const
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->inherits("QGuiApplication") && QThread::currentThread() == app->thread();
}

void TNetConnection::Open()
{
    if (Connected()) return;
    if (busy_)
        throw EConnectionError(QStringLiteral("A conexão com o servidor de aplicação está ocupada com %1.")
                                   .arg(describeWork(currentCall_)));
    BusyScope scope(busy_, currentCall_, std::nullopt);
    closedWhileWaiting_ = false;
    openConnection();
}

void TNetConnection::openConnection()
{
    dropConnection();
    if (BeforeConnect) BeforeConnect(*this);
    if (host_.trimmed().isEmpty() || port_ <= 0 || port_ > 65535)
        throw EConnectionError(QStringLiteral("O endereço do servidor de aplicação não está configurado "
                                              "corretamente (\"%1\").")
                                   .arg(address()));
    if (serverName_.isEmpty())
        throw EConnectionError(QStringLiteral("O nome do objeto do servidor de aplicação não foi informado."));

    const QDeadlineTimer deadline(connectTimeoutMs_);
    connectSocket(deadline);

    wire::OpenRequest opening{serverName_, 1, std::nullopt, std::nullopt};
    if (!security_.clientName.isEmpty()) {
        opening.client = security_.clientName;
        opening.key = security_.clientKey;
    }
    sendFrame(wire::encodeFrame(opening));
    std::optional<QByteArray> frame;
    switch (waitForFrame(deadline, frame)) {
    case WaitEnd::Frame: break;
    case WaitEnd::Timeout:
        dropConnection();
        throw EConnectionError(QStringLiteral("O servidor de aplicação em %1 não respondeu à abertura da "
                                              "conexão em %2 s.")
                                   .arg(address(), seconds(connectTimeoutMs_)));
    case WaitEnd::Dropped:
        dropConnection();
        throw EConnectionError(QStringLiteral("O servidor de aplicação em %1 encerrou a conexão durante a "
                                              "abertura.")
                                   .arg(address()));
    }

    wire::Message message;
    try {
        message = wire::decodeMessage(*frame, limits_);
    } catch (const wire::WireError& e) {
        failProtocol(e.Message());
    }
    if (std::holds_alternative<wire::OpenAccepted>(message)) {
        opened_ = true;
        if (AfterConnect) AfterConnect(*this);
        return;
    }
    if (const auto* refused = std::get_if<wire::ErrorReply>(&message)) {
        dropConnection();
        throw EConnectionError(
            QStringLiteral("O servidor de aplicação em %1 recusou a conexão: %2").arg(address(), refused->message));
    }
    failProtocol(QStringLiteral("resposta inesperada à abertura da conexão."));
}

void TNetConnection::prepareTls()
{
    const QString& file = security_.tlsCaFile;
    // Read once: the socket keeps its settings from one connection to the next.
    if (file == tlsConfiguredFor_) return;
    if (!QSslSocket::supportsSsl())
        throw EConnectionError(
            QStringLiteral("Não é possível cifrar a conexão com o servidor de aplicação: a "
                           "biblioteca TLS do sistema não está disponível."));
    const QList<QSslCertificate> authorities = QSslCertificate::fromPath(file, QSsl::Pem);
    if (authorities.isEmpty())
        throw EConnectionError(QStringLiteral("Não foi possível ler o certificado da autoridade do servidor de "
                                              "aplicação em %1 (tls-ca).")
                                   .arg(QFileInfo(file).absoluteFilePath()));
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    // Only the authority given: a certificate from any other is refused.
    config.setCaCertificates(authorities);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    config.setProtocol(QSsl::TlsV1_2OrLater);
    tlsSocket()->setSslConfiguration(config);
    tlsConfiguredFor_ = file;
}

void TNetConnection::connectSocket(QDeadlineTimer deadline)
{
    reader_ = wire::FrameReader(limits_);
    const bool tls = !security_.tlsCaFile.isEmpty();
    useSocket(tls);
    if (tls) {
        prepareTls();
        tlsSocket()->connectToHostEncrypted(host_, static_cast<quint16>(port_));
    } else {
        socket_->connectToHost(host_, static_cast<quint16>(port_));
    }
    const auto ready = [this, tls] {
        const auto state = socket_->state();
        return state == QAbstractSocket::UnconnectedState
               || (state == QAbstractSocket::ConnectedState && (!tls || tlsSocket()->isEncrypted()));
    };
    if (useEventLoop()) {
        QPointer<TNetConnection> self(this);
        waitInEventLoop(deadline, ready);
        if (!self) throw EConnectionError(QStringLiteral("A conexão com o servidor de aplicação foi destruída."));
    } else if (tls) {
        tlsSocket()->waitForEncrypted(static_cast<int>(deadline.remainingTime()));
    } else {
        socket_->waitForConnected(static_cast<int>(deadline.remainingTime()));
    }
    if (ready() && socket_->state() == QAbstractSocket::ConnectedState && !closedWhileWaiting_) return;
    failConnect(deadline);
}

void TNetConnection::failConnect(QDeadlineTimer deadline)
{
    QString reason;
    switch (socket_->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        reason = QStringLiteral("A conexão foi recusada: o servidor não está em execução nessa porta.");
        break;
    case QAbstractSocket::HostNotFoundError: reason = QStringLiteral("O endereço não foi encontrado."); break;
    case QAbstractSocket::NetworkError: reason = QStringLiteral("A rede não está disponível."); break;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::RemoteHostClosedError:
        if (const QSslSocket* ssl = tlsSocket()) {
            const QList<QSslError> errors = ssl->sslHandshakeErrors();
            reason = errors.isEmpty() ? QStringLiteral(
                                            "A negociação da conexão cifrada (TLS) falhou: %1. Verifique se o servidor "
                                            "está configurado para TLS.")
                                            .arg(socket_->errorString())
                                      : QStringLiteral(
                                            "O certificado do servidor não foi aceito: %1. A conexão foi recusada para "
                                            "proteger os dados.")
                                            .arg(certificateProblem(errors.front()));
            break;
        }
        [[fallthrough]];
    default:
        reason = deadline.hasExpired() || socket_->state() != QAbstractSocket::UnconnectedState
                     ? QStringLiteral("Não houve resposta em %1 s.").arg(seconds(connectTimeoutMs_))
                     : socket_->errorString();
        break;
    }
    if (closedWhileWaiting_) reason = QStringLiteral("A conexão foi fechada durante a tentativa.");
    socket_->abort();
    throw EConnectionError(
        QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1. %2").arg(address(), reason));
}

void TNetConnection::sendFrame(const QByteArray& frame)
{
    socket_->write(frame);
    // Out now, not when the event loop next runs (a blocking caller may never run it).
    socket_->flush();
}

std::optional<QByteArray> TNetConnection::takeFrame()
{
    if (auto frame = reader_.takeFrame()) return frame;
    if (socket_->bytesAvailable() > 0) {
        reader_.append(socket_->readAll());
        return reader_.takeFrame();
    }
    return std::nullopt;
}

void TNetConnection::waitInEventLoop(QDeadlineTimer deadline, const std::function<bool()>& done)
{
    if (done()) return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    const auto check = [&] {
        if (done()) loop.quit();
    };
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(socket_, &QTcpSocket::stateChanged, &loop, check);
    connect(socket_, &QTcpSocket::readyRead, &loop, check);
    connect(socket_, &QTcpSocket::errorOccurred, &loop, check);
    if (QSslSocket* ssl = tlsSocket()) connect(ssl, &QSslSocket::encrypted, &loop, check);
    // TLS: an answer that arrives with the server's closing alert is buffered without a
    // readyRead of its own.
    connect(socket_, &QTcpSocket::readChannelFinished, &loop, check);
    connect(socket_, &QTcpSocket::disconnected, &loop, check);
    connect(socket_, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(std::chrono::milliseconds(deadline.remainingTime()));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

TNetConnection::WaitEnd TNetConnection::waitForFrame(QDeadlineTimer deadline, std::optional<QByteArray>& frame)
{
    std::exception_ptr failure;
    const auto poll = [&] {
        // Several signals of one socket event may each ask: a frame already taken stays.
        if (frame) return true;
        try {
            frame = takeFrame();
        } catch (...) {
            failure = std::current_exception();
            return true;
        }
        return frame.has_value() || socket_->state() != QAbstractSocket::ConnectedState;
    };

    if (useEventLoop()) {
        QPointer<TNetConnection> self(this);
        waitInEventLoop(deadline, poll);
        if (!self) throw EConnectionError(QStringLiteral("A conexão com o servidor de aplicação foi destruída."));
    } else {
        while (!poll()) {
            const qint64 remaining = deadline.remainingTime();
            if (remaining == 0) break;
            socket_->waitForReadyRead(static_cast<int>(remaining));
        }
    }

    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const wire::WireError& e) {
            failProtocol(e.Message());
        }
    }
    if (frame) return WaitEnd::Frame;
    if (socket_->state() != QAbstractSocket::ConnectedState || closedWhileWaiting_) return WaitEnd::Dropped;
    return WaitEnd::Timeout;
}

bool TNetConnection::isBroken()
{
    if (!opened_) return false;
    if (socket_->state() != QAbstractSocket::ConnectedState) return true;
    // The server may have closed the connection since the last call (idle time, restart): a
    // look at the socket without waiting tells.
    if (socket_->bytesAvailable() == 0) socket_->waitForReadyRead(0);
    if (socket_->state() != QAbstractSocket::ConnectedState) return true;
    // Nothing may arrive between calls; bytes that did leave the stream out of step.
    return socket_->bytesAvailable() > 0 || reader_.buffered() > 0;
}

void TNetConnection::dropConnection()
{
    const bool wasOpen = opened_;
    opened_ = false;
    socket_->abort();
    reader_ = wire::FrameReader(limits_);
    if (wasOpen && AfterDisconnect) AfterDisconnect(*this);
}

void TNetConnection::failProtocol(const QString& problem)
{
    dropConnection();
    throw EConnectionError(
        QStringLiteral("Resposta inválida do servidor de aplicação em %1: %2").arg(address(), problem));
}

void TNetConnection::Close()
{
    if (busy_) closedWhileWaiting_ = true;
    dropConnection();
}

wire::Value TNetConnection::Call(const QString& method, wire::Array& args)
{
    if (busy_)
        throw EConnectionError(QStringLiteral("A chamada de %1 ao servidor de aplicação foi recusada: %2 "
                                              "ainda não terminou.")
                                   .arg(method, describeWork(currentCall_)));
    BusyScope scope(busy_, currentCall_, method);
    closedWhileWaiting_ = false;

    // Reconnect once when the connection broke since the last call; nothing was sent on it.
    if (!opened_ || isBroken()) openConnection();

    const qint64 id = nextId_++;
    sendFrame(wire::encodeFrame(wire::CallRequest{id, method, args}));

    std::optional<QByteArray> frame;
    switch (waitForFrame(QDeadlineTimer(readTimeoutMs_), frame)) {
    case WaitEnd::Frame: break;
    case WaitEnd::Timeout:
        dropConnection();
        throw EConnectionError(QStringLiteral("O servidor de aplicação em %1 não respondeu à chamada de %2 em "
                                              "%3 s. A conexão foi encerrada; não é possível saber se a "
                                              "operação foi concluída.")
                                   .arg(address(), method, seconds(readTimeoutMs_)));
    case WaitEnd::Dropped: {
        const bool closedHere = closedWhileWaiting_;
        dropConnection();
        if (closedHere)
            throw EConnectionError(QStringLiteral("A conexão com o servidor de aplicação foi fechada durante a "
                                                  "chamada de %1.")
                                       .arg(method));
        throw EConnectionError(QStringLiteral("A conexão com o servidor de aplicação em %1 foi interrompida "
                                              "durante a chamada de %2; não é possível saber se a operação "
                                              "foi concluída.")
                                   .arg(address(), method));
    }
    }

    wire::Message message;
    try {
        message = wire::decodeMessage(*frame, limits_);
    } catch (const wire::WireError& e) {
        failProtocol(e.Message());
    }
    if (auto* reply = std::get_if<wire::CallReply>(&message)) {
        if (reply->id != id)
            failProtocol(QStringLiteral("resposta %1 recebida para a chamada %2.").arg(reply->id).arg(id));
        if (reply->args.size() != args.size())
            failProtocol(QStringLiteral("a resposta de %1 trouxe %2 argumentos; foram enviados %3.")
                             .arg(method)
                             .arg(reply->args.size())
                             .arg(args.size()));
        args = std::move(reply->args);
        return std::move(reply->result);
    }
    if (const auto* error = std::get_if<wire::ErrorReply>(&message)) {
        if (error->id == id) throw EServerError(error->message);
        // Without our id: the server refused the message itself and closes the connection.
        dropConnection();
        throw EConnectionError(QStringLiteral("O servidor de aplicação em %1 recusou a chamada de %2: %3")
                                   .arg(address(), method, error->message));
    }
    failProtocol(QStringLiteral("resposta inesperada à chamada de %1.").arg(method));
}
