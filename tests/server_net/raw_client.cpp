#include "tests/server_net/raw_client.h"

#include <QtEndian>

#include <QDeadlineTimer>

#include <stdexcept>

RawClient::RawClient(quint16 port, const QString& from)
{
    if (!from.isEmpty() && !socket_.bind(QHostAddress(from)))
        throw std::runtime_error("RawClient: cannot bind " + from.toStdString());
    socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket_.waitForConnected(10'000))
        throw std::runtime_error("RawClient: " + socket_.errorString().toStdString());
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void RawClient::send(const QByteArray& bytes)
{
    socket_.write(bytes);
    // All of it handed to the system before returning, however large.
    const QDeadlineTimer deadline(30'000);
    while (socket_.bytesToWrite() > 0 && socket_.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired())
        socket_.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
}

std::optional<wire::Message> RawClient::receive(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (auto frame = reader_.takeFrame()) return wire::decodeMessage(*frame);
        if (socket_.bytesAvailable() > 0) {
            reader_.append(socket_.readAll());
            continue;
        }
        if (socket_.state() != QAbstractSocket::ConnectedState || deadline.hasExpired()) return std::nullopt;
        socket_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

bool RawClient::waitClosed(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (socket_.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        socket_.readAll();
    }
    return socket_.state() != QAbstractSocket::ConnectedState;
}

bool RawClient::open()
{
    send(validOpening());
    const auto answer = receive();
    return answer && std::holds_alternative<wire::OpenAccepted>(*answer);
}

wire::Message RawClient::call(qint64 id, const QString& method, wire::Array args)
{
    send(wire::CallRequest{id, method, std::move(args)});
    auto answer = receive();
    if (!answer) throw std::runtime_error("RawClient: no answer to " + method.toStdString());
    return std::move(*answer);
}

wire::OpenRequest validOpening() { return wire::OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 1}; }

const wire::ErrorReply* asError(const std::optional<wire::Message>& m)
{
    return m ? std::get_if<wire::ErrorReply>(&*m) : nullptr;
}

const wire::CallReply* asReply(const std::optional<wire::Message>& m)
{
    return m ? std::get_if<wire::CallReply>(&*m) : nullptr;
}

QByteArray header(quint32 length)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(length, bytes.data());
    return bytes;
}

wire::CallRequest paramComis(qint64 id, const QString& branch)
{
    return {id, QStringLiteral("GetParamComis"), {wire::Value(branch)}};
}
