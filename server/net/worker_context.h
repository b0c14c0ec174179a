#pragma once
// What a call sees of the worker running it: the worker's own database connection and one
// server::Methods on it. A connection a call declared suspect (after an unexpected failure)
// is closed and opened afresh before the next call, which also rolls back anything such a
// failure left open.

#include "server/database.h"
#include "server/methods.h"

#include <atomic>
#include <memory>

namespace server::net {

class WorkerContext {
public:
    // `suspect` is shared by the workers of a server: when one finds its connection dead it
    // raises the count, and every other worker checks its own before its next call.
    // `answerLimit`: the most a list read for an answer may take on the wire.
    WorkerContext(DatabaseUrl url, int workerIndex, std::atomic<int>& suspect, qsizetype answerLimit = 0);
    ~WorkerContext();
    WorkerContext(const WorkerContext&) = delete;
    WorkerContext& operator=(const WorkerContext&) = delete;

    // This worker's methods on its own connection, opened on first use. Throws when the
    // database cannot be opened.
    Methods& methods();
    // The connection itself, opened on first use (throws when it cannot be opened).
    Database& database()
    {
        open();
        return *db_;
    }
    // Closes the connection after this call; the next call opens a fresh one.
    void discardConnection() { discard_ = true; }
    // After a database failure: is the connection still alive? A dead one (the database
    // restarted, the network dropped) is discarded, and the other workers check theirs.
    void checkConnection();

    // Opens the connection now (throws when it cannot).
    void open();
    // Closes it (on the thread that opened it).
    void close();
    // Around every call.
    void beforeCall();
    void afterCall();

private:
    bool alive();

    DatabaseUrl url_;
    int index_;
    std::atomic<int>& suspect_;
    qsizetype answerLimit_;
    int checked_ = 0;  // the suspect count this worker last checked against
    int generation_ = 0;
    bool discard_ = false;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Methods> methods_;
};

}  // namespace server::net
