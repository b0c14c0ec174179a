#pragma once
// The application server: listens for clients, keeps their connections on this (the
// protocol) thread and runs their calls on a pool of workers, each with its own database
// connection. Stops on request after finishing the calls under way.
//
//   server::net::AppServer server(options);
//   server.start();                       // throws ServerFailure when it cannot serve
//   QObject::connect(&server, &AppServer::stopped, &app, &QCoreApplication::quit);
//   ... later: server.shutdown();

#include "server/net/call_log.h"
#include "server/net/serve_options.h"

#include "framework/wire/codec.h"

#include <QObject>

#include <memory>
#include <unordered_map>

class QTcpServer;

namespace server::net {

class ClientConnection;
class ReplyChannel;
class WorkerPool;
struct CallOutcome;

class AppServer : public QObject {
    Q_OBJECT
public:
    explicit AppServer(ServeOptions options, QObject* parent = nullptr);
    ~AppServer() override;

    // Opens the workers' database connections and starts listening.
    void start();
    QHostAddress address() const;
    quint16 port() const;  // the port actually taken (useful with port 0)

    // Stops listening, lets every call under way finish and be answered, closes the
    // connections and then emits stopped(). A second request closes everything at once.
    void shutdown();
    bool stopping() const { return stopping_; }
    int connectionCount() const { return static_cast<int>(connections_.size()); }

    // Used by the connections. With a channel, the worker sends the answer itself when the
    // call did not break the protocol.
    void submit(ClientConnection& connection, QByteArray body, std::shared_ptr<ReplyChannel> channel);
    const ServeOptions& options() const { return options_; }
    const wire::Limits& limits() const { return limits_; }
    CallLog& log() { return log_; }

signals:
    void stopped();

private:
    void onNewConnection();
    void onCallDone(quint64 connectionId, const QString& peer, const CallOutcome& outcome);
    void onConnectionFinished(quint64 connectionId);
    void checkStopped();

    ServeOptions options_;
    wire::Limits limits_;
    CallLog log_;
    std::unique_ptr<WorkerPool> pool_;
    QTcpServer* listener_;
    std::unordered_map<quint64, ClientConnection*> connections_;
    quint64 nextConnectionId_ = 1;
    bool stopping_ = false;
    bool stoppedSignalled_ = false;
};

}  // namespace server::net
