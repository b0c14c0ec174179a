#include "server/net/worker.h"

#include "server/net/client_connection.h"

#include <QPointer>
#include <QTcpSocket>

#include <vector>

#include <pthread.h>
#include <unistd.h>

namespace server::net {

Worker::Worker(int index, const ServeOptions& options, const wire::Limits& limits, CallLog& log,
               std::atomic<int>& suspect, std::function<void(quint64)> onFinished)
    : options_(options),
      limits_(limits),
      log_(log),
      context_(options.database, index, suspect),
      onFinished_(std::move(onFinished))
{
}

Worker::~Worker()
{
    // The connections (children) go before the database connection they call on.
    const QObjectList connections = children();
    qDeleteAll(connections);
}

void Worker::adopt(quint64 id, qintptr descriptor)
{
    if (draining_) {
        ::close(static_cast<int>(descriptor));
        onFinished_(id);
        return;
    }
    auto* socket = new QTcpSocket();
    if (!socket->setSocketDescriptor(descriptor)) {
        log_.event(QStringLiteral("-"), QStringLiteral("refused: ") + socket->errorString());
        delete socket;
        ::close(static_cast<int>(descriptor));
        onFinished_(id);
        return;
    }
    auto* connection = new ClientConnection(id, socket, *this);
    connection->setParent(this);
    connect(connection, &ClientConnection::finished, this, &Worker::onConnectionFinished);
    connections_.emplace(id, connection);
}

void Worker::onConnectionFinished(quint64 id)
{
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    it->second->deleteLater();
    connections_.erase(it);
    onFinished_(id);
}

void Worker::drain()
{
    draining_ = true;
    std::vector<QPointer<ClientConnection>> open;
    for (const auto& entry : connections_) open.emplace_back(entry.second);
    for (const auto& c : open)
        if (c) c->drain();
}

void Worker::abortAll()
{
    draining_ = true;
    std::vector<QPointer<ClientConnection>> open;
    for (const auto& entry : connections_) open.emplace_back(entry.second);
    for (const auto& c : open)
        if (c) c->abortNow();
}

WorkerThread::WorkerThread(int index, const ServeOptions& options, const wire::Limits& limits, CallLog& log,
                           std::atomic<int>& suspect, std::function<void(quint64)> onFinished)
    : index_(index),
      options_(options),
      limits_(limits),
      log_(log),
      suspect_(suspect),
      onFinished_(std::move(onFinished))
{
}

WorkerThread::~WorkerThread() { stop(); }

void WorkerThread::startAndWait()
{
    std::future<void> opened = ready_.get_future();
    start();
    try {
        opened.get();
    } catch (...) {
        wait();
        throw;
    }
}

void WorkerThread::post(std::function<void(Worker&)> job)
{
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, job = std::move(job)] { job(*worker); }, Qt::QueuedConnection);
}

void WorkerThread::stop()
{
    if (!isRunning()) return;
    quit();
    wait();
}

void WorkerThread::run()
{
    // Named for ps, top and debuggers.
    pthread_setname_np(pthread_self(), QStringLiteral("ate-worker-%1").arg(index_).toLatin1().constData());
    // A database connection belongs to the thread that opened it, so each worker opens its own.
    Worker worker(index_, options_, limits_, log_, suspect_, onFinished_);
    try {
        worker.context().open();
    } catch (...) {
        ready_.set_exception(std::current_exception());
        return;
    }
    worker_ = &worker;
    ready_.set_value();
    exec();
    // Connections still open (a second stop request, or the server going away) end here.
    worker.abortAll();
    worker_ = nullptr;
}

}  // namespace server::net
