#pragma once
// The threads that run the calls. Each worker owns one database connection and one
// server::Methods on it; jobs are taken from one queue in arrival order, by the worker that
// has been idle the shortest time. A connection a job
// declared suspect (after an unexpected failure) is closed and opened afresh before the next
// job, which also rolls back anything such a failure left open.

#include "server/database.h"
#include "server/methods.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace server::net {

// What a job sees of the worker running it.
class WorkerContext {
public:
    // `suspect` is shared by the workers of a pool: when one finds its connection dead it
    // raises the count, and every other worker checks its own before its next job.
    WorkerContext(DatabaseUrl url, int workerIndex, std::atomic<int>& suspect);
    ~WorkerContext();
    WorkerContext(const WorkerContext&) = delete;
    WorkerContext& operator=(const WorkerContext&) = delete;

    // This worker's methods on its own connection, opened on first use. Throws when the
    // database cannot be opened.
    Methods& methods();
    // Closes the connection after this job; the next job opens a fresh one.
    void discardConnection() { discard_ = true; }
    // After a database failure: is the connection still alive? A dead one (the database
    // restarted, the network dropped) is discarded, and the other workers check theirs.
    void checkConnection();

    void open();
    void beforeJob();
    void afterJob();

private:
    bool alive();

    DatabaseUrl url_;
    int index_;
    std::atomic<int>& suspect_;
    int checked_ = 0;  // the suspect count this worker last checked against
    int generation_ = 0;
    bool discard_ = false;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Methods> methods_;
};

class WorkerPool {
public:
    using Job = std::function<void(WorkerContext&)>;

    // Starts `threads` workers and opens their connections; throws the first failure to open
    // one (nothing is left running then).
    WorkerPool(const DatabaseUrl& url, int threads);
    // Runs every job already posted, then stops the workers.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void post(Job job);
    int size() const { return static_cast<int>(threads_.size()); }

private:
    // A worker waiting for a job. The one that went idle last is woken first: its thread,
    // its connection and the database pages it read are the warmest.
    struct Idle {
        std::condition_variable wake;
        bool woken = false;
    };

    void run(WorkerContext& context);
    void stop();

    std::mutex mutex_;
    std::deque<Job> queue_;
    std::vector<Idle*> idle_;  // a stack
    bool stopping_ = false;
    std::atomic<int> suspect_{0};
    std::vector<std::thread> threads_;
};

}  // namespace server::net
