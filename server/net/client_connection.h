#pragma once
// One client connection on the protocol thread: cuts the byte stream into frames, checks the
// opening, hands each call to the workers and writes the answers back in order. A connection
// has at most one call in flight; frames that arrive meanwhile wait (first in the frame
// reader, then in the socket and the client's send buffer), so answers keep the order of the
// calls and a client cannot make the server hold more than one frame of its input.

#include "framework/wire/codec.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QTcpSocket;

namespace server::net {

class AppServer;
class ReplyChannel;
struct CallOutcome;

class ClientConnection : public QObject {
    Q_OBJECT
public:
    ClientConnection(quint64 id, QTcpSocket* socket, AppServer& server);
    ~ClientConnection() override;

    quint64 id() const { return id_; }
    const QString& peer() const { return peer_; }

    // The call in flight is over; what the worker could not send itself is sent from here.
    void deliver(const CallOutcome& outcome);
    // The server is stopping: finish the call in flight, answer it, then close.
    void drain();
    // Closes at once, without waiting for anything.
    void abortNow();

signals:
    void finished(quint64 id);

private:
    enum class State { Opening, Ready, Closing };

    bool busy() const;
    void pump();
    void handleOpen(const QByteArray& body);
    void refuse(const QString& text);
    void closeAfterError();
    void closeGracefully();
    void onBytesWritten();
    void onIdle();
    void finish();
    void submit(QByteArray body);

    quint64 id_;
    QTcpSocket* socket_;
    std::shared_ptr<ReplyChannel> channel_;
    AppServer& server_;
    QString peer_;
    wire::FrameReader reader_;
    State state_ = State::Opening;
    bool inFlight_ = false;
    bool draining_ = false;
    bool halfCloseWanted_ = false;
    bool finished_ = false;
    QTimer idle_;
    QTimer linger_;
};

}  // namespace server::net
