#include "server/net/app_server.h"

#include "server/net/call_dispatch.h"
#include "server/net/listener.h"
#include "server/net/server_security.h"
#include "server/net/worker.h"
#include "server/workstations.h"

#include <QTimer>

#include <algorithm>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server::net {

namespace {
constexpr int kListenBacklog = 1024;
// Refused connections still being answered at once; past this a refused one is closed
// without an answer, so that a flood of them holds no more than this many descriptors.
constexpr int kMaxRefusing = 64;
// Descriptors the process needs besides its connections (database files, epoll, log).
constexpr int kReservedDescriptors = 64;

// The soft limit on open descriptors raised to the hard one: connections are limited by
// --max-connections, not by a default meant for interactive shells. Returns the limit.
rlim_t raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur;
}
}  // namespace

AppServer::AppServer(ServeOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      limits_{options_.maxFrameBytes, wire::Limits{}.maxDepth},
      log_(options_.log, options_.refusalLogLines, options_.refusalLogInterval),
      budget_(options_.maxBufferedBytes),
      security_(std::make_unique<ServerSecurity>(options_.address.isLoopback() || options_.trustedNetwork)),
      listener_(new Listener(
          log_, [this](int descriptor, const QByteArray& address) { onIncoming(descriptor, address); }, this)),
      openings_(options_.connectionRate, options_.connectionBurst),
      rateRefusal_(protocolErrorFrame(
          QStringLiteral("Este computador abriu conexões demais em pouco tempo (mais de %1 por segundo). Aguarde "
                         "alguns segundos e tente novamente.")
              .arg(QString::number(options_.connectionRate, 'g', 10)))),
      rateLogLine_(QStringLiteral("refused: connections opened faster than %1 a second from one address (after "
                                  "%2 at once)")
                       .arg(QString::number(options_.connectionRate, 'g', 10))
                       .arg(options_.connectionBurst)),
      refusalSummaries_(new QTimer(this))
{
    // The counted refusal lines are told when their interval ends, even if nothing else is
    // logged by then.
    refusalSummaries_->setInterval(std::clamp<std::chrono::milliseconds>(
        options_.refusalLogInterval / 4, std::chrono::milliseconds(100), std::chrono::seconds(1)));
    connect(refusalSummaries_, &QTimer::timeout, this, [this] { log_.flushRefusals(); });
}

AppServer::~AppServer()
{
    listener_->close();
    // Each worker finishes the call it is running and closes its connections; what they
    // report meanwhile is dropped with this object's pending events.
    stopWorkers();
    log_.flushRefusals(true);
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
        throw ServerFailure(
            QStringLiteral("Recusado escutar em %1 sem estações de trabalho cadastradas: qualquer computador "
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
            auto finished = [this](quint64 id) {
                QMetaObject::invokeMethod(
                    this, [this, id] { onConnectionFinished(id); }, Qt::QueuedConnection);
            };
            workers_.push_back(
                std::make_unique<Worker>(i, options_, limits_, budget_, log_, suspect_, finished, *security_));
            workers_.back()->start();
        }
    } catch (...) {
        stopWorkers();
        throw;
    }
    if (!listener_->listen(options_.address, options_.port, kListenBacklog)) {
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
    refusalSummaries_->start();
    const rlim_t descriptors = raiseDescriptorLimit();
    log_.note(QStringLiteral("limits: %1 connections (%2 per address, opened %7 at once then %8 a second), %3 bytes "
                             "held for messages, frames of %4 bytes within %5 ms, descriptor limit %6; at most %9 "
                             "refusal lines of a kind every %10 ms")
                  .arg(options_.maxConnections)
                  .arg(options_.maxConnectionsPerAddress)
                  .arg(options_.maxBufferedBytes)
                  .arg(options_.maxFrameBytes)
                  .arg(options_.frameTimeout.count())
                  .arg(static_cast<qulonglong>(descriptors))
                  .arg(options_.connectionBurst)
                  .arg(QString::number(options_.connectionRate, 'g', 10))
                  .arg(options_.refusalLogLines)
                  .arg(options_.refusalLogInterval.count()));
    if (descriptors > 0
        && descriptors < static_cast<rlim_t>(options_.maxConnections + kMaxRefusing + kReservedDescriptors))
        log_.note(QStringLiteral("the descriptor limit (%1) is below what %2 connections need: new connections will "
                                 "wait when it is reached")
                      .arg(static_cast<qulonglong>(descriptors))
                      .arg(options_.maxConnections));
}

QHostAddress AppServer::address() const { return listener_->serverAddress(); }

quint16 AppServer::port() const { return listener_->serverPort(); }

std::optional<AppServer::OverLimit> AppServer::overLimit(const QByteArray& address) const
{
    if (served_ >= options_.maxConnections)
        return OverLimit{
            QStringLiteral("O servidor atingiu o limite de %1 conexões simultâneas. Tente novamente em instantes.")
                .arg(options_.maxConnections),
            QStringLiteral("refused: the server's limit of %1 connections is reached").arg(options_.maxConnections),
            Refusal::ServerFull};
    if (perAddress_.value(address) >= options_.maxConnectionsPerAddress)
        return OverLimit{QStringLiteral("Este computador atingiu o limite de %1 conexões simultâneas com o servidor. "
                                        "Feche conexões sem uso e tente novamente.")
                             .arg(options_.maxConnectionsPerAddress),
                         QStringLiteral("refused: the limit of %1 connections from one address is reached")
                             .arg(options_.maxConnectionsPerAddress),
                         Refusal::AddressFull};
    return std::nullopt;
}

// No worker, handshake or database for it: the refusal is written once (a fresh socket's
// buffer takes it whole) and the socket closed. What the client already sent is read first,
// so that the close does not reset the connection and drop the answer. With TLS the text
// cannot go out before the handshake this is meant to spare, so the connection is closed
// without it.
void AppServer::refuseOpening(int descriptor)
{
    if (!options_.tls) {
        (void)::send(descriptor, rateRefusal_.constData(), static_cast<size_t>(rateRefusal_.size()),
                     MSG_DONTWAIT | MSG_NOSIGNAL);
        char discarded[1024];
        (void)::recv(descriptor, discarded, sizeof discarded, MSG_DONTWAIT);
    }
    log_.refusal(
        Refusal::OpeningRate, [descriptor] { return peerText(descriptor); }, rateLogLine_);
    ::close(descriptor);
}

void AppServer::onIncoming(int descriptor, const QByteArray& address)
{
    if (stopping_ || workers_.empty()) {
        ::close(descriptor);
        return;
    }
    if (!openings_.take(address, OpeningRate::Clock::now())) {
        refuseOpening(descriptor);
        return;
    }
    std::optional<OverLimit> over = overLimit(address);
    const bool served = !over;
    if (!served && refusing_ >= kMaxRefusing) {
        ::close(descriptor);  // no answer: too many are being refused already
        return;
    }
    // The worker serving the fewest connections; the first of them on a tie.
    const auto least = std::min_element(load_.begin(), load_.end());
    const int index = static_cast<int>(least - load_.begin());
    ++*least;
    ++open_;
    const quint64 id = nextConnectionId_++;
    entries_.insert(id, Entry{index, address, served});
    Worker& worker = *workers_[static_cast<std::size_t>(index)];
    if (served) {
        ++served_;
        ++perAddress_[address];
        worker.post([id, descriptor](Worker& w) { w.adopt(id, descriptor); });
    } else {
        ++refusing_;
        worker.post([id, descriptor, over = std::move(*over)](Worker& w) {
            w.refuse(id, descriptor, over.kind, over.text, over.logLine);
        });
    }
}

void AppServer::onConnectionFinished(quint64 id)
{
    const auto it = entries_.constFind(id);
    if (it == entries_.cend()) return;  // after a stop that did not wait for them
    --load_[static_cast<std::size_t>(it->worker)];
    if (it->served) {
        --served_;
        if (--perAddress_[it->address] <= 0) perAddress_.remove(it->address);
    } else {
        --refusing_;
    }
    entries_.erase(it);
    if (open_ > 0) --open_;
    checkStopped();
}

void AppServer::shutdown()
{
    if (stopping_) {
        log_.note(QStringLiteral("stopping now: %1 connections closed").arg(open_));
        for (auto& worker : workers_) worker->post([](Worker& w) { w.abortAll(); });
        // Not waiting for the workers: a call under way ends when its worker stops.
        open_ = 0;
        entries_.clear();
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
    log_.flushRefusals(true);  // no connection is left to be refused
    // Queued: whoever asked for the stop finishes its own work first.
    QMetaObject::invokeMethod(this, &AppServer::stopped, Qt::QueuedConnection);
}

}  // namespace server::net
