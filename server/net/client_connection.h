#pragma once
// One client connection, on the thread of the worker that serves it: cuts the byte stream
// into frames, checks the opening, runs each call and writes its answer, all on this thread,
// through its ConnectionIo (plain TCP or TLS). Calls run one at a time in the order they came, so answers keep the
// order of the calls; while a frame waits for its turn, or an answer waits for the client to
// read it, nothing more is read, so a client cannot make the server hold much more than one
// frame of its input and one answer. A client that sends several calls at once lets the
// worker's other connections take their turn between them.
//
// What it holds (input buffer, a frame waiting, an answer unsent) beyond a small allowance is
// drawn from the server's buffer budget; input that would pass it is refused. A frame must
// arrive whole, and an answer be taken, within the frame timeout; a TLS handshake, once its
// first byte has come, must end within the same time.

#include "server/net/buffer_budget.h"
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
    // Deadlines (idle, frame, answer, linger): acts on what has run out; returns when to look
    // again.
    Clock::time_point checkTime(Clock::time_point now);

    // Answers the client with `text`, stops serving and closes once the client has read it
    // (or the linger time is over). `logLine` is what the log says (by default "refused: "
    // and the text), as a refusal of its kind.
    void refuse(Refusal kind, const QString& text, const QString& logLine = {});
    // The server is stopping: answer what is under way, then close (frames not yet started
    // are not run).
    void drain() { closeGracefully(); }
    // Closes at once, without waiting for anything.
    void abortNow();

private:
    enum class State {
        Opening,    // waiting for the opening message
        Ready,      // serving calls
        Flushing,   // closing: what is unsent goes out, then the socket closes
        Refusing,   // an error answer goes out, then the sending side closes
        Lingering,  // sending side closed after an error: input is read and dropped until
                    // the client closes, so that the answer is not destroyed by a reset
    };

    bool serving() const { return state_ == State::Opening || state_ == State::Ready; }
    bool hasUnsent() const { return unsentFrom_ < unsent_.size(); }
    qsizetype held() const;
    bool account();

    void readSome();
    bool takeInput(QByteArrayView bytes);
    void clientClosed();
    void pump();
    void handleOpen(const QByteArray& body);
    // The opening's credentials; false when the check waits for its turn (see AccessControl).
    bool admitOpening(const wire::OpenRequest& open, const QByteArray& body);
    void runCall(QByteArray body);
    // Empty when the frame went out or waits to; otherwise why it will not reach the client.
    QString send(const QByteArray& frame);
    void flush();
    void sent();
    void closeAfterError();
    void closeGracefully();
    void startLinger();
    void noteFrameStart(Clock::time_point now);
    void updateWatch();
    void finish();
    Clock::time_point nextDeadline() const;

    const quint64 id_;
    int fd_;
    Worker& worker_;
    QString peer_;
    QString label_;  // in the log: the peer, and the workstation once known
    ConnectionIo io_;
    BranchScope branches_;                     // what the workstation may act for
    std::optional<Clock::time_point> openAt_;  // an opening held back after failures from its address
    bool openAdmitted_ = false;
    State state_ = State::Opening;
    wire::FrameReader reader_;
    std::optional<QByteArray> next_;  // a frame read and waiting for its turn
    QByteArray unsent_;               // the answer the socket has not taken yet
    qsizetype unsentFrom_ = 0;
    BufferShare share_;
    std::uint32_t watched_;  // the epoll events the worker waits for on this socket

    Clock::time_point lastActivity_;
    std::optional<Clock::time_point> frameSince_;   // first byte of a frame not yet whole
    std::optional<Clock::time_point> unsentSince_;  // an answer waiting for the client
    std::optional<Clock::time_point> lingerUntil_;  // closing: the latest the socket stays
};

}  // namespace server::net
