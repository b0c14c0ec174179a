#include "server/net/worker_pool.h"

#include <QSqlQuery>

#include <exception>
#include <future>

#include <pthread.h>

namespace server::net {

WorkerContext::WorkerContext(DatabaseUrl url, int workerIndex, std::atomic<int>& suspect)
    : url_(std::move(url)), index_(workerIndex), suspect_(suspect), checked_(suspect.load())
{
}

WorkerContext::~WorkerContext()
{
    methods_.reset();
    db_.reset();
}

void WorkerContext::open()
{
    if (db_) return;
    // A fresh name per opening: Qt keeps a connection name registered until it is removed.
    const QString name = QStringLiteral("ate02700-worker-%1-%2").arg(index_).arg(++generation_);
    db_ = Database::open(url_, name);
    methods_ = std::make_unique<Methods>(*db_);
}

Methods& WorkerContext::methods()
{
    open();
    return *methods_;
}

bool WorkerContext::alive()
{
    QSqlQuery probe(db_->sql());
    return probe.exec(QStringLiteral("SELECT 1"));
}

void WorkerContext::checkConnection()
{
    if (!db_ || alive()) return;
    discard_ = true;
    checked_ = suspect_.fetch_add(1) + 1;
}

void WorkerContext::beforeJob()
{
    const int suspect = suspect_.load();
    if (suspect == checked_) return;
    checked_ = suspect;
    if (db_ && !alive()) {
        methods_.reset();
        db_.reset();
    }
}

void WorkerContext::afterJob()
{
    if (!discard_) return;
    discard_ = false;
    methods_.reset();
    db_.reset();
}

WorkerPool::WorkerPool(const DatabaseUrl& url, int threads)
{
    std::vector<std::future<void>> opened;
    opened.reserve(static_cast<size_t>(threads));
    for (int i = 0; i < threads; ++i) {
        std::promise<void> ready;
        opened.push_back(ready.get_future());
        threads_.emplace_back([this, url, i, ready = std::move(ready)]() mutable {
            // Named for ps, top and debuggers.
            pthread_setname_np(pthread_self(), QStringLiteral("ate-worker-%1").arg(i).toLatin1().constData());
            // A connection belongs to the thread that opened it, so each worker opens its own.
            WorkerContext context(url, i, suspect_);
            try {
                context.open();
                ready.set_value();
            } catch (...) {
                ready.set_exception(std::current_exception());
            }
            run(context);
        });
    }
    try {
        for (auto& f : opened) f.get();
    } catch (...) {
        stop();
        throw;
    }
}

WorkerPool::~WorkerPool() { stop(); }

void WorkerPool::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (Idle* idle : idle_) idle->wake.notify_one();
        idle_.clear();
    }
    for (auto& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

void WorkerPool::post(Job job)
{
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(job));
    if (!idle_.empty()) {
        Idle* idle = idle_.back();
        idle_.pop_back();
        idle->woken = true;
        idle->wake.notify_one();
    }
}

void WorkerPool::run(WorkerContext& context)
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            while (queue_.empty() && !stopping_) {
                Idle me;
                idle_.push_back(&me);
                me.wake.wait(lock, [&] { return me.woken || stopping_; });
                if (!me.woken) std::erase(idle_, &me);
            }
            if (queue_.empty()) return;  // stopping, and nothing left to run
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        // Jobs handle their own failures; this only keeps a stray one from ending the thread.
        try {
            context.beforeJob();
            job(context);
        } catch (...) {
            context.discardConnection();
        }
        context.afterJob();
    }
}

}  // namespace server::net
