#pragma once
// One client connection, on the thread of the worker that serves it: cuts the byte stream
// into frames, checks the opening, runs each call and writes its answer, all on this thread,
// straight on the socket. Calls run one at a time in the order they came, so answers keep the
// order of the calls; while a frame waits for its turn nothing more is read, so a client
// cannot make the server hold much more than one frame of its input. A client that sends
// several calls at once lets the worker's other connections take their turn between them.

#include "server/net/connection_io.h"
#include "server/net/worker.h"
#include "server/workstations.h"

#include "framework/wire/codec.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace server::net {

class ClientConnection {
public:
    using Clock = Worker::Clock;

    // Takes the (non-blocking) descriptor over; it is closed when the connection ends.
    ClientConnection(quint64 id, int descriptor, Worker& worker);
    ~ClientConnection();
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;

    quint64 id() const { return id_; }
    int descriptor() const { return fd_; }
    const QString& peer() const { return peer_; }
    bool isFinished() const { return fd_ < 0; }

    // What the socket is ready for (epoll events).
    void onEvents(std::uint32_t events);
    // Runs the frame that waits for its turn, if any.
    void takeTurn();
    // Idle time and linger: acts on what has run out; returns when to look again.
    Clock::time_point checkTime(Clock::time_point now);

    // The server is stopping: answer what is under way, then close (frames not yet started
    // are not run).
    void drain() { closeGracefully(); }
    // Closes at once, without waiting for anything.
    void abortNow();

private:
    enum class State { Opening, Ready, Closing };

    void readSome();
    void pump();
    void handleOpen(const QByteArray& body);
    // The opening's credentials; false when the check waits for its turn (see AccessControl).
    bool admitOpening(const wire::OpenRequest& open, const QByteArray& body);
    void runCall(const QByteArray& body);
    void refuse(const QString& text);
    void send(const QByteArray& frame);
    void flush();
    void closeAfterError();
    void closeGracefully();
    void updateWatch();
    void finish();

    const quint64 id_;
    int fd_;
    Worker& worker_;
    QString peer_;
    QString label_;  // in the log: the peer, and the workstation once known
    ConnectionIo io_;
    BranchScope branches_;  // what the workstation may act for
    std::optional<Clock::time_point> openAt_;  // an opening held back after failures from its address
    bool openAdmitted_ = false;
    wire::FrameReader reader_;
    std::optional<QByteArray> next_;  // a frame read and waiting for its turn
    QByteArray unsent_;               // answers the socket has not taken yet
    qsizetype unsentFrom_ = 0;
    State state_ = State::Opening;
    bool halfCloseWanted_ = false;  // after a protocol error: stop sending once flushed
    bool halfClosed_ = false;
    bool closeWhenFlushed_ = false;
    bool discardInput_ = false;
    bool peerClosed_ = false;
    bool watchRead_ = true, watchWrite_ = false;  // what the worker's epoll set waits for
    Clock::time_point lastActivity_;
    std::optional<Clock::time_point> lingerUntil_;
};

}  // namespace server::net
