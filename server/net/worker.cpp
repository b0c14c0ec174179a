#include "server/net/worker.h"

#include "server/net/client_connection.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <future>
#include <memory>

#include <fcntl.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace server::net {

namespace {

constexpr int kEventsPerWait = 64;

// Milliseconds epoll may wait for `when`, rounded up so that the deadline has passed on waking.
int waitMs(Worker::Clock::time_point when)
{
    if (when == Worker::Clock::time_point::max()) return -1;
    const auto left = when - Worker::Clock::now();
    if (left <= Worker::Clock::duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<std::int64_t>(ms, 60'000));
}

}  // namespace

Worker::Worker(int index, const ServeOptions& options, const wire::Limits& limits, BufferBudget& budget, CallLog& log,
               std::atomic<int>& suspect, std::function<void(quint64)> onFinished, ServerSecurity& security)
    : index_(index),
      options_(options),
      limits_(limits),
      budget_(budget),
      log_(log),
      context_(options.database, index, suspect, options.maxFrameBytes),
      onFinished_(std::move(onFinished)),
      security_(security),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (epoll_ < 0 || wake_ < 0)
        throw ServerFailure(QStringLiteral("Não foi possível criar a tarefa de atendimento %1.").arg(index));
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = nullptr;  // the wake-up descriptor
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
}

Worker::~Worker()
{
    stop();
    ::close(wake_);
    ::close(epoll_);
}

void Worker::start()
{
    auto opened = std::make_shared<std::promise<void>>();
    std::future<void> ready = opened->get_future();
    thread_ = std::thread([this, opened] {
        // Named for ps, top and debuggers.
        pthread_setname_np(pthread_self(), QStringLiteral("ate-worker-%1").arg(index_).toLatin1().constData());
        // A database connection belongs to the thread that opened it, so each worker opens its own.
        try {
            context_.open();
        } catch (...) {
            opened->set_exception(std::current_exception());
            return;
        }
        opened->set_value();
        run();
    });
    try {
        ready.get();
    } catch (...) {
        thread_.join();
        throw;
    }
}

void Worker::post(std::function<void(Worker&)> job)
{
    bool first = false;
    {
        const std::lock_guard lock(postMutex_);
        first = posted_.empty();
        posted_.push_back(std::move(job));
    }
    if (first) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    }
}

void Worker::stop()
{
    if (!thread_.joinable()) return;
    stopRequested_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    thread_.join();
}

void Worker::run()
{
    loop();
    // Connections still open (a second stop request, or the server going away) end here,
    // sockets handed over but not yet taken are closed, and the database connection is
    // closed on the thread that opened it.
    abortAll();
    runPosted();
    reap();
    context_.close();
}

void Worker::loop()
{
    epoll_event events[kEventsPerWait];
    while (!stopRequested_.load(std::memory_order_relaxed)) {
        const int n = ::epoll_wait(epoll_, events, kEventsPerWait, turns_.empty() ? waitMs(nextCheck_) : 0);
        if (n < 0 && errno != EINTR) {
            log_.note(QStringLiteral("worker %1: epoll_wait failed (errno %2)").arg(index_).arg(errno));
            return;
        }
        for (int i = 0; i < n; ++i) {
            auto* connection = static_cast<ClientConnection*>(events[i].data.ptr);
            if (!connection)
                runPosted();
            else if (!connection->isFinished())
                connection->onEvents(events[i].events);
        }
        runTurns();
        if (nextCheck_ != Clock::time_point::max() && Clock::now() >= nextCheck_) checkTimes();
        reap();
    }
}

void Worker::runPosted()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wake_, &count, sizeof count);
    std::vector<std::function<void(Worker&)>> jobs;
    {
        const std::lock_guard lock(postMutex_);
        jobs.swap(posted_);
    }
    for (auto& job : jobs) job(*this);
}

void Worker::runTurns()
{
    if (turns_.empty()) return;
    std::vector<quint64> now;
    now.swap(turns_);
    for (const quint64 id : now) {
        const auto it = connections_.find(id);
        if (it != connections_.end()) it->second->takeTurn();
    }
}

void Worker::checkTimes()
{
    const auto now = Clock::now();
    nextCheck_ = Clock::time_point::max();
    for (auto& [id, connection] : connections_) nextCheck_ = std::min(nextCheck_, connection->checkTime(now));
}

void Worker::reap()
{
    for (const quint64 id : finished_) {
        connections_.erase(id);
        onFinished_(id);
    }
    finished_.clear();
}

void Worker::adopt(quint64 id, int descriptor) { take(id, descriptor); }

void Worker::refuse(quint64 id, int descriptor, Refusal kind, const QString& text, const QString& logLine)
{
    if (ClientConnection* connection = take(id, descriptor)) connection->refuse(kind, text, logLine);
}

ClientConnection* Worker::take(quint64 id, int descriptor)
{
    if (draining_) {
        ::close(descriptor);
        onFinished_(id);
        return nullptr;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) < 0) {
        ::close(descriptor);
        onFinished_(id);
        return nullptr;
    }
    auto connection = std::make_unique<ClientConnection>(id, descriptor, *this);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = connection.get();
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, descriptor, &event) != 0) {
        log_.refusal(Refusal::Other, connection->peer(),
                     QStringLiteral("refused: the worker cannot watch the connection"));
        connection.reset();  // closes the descriptor
        onFinished_(id);
        return nullptr;
    }
    return connections_.emplace(id, std::move(connection)).first->second.get();
}

void Worker::watch(ClientConnection& connection, bool readable, bool writable)
{
    epoll_event event{};
    event.events = (readable ? EPOLLIN : 0u) | (writable ? EPOLLOUT : 0u);
    event.data.ptr = &connection;
    ::epoll_ctl(epoll_, EPOLL_CTL_MOD, connection.descriptor(), &event);
}

void Worker::giveTurn(ClientConnection& connection) { turns_.push_back(connection.id()); }

void Worker::checkAt(Clock::time_point when) { nextCheck_ = std::min(nextCheck_, when); }

void Worker::finished(ClientConnection& connection) { finished_.push_back(connection.id()); }

void Worker::drain()
{
    draining_ = true;
    for (auto& [id, connection] : connections_) connection->drain();
}

void Worker::abortAll()
{
    draining_ = true;
    for (auto& [id, connection] : connections_) connection->abortNow();
}

}  // namespace server::net
