#pragma once
// A worker: one thread with its own database connection, serving the connections the
// listener gives it from start to end. Each connection's frames are read, run and answered on
// this one thread, so a call costs no hand-over between threads; a worker runs one call at a
// time, and its other connections wait for it.
//
// The thread runs its own loop on epoll rather than a Qt event loop: a call then costs one
// wait, one read, the call and one send, and the answer is the last thing the thread does
// before it waits again.
//
//   Worker worker(index, options, limits, budget, log, suspect, onFinished);
//   worker.start();                        // throws when the database cannot be opened
//   worker.post([](Worker& w) { ... });    // runs on the worker's thread
//   worker.stop();                         // after the current call; closes what is left

#include "server/net/buffer_budget.h"
#include "server/net/call_log.h"
#include "server/net/serve_options.h"
#include "server/net/server_security.h"
#include "server/net/worker_context.h"

#include "framework/wire/codec.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace server::net {

class ClientConnection;

class Worker {
public:
    using Clock = std::chrono::steady_clock;

    // `onFinished` is told (on this worker's thread) of every connection that ended.
    Worker(int index, const ServeOptions& options, const wire::Limits& limits, BufferBudget& budget, CallLog& log,
           std::atomic<int>& suspect, std::function<void(quint64)> onFinished, ServerSecurity& security);
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Starts the thread and waits until its database connection is open; throws the failure
    // to open it (the thread has ended then).
    void start();
    // Runs `job` on the worker's thread, after the call under way. Any thread.
    void post(std::function<void(Worker&)> job);
    // Ends the loop after the call under way, closes every connection left and waits for the
    // thread. Any thread but the worker's.
    void stop();

    // On the worker's thread:
    // Takes over an accepted socket.
    void adopt(quint64 id, int descriptor);
    // Takes over an accepted socket only to answer it with `text` and close it (a connection
    // over the server's limits); `logLine` says why in the log.
    void refuse(quint64 id, int descriptor, Refusal kind, const QString& text, const QString& logLine);
    // The server is stopping: every connection finishes its call, answers it and closes;
    // sockets handed over from now on are closed at once.
    void drain();
    // Closes every connection at once.
    void abortAll();

    WorkerContext& context() { return context_; }
    const ServeOptions& options() const { return options_; }
    const wire::Limits& limits() const { return limits_; }
    BufferBudget& budget() { return budget_; }
    CallLog& log() { return log_; }
    ServerSecurity& security() { return security_; }

    // For the connections (on the worker's thread).
    // Which readiness of the connection's socket to wait for.
    void watch(ClientConnection& connection, bool readable, bool writable);
    // The connection has frames waiting: it takes its next turn after the others.
    void giveTurn(ClientConnection& connection);
    // The connection has a deadline then (idle time, linger).
    void checkAt(Clock::time_point when);
    // The connection has ended; it is deleted once nothing refers to it any more.
    void finished(ClientConnection& connection);

private:
    void run();
    void loop();
    void runPosted();
    void runTurns();
    void checkTimes();
    void reap();
    ClientConnection* take(quint64 id, int descriptor);

    const int index_;
    const ServeOptions& options_;
    const wire::Limits& limits_;
    BufferBudget& budget_;
    CallLog& log_;
    WorkerContext context_;
    std::function<void(quint64)> onFinished_;
    ServerSecurity& security_;

    int epoll_ = -1;
    int wake_ = -1;  // eventfd: posted jobs are waiting
    std::mutex postMutex_;
    std::vector<std::function<void(Worker&)>> posted_;
    std::atomic<bool> stopRequested_{false};
    bool draining_ = false;

    std::unordered_map<quint64, std::unique_ptr<ClientConnection>> connections_;
    std::vector<quint64> turns_;     // connections with frames waiting, in order
    std::vector<quint64> finished_;  // ended, to delete after the current events
    Clock::time_point nextCheck_ = Clock::time_point::max();

    std::thread thread_;
};

}  // namespace server::net
