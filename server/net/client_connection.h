#pragma once
// One client connection, on the thread of the worker that serves it: cuts the byte stream
// into frames, checks the opening, runs each call and writes its answer, all on this thread.
// Calls run one at a time in the order they came, so answers keep the order of the calls;
// frames that arrive meanwhile wait (first in the frame reader, then in the socket and the
// client's send buffer), so a client cannot make the server hold more than one frame of its
// input. A client that sends several calls at once lets the worker's other connections take
// their turn between them.

#include "framework/wire/codec.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace server::net {

class Worker;

class ClientConnection : public QObject {
    Q_OBJECT
public:
    ClientConnection(quint64 id, QTcpSocket* socket, Worker& worker);
    ~ClientConnection() override;

    quint64 id() const { return id_; }
    const QString& peer() const { return peer_; }

    // The server is stopping: answer what is under way, then close (frames not yet started
    // are not run).
    void drain();
    // Closes at once, without waiting for anything.
    void abortNow();

signals:
    void finished(quint64 id);

private:
    enum class State { Opening, Ready, Closing };

    void pump();
    void pumpLater();
    void handleOpen(const QByteArray& body);
    void runCall(const QByteArray& body);
    void refuse(const QString& text);
    void send(const QByteArray& frame);
    void closeAfterError();
    void closeGracefully();
    void onBytesWritten();
    void onIdleCheck();
    void touch();
    void finish();

    quint64 id_;
    QTcpSocket* socket_;
    Worker& worker_;
    QString peer_;
    wire::FrameReader reader_;
    State state_ = State::Opening;
    bool halfCloseWanted_ = false;
    bool pumpQueued_ = false;
    bool finished_ = false;
    // Idle time: the timer is armed once and, when it fires early, re-armed for what is left,
    // so that a call costs a clock reading instead of a timer restart.
    std::chrono::steady_clock::time_point lastActivity_;
    QTimer idle_;
    QTimer linger_;
};

}  // namespace server::net
