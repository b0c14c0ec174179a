#pragma once
// The listening socket. Accepted connections are handed on as bare descriptors, so that the
// worker serving a connection makes its socket object on its own thread.

#include <QTcpServer>

#include <functional>

namespace server::net {

class Listener : public QTcpServer {
    Q_OBJECT
public:
    explicit Listener(std::function<void(qintptr)> onIncoming, QObject* parent = nullptr)
        : QTcpServer(parent), onIncoming_(std::move(onIncoming))
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override { onIncoming_(descriptor); }

private:
    std::function<void(qintptr)> onIncoming_;
};

}  // namespace server::net
