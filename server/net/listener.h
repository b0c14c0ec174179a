#pragma once
// The listening socket, in the Qt event loop of the thread that owns it. Accepted
// connections are handed on as bare descriptors with the client's address, so that the
// worker serving a connection makes everything it needs on its own thread.
//
// When the process has no descriptor left for a new connection, accepting pauses and is
// retried after a growing delay (logged once per such spell): connections wait in the
// backlog meanwhile and those already open are served as before.

#include "server/net/call_log.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <functional>

class QSocketNotifier;
class QTimer;

namespace server::net {

class Listener : public QObject {
    Q_OBJECT
public:
    // `onIncoming(descriptor, address)`: the address in its raw bytes (4 for IPv4, 16 for
    // IPv6), for counting connections per client address.
    using Incoming = std::function<void(int, const QByteArray&)>;

    Listener(CallLog& log, Incoming onIncoming, QObject* parent = nullptr);
    ~Listener() override;

    // False when it cannot listen; errorString() says why.
    bool listen(const QHostAddress& address, quint16 port, int backlog);
    void close();
    QString errorString() const { return error_; }
    QHostAddress serverAddress() const { return address_; }
    quint16 serverPort() const { return port_; }

private:
    void acceptSome();
    void outOfDescriptors(int error);

    CallLog& log_;
    Incoming onIncoming_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* retry_;
    int backoffMs_ = 0;  // 0 while accepting normally
    QString error_;
    QHostAddress address_;
    quint16 port_ = 0;
};

// "ADDRESS:PORT" of the client of a connected socket; "?" when the system cannot tell.
QString peerText(int descriptor);

}  // namespace server::net
