#pragma once
// A worker: one thread with its own event loop and its own database connection, serving the
// connections the listener gives it from start to end. Each connection's frames are read,
// run and answered on this one thread, so a call costs no hand-over between threads; a
// worker runs one call at a time, and its other connections wait for it.
//
//   WorkerThread thread(index, options, limits, log, suspect, onFinished);
//   thread.startAndWait();                 // throws when the database cannot be opened
//   thread.post([](Worker& w) { ... });    // runs on the worker's thread
//   thread.stop();                         // after the current call; closes what is left

#include "server/net/call_log.h"
#include "server/net/serve_options.h"
#include "server/net/worker_context.h"

#include "framework/wire/codec.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <unordered_map>

namespace server::net {

class ClientConnection;

class Worker : public QObject {
    Q_OBJECT
public:
    // `onFinished` is told (on this worker's thread) of every connection that ended.
    Worker(int index, const ServeOptions& options, const wire::Limits& limits, CallLog& log,
           std::atomic<int>& suspect, std::function<void(quint64)> onFinished);
    ~Worker() override;

    // Takes over an accepted socket.
    void adopt(quint64 id, qintptr descriptor);
    // The server is stopping: every connection finishes its call, answers it and closes;
    // sockets handed over from now on are closed at once.
    void drain();
    // Closes every connection at once.
    void abortAll();

    WorkerContext& context() { return context_; }
    const ServeOptions& options() const { return options_; }
    const wire::Limits& limits() const { return limits_; }
    CallLog& log() { return log_; }

private:
    void onConnectionFinished(quint64 id);

    const ServeOptions& options_;
    const wire::Limits& limits_;
    CallLog& log_;
    WorkerContext context_;
    std::function<void(quint64)> onFinished_;
    std::unordered_map<quint64, ClientConnection*> connections_;
    bool draining_ = false;
};

class WorkerThread : public QThread {
public:
    WorkerThread(int index, const ServeOptions& options, const wire::Limits& limits, CallLog& log,
                 std::atomic<int>& suspect, std::function<void(quint64)> onFinished);
    ~WorkerThread() override;

    // Starts the thread and waits until its database connection is open; throws the
    // failure to open it (the thread has ended then).
    void startAndWait();
    // Runs `job` on the worker's thread, after the call under way. Only while running.
    void post(std::function<void(Worker&)> job);
    // Ends the event loop after the call under way; every connection left is closed.
    void stop();

protected:
    void run() override;

private:
    int index_;
    const ServeOptions& options_;
    const wire::Limits& limits_;
    CallLog& log_;
    std::atomic<int>& suspect_;
    std::function<void(quint64)> onFinished_;
    std::promise<void> ready_;
    Worker* worker_ = nullptr;  // lives on the thread, from start to the end of run()
};

}  // namespace server::net
