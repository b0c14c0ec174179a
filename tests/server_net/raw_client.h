#pragma once
// A bare protocol client for the server's tests: writes whatever bytes a test wants and reads
// whole frames back, with no retry or checking of its own.

#include "framework/wire/codec.h"

#include <QTcpSocket>

#include <optional>

class RawClient {
public:
    // Connects to 127.0.0.1:port (from `from`, another loopback address, when given); throws
    // std::runtime_error when it cannot.
    explicit RawClient(quint16 port, const QString& from = {});
    QTcpSocket& socket() { return socket_; }

    void send(const QByteArray& bytes);
    void send(const wire::Message& message) { send(wire::encodeFrame(message)); }

    // The next message; nothing when the server closed or nothing came in time.
    std::optional<wire::Message> receive(int timeoutMs = 15'000);
    // True when the server closed the connection within the time (what it sent is discarded).
    bool waitClosed(int timeoutMs = 15'000);

    // Sends the opening and tells whether it was accepted.
    bool open();
    // One call, its answer (a CallReply or an ErrorReply); throws when none comes.
    wire::Message call(qint64 id, const QString& method, wire::Array args);

private:
    QTcpSocket socket_;
    wire::FrameReader reader_;
};

// The server's object name and version, as a client opens with them.
wire::OpenRequest validOpening();

// The error or the call answer a message is, if it is one (nothing came: neither).
const wire::ErrorReply* asError(const std::optional<wire::Message>& m);
const wire::CallReply* asReply(const std::optional<wire::Message>& m);
// A frame's length prefix, for tests that write frames byte by byte.
QByteArray header(quint32 length);
// GetParamComis of a branch: the smallest call the server answers.
wire::CallRequest paramComis(qint64 id, const QString& branch);
