#include "server/net/app_server.h"

#include "server/net/listener.h"
#include "server/net/server_security.h"
#include "server/net/worker.h"
#include "server/workstations.h"

#include <algorithm>

#include <unistd.h>

namespace server::net {

namespace {
constexpr int kListenBacklog = 1024;
}

AppServer::AppServer(ServeOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      limits_{options_.maxFrameBytes, wire::Limits{}.maxDepth},
      log_(options_.log),
      security_(std::make_unique<ServerSecurity>(options_.address.isLoopback() || options_.trustedNetwork)),
      listener_(new Listener([this](qintptr descriptor) { onIncoming(descriptor); }, this))
{
}

AppServer::~AppServer()
{
    listener_->close();
    // Each worker finishes the call it is running and closes its connections; what they
    // report meanwhile is dropped with this object's pending events.
    stopWorkers();
}

void AppServer::stopWorkers()
{
    for (auto& worker : workers_) worker->stop();
    workers_.clear();
}

// Beyond loopback, a server without workstations would let anyone on the network number,
// cancel and change deliveries; it does not start unless the administrator vouches for the
// network.
void AppServer::prepareSecurity()
{
    if (options_.tls) security_->tls = std::make_unique<TlsContext>(*options_.tls);
    if (security_->access.anonymousAllowed()) return;
    bool defined = false;
    {
        const auto db = Database::open(options_.database, QStringLiteral("ate02700-access-check"));
        defined = Workstations(*db).anyDefined();
    }
    if (!defined)
        throw ServerFailure(QStringLiteral(
                                "Recusado escutar em %1 sem estações de trabalho cadastradas: qualquer computador "
                                "da rede poderia numerar, cancelar e alterar deliveries. Cadastre as estações "
                                "(ate02700-server client add NOME --branches FILIAIS --db URL) ou, numa rede em que "
                                "todos os computadores são confiáveis, use --trusted-network.")
                                .arg(options_.address.toString()));
}

void AppServer::start()
{
    prepareSecurity();
    const int count = std::max(1, options_.threads);
    load_.assign(static_cast<std::size_t>(count), 0);
    try {
        for (int i = 0; i < count; ++i) {
            // Told on the worker's thread; counted on this one.
            auto finished = [this, i](quint64) {
                QMetaObject::invokeMethod(this, [this, i] { onConnectionFinished(i); }, Qt::QueuedConnection);
            };
            workers_.push_back(std::make_unique<Worker>(i, options_, limits_, log_, suspect_, finished, *security_));
            workers_.back()->start();
        }
    } catch (...) {
        stopWorkers();
        throw;
    }
    listener_->setListenBacklogSize(kListenBacklog);
    if (!listener_->listen(options_.address, options_.port)) {
        const QString reason = listener_->errorString();
        stopWorkers();
        throw ServerFailure(QStringLiteral("Não foi possível escutar em %1:%2: %3")
                                .arg(options_.address.toString())
                                .arg(options_.port)
                                .arg(reason));
    }
    log_.note(QStringLiteral("serving %1 on %2:%3, database %4, %5 workers, %6, %7")
                  .arg(QString::fromUtf16(kServerObjectName), address().toString())
                  .arg(port())
                  .arg(options_.database.display())
                  .arg(count)
                  .arg(options_.tls ? QStringLiteral("TLS") : QStringLiteral("plain TCP"),
                       security_->access.anonymousAllowed()
                           ? QStringLiteral("openings without credentials while no workstation is defined")
                           : QStringLiteral("workstation credentials required")));
}

QHostAddress AppServer::address() const { return listener_->serverAddress(); }

quint16 AppServer::port() const { return listener_->serverPort(); }

void AppServer::onIncoming(qintptr descriptor)
{
    if (stopping_ || workers_.empty()) {
        ::close(static_cast<int>(descriptor));
        return;
    }
    // The worker serving the fewest connections; the first of them on a tie.
    const auto least = std::min_element(load_.begin(), load_.end());
    const int index = static_cast<int>(least - load_.begin());
    ++*least;
    ++open_;
    const quint64 id = nextConnectionId_++;
    workers_[static_cast<std::size_t>(index)]->post(
        [id, descriptor](Worker& w) { w.adopt(id, static_cast<int>(descriptor)); });
}

void AppServer::onConnectionFinished(int worker)
{
    --load_[static_cast<std::size_t>(worker)];
    if (open_ > 0) --open_;  // none are counted after a stop that did not wait for them
    checkStopped();
}

void AppServer::shutdown()
{
    if (stopping_) {
        log_.note(QStringLiteral("stopping now: %1 connections closed").arg(open_));
        for (auto& worker : workers_) worker->post([](Worker& w) { w.abortAll(); });
        // Not waiting for the workers: a call under way ends when its worker stops.
        open_ = 0;
        checkStopped();
        return;
    }
    stopping_ = true;
    listener_->close();
    log_.note(QStringLiteral("stopping: %1 connections to finish").arg(open_));
    for (auto& worker : workers_) worker->post([](Worker& w) { w.drain(); });
    checkStopped();
}

void AppServer::checkStopped()
{
    if (!stopping_ || stoppedSignalled_ || open_ > 0) return;
    stoppedSignalled_ = true;
    // Queued: whoever asked for the stop finishes its own work first.
    QMetaObject::invokeMethod(this, &AppServer::stopped, Qt::QueuedConnection);
}

}  // namespace server::net
