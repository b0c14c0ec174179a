#pragma once
// The application server: listens for clients (on the thread that owns it, in its Qt event
// loop) and gives each connection, for its whole life, to one of a fixed set of workers
// (server/net/worker.h), each a thread with its own loop and its own database connection; a
// new connection goes to the worker serving the fewest. Connections over the server's limits
// (in all, or from one client address) are answered with an error and closed. Stops on
// request after finishing the calls under way.
//
//   server::net::AppServer server(options);
//   server.start();                       // throws ServerFailure when it cannot serve
//   QObject::connect(&server, &AppServer::stopped, &app, &QCoreApplication::quit);
//   ... later: server.shutdown();

#include "server/net/buffer_budget.h"
#include "server/net/call_log.h"
#include "server/net/opening_rate.h"
#include "server/net/serve_options.h"

#include "framework/wire/codec.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace server::net {

class Listener;
class Worker;
struct ServerSecurity;

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
    // connections and then emits stopped(). A second request closes everything at once
    // (a call under way still ends before its worker stops).
    void shutdown();
    bool stopping() const { return stopping_; }
    int connectionCount() const { return open_; }

    const ServeOptions& options() const { return options_; }
    const wire::Limits& limits() const { return limits_; }
    CallLog& log() { return log_; }
    const BufferBudget& budget() const { return budget_; }

signals:
    void stopped();

private:
    void onIncoming(int descriptor, const QByteArray& address);
    void onConnectionFinished(quint64 id);
    // Why a new connection from `address` cannot be served (Portuguese text for the client,
    // English for the log); nothing when it can.
    struct OverLimit {
        QString text;
        QString logLine;
        Refusal kind;
    };
    std::optional<OverLimit> overLimit(const QByteArray& address) const;
    // A connection opened too soon after its address's others: refused on this thread.
    void refuseOpening(int descriptor);
    void checkStopped();
    void stopWorkers();
    void prepareSecurity();

    ServeOptions options_;
    wire::Limits limits_;
    CallLog log_;
    BufferBudget budget_;
    std::unique_ptr<ServerSecurity> security_;
    std::atomic<int> suspect_{0};
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<int> load_;  // open connections per worker
    Listener* listener_;
    OpeningRate openings_;
    QByteArray rateRefusal_;  // the frame that answers a connection opened too soon
    QString rateLogLine_;
    QTimer* refusalSummaries_;
    quint64 nextConnectionId_ = 1;
    // Every connection handed to a worker: its worker, its client's address and whether it
    // is served (counted against the limits) or only being refused.
    struct Entry {
        int worker = 0;
        QByteArray address;
        bool served = false;
    };
    QHash<quint64, Entry> entries_;
    QHash<QByteArray, int> perAddress_;  // served connections per client address
    int served_ = 0;
    int refusing_ = 0;
    int open_ = 0;  // served and being refused
    bool stopping_ = false;
    bool stoppedSignalled_ = false;
};

}  // namespace server::net
