#include "server/net/worker_context.h"

#include <QSqlQuery>

namespace server::net {

WorkerContext::WorkerContext(DatabaseUrl url, int workerIndex, std::atomic<int>& suspect, qsizetype answerLimit)
    : url_(std::move(url)), index_(workerIndex), suspect_(suspect), answerLimit_(answerLimit), checked_(suspect.load())
{}

WorkerContext::~WorkerContext() { close(); }

void WorkerContext::open()
{
    if (db_) return;
    // A fresh name per opening, unique in the process (several servers may share one): Qt
    // keeps a connection name registered until it is removed.
    static std::atomic<int> openings{0};
    generation_ = ++openings;
    const QString name = QStringLiteral("ate02700-worker-%1-%2").arg(index_).arg(generation_);
    db_ = Database::open(url_, name);
    db_->setAnswerLimit(answerLimit_);
    methods_ = std::make_unique<Methods>(*db_);
}

void WorkerContext::close()
{
    methods_.reset();
    db_.reset();
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

void WorkerContext::beforeCall()
{
    const int suspect = suspect_.load(std::memory_order_relaxed);
    if (suspect == checked_) return;
    checked_ = suspect;
    if (db_ && !alive()) close();
}

void WorkerContext::afterCall()
{
    if (!discard_) return;
    discard_ = false;
    close();
}

}  // namespace server::net
