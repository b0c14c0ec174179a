#include "server/net/app_server.h"

#include "server/net/call_dispatch.h"
#include "server/net/client_connection.h"
#include "server/net/reply_channel.h"
#include "server/net/worker_pool.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <vector>

namespace server::net {

namespace {
constexpr int kListenBacklog = 1024;
}

AppServer::AppServer(ServeOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      limits_{options_.maxFrameBytes, wire::Limits{}.maxDepth},
      log_(options_.log),
      listener_(new QTcpServer(this))
{
    connect(listener_, &QTcpServer::newConnection, this, &AppServer::onNewConnection);
}

AppServer::~AppServer()
{
    // Workers finish what they hold before anything they might answer to goes away; answers
    // they post meanwhile are dropped with this object's pending events.
    pool_.reset();
}

void AppServer::start()
{
    pool_ = std::make_unique<WorkerPool>(options_.database, options_.threads);
    listener_->setListenBacklogSize(kListenBacklog);
    if (!listener_->listen(options_.address, options_.port)) {
        const QString reason = listener_->errorString();
        pool_.reset();
        throw ServerFailure(QStringLiteral("Não foi possível escutar em %1:%2: %3")
                                .arg(options_.address.toString())
                                .arg(options_.port)
                                .arg(reason));
    }
    log_.note(QStringLiteral("serving %1 on %2:%3, database %4, %5 workers")
                  .arg(QString::fromUtf16(kServerObjectName), address().toString())
                  .arg(port())
                  .arg(options_.database.display())
                  .arg(pool_->size()));
}

QHostAddress AppServer::address() const { return listener_->serverAddress(); }

quint16 AppServer::port() const { return listener_->serverPort(); }

void AppServer::onNewConnection()
{
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (stopping_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const quint64 id = nextConnectionId_++;
        auto* connection = new ClientConnection(id, socket, *this);
        connection->setParent(this);
        connect(connection, &ClientConnection::finished, this, &AppServer::onConnectionFinished);
        connections_.emplace(id, connection);
    }
}

void AppServer::submit(ClientConnection& connection, QByteArray body, std::shared_ptr<ReplyChannel> channel)
{
    const quint64 id = connection.id();
    const QString peer = connection.peer();
    const wire::Limits limits = limits_;
    pool_->post([this, id, peer, body = std::move(body), limits, channel = std::move(channel)](WorkerContext& worker) {
        CallOutcome outcome = dispatchCall(body, worker, limits);
        if (channel && !outcome.closeConnection) outcome.replyFrame = channel->trySend(outcome.replyFrame);
        QMetaObject::invokeMethod(
            this, [this, id, peer, outcome] { onCallDone(id, peer, outcome); }, Qt::QueuedConnection);
    });
}

void AppServer::onCallDone(quint64 connectionId, const QString& peer, const CallOutcome& outcome)
{
    const auto it = connections_.find(connectionId);
    if (it == connections_.end()) {
        log_.call(peer, outcome.method, outcome.milliseconds,
                  outcome.error.isEmpty() ? QStringLiteral("(not answered: the client had gone)")
                                          : outcome.error + QStringLiteral(" (not answered: the client had gone)"));
        return;
    }
    log_.call(peer, outcome.method, outcome.milliseconds, outcome.error);
    it->second->deliver(outcome);
}

void AppServer::onConnectionFinished(quint64 connectionId)
{
    const auto it = connections_.find(connectionId);
    if (it == connections_.end()) return;
    it->second->deleteLater();
    connections_.erase(it);
    checkStopped();
}

void AppServer::shutdown()
{
    std::vector<QPointer<ClientConnection>> open;
    open.reserve(connections_.size());
    for (const auto& entry : connections_) open.emplace_back(entry.second);

    if (stopping_) {
        log_.note(QStringLiteral("stopping now: %1 connections closed").arg(open.size()));
        for (const auto& c : open)
            if (c) c->abortNow();
        checkStopped();
        return;
    }
    stopping_ = true;
    listener_->close();
    log_.note(QStringLiteral("stopping: %1 connections to finish").arg(open.size()));
    for (const auto& c : open)
        if (c) c->drain();
    checkStopped();
}

void AppServer::checkStopped()
{
    if (!stopping_ || stoppedSignalled_ || !connections_.empty()) return;
    stoppedSignalled_ = true;
    // Queued: whoever asked for the stop finishes its own work first.
    QMetaObject::invokeMethod(this, &AppServer::stopped, Qt::QueuedConnection);
}

}  // namespace server::net
