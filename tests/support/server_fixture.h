#pragma once
// A real application server for tests: the ate02700-server executable of this build, run as
// a child process on a loopback port the system picks.
//
//   auto db = testsupport::TestDatabase::sqlite();
//   testsupport::initDatabase(db->url());                 // ate02700-server init --seed demo
//   testsupport::ServerProcess server(db->url());        // ate02700-server serve --listen 127.0.0.1:0
//   TNetConnection net;
//   server.configure(net);                               // host, port and server object name
//   ...
//   server.stop();                                       // SIGTERM; also done by the destructor
//
// or, for the common case, one object holding both:
//
//   testsupport::DemoServer demo;                        // fresh SQLite demo database + server
//   testsupport::DemoServer pg(TestDatabase::Engine::PostgreSQL);  // check demo.available()
//
// Widget tests point the host configuration at it:
//   Larkumo::Configure({.serverHost = demo.server().host(), .serverPort = demo.server().port()});
//
// The executable is found through ATE_BUILD_DIR (set by ate_gtest): $ATE_BUILD_DIR/bin/
// ate02700-server. The server's log (one line per call) goes to a file, readable with log().
// Anything that fails to start throws std::runtime_error with the server's own output, which
// fails the test that asked.

#include "tests/support/test_database.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace testsupport {

inline constexpr char16_t kServerObjectName[] = u"ATE02700.rdmManuDelValor";

QString serverExecutable();

// Runs `ate02700-server init --db URL` with `--seed SEED` when the seed is not empty; throws
// with the server's output when it fails. Returns that output.
QString initDatabase(const QString& databaseUrl, const QString& seed = QStringLiteral("demo"));

class ServerProcess {
public:
    // Starts `serve --db URL --listen 127.0.0.1:PORT` plus `extraArguments` and waits until it
    // announces the port it listens on.
    explicit ServerProcess(QString databaseUrl, QStringList extraArguments = {}, quint16 port = 0);
    // Stops the server when still running.
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return port_; }
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() != QProcess::NotRunning; }

    // Host, port and server object name of a TNetConnection (or anything with the same setters).
    template <class Connection> void configure(Connection& connection) const
    {
        connection.SetHost(host());
        connection.SetPort(port_);
        connection.SetServerName(QString::fromUtf16(kServerObjectName));
    }

    // SIGTERM, then waits for the exit; returns the exit code, or -1 when the server crashed
    // or had to be killed.
    int stop(int timeoutMs = 30'000);
    // Sends SIGTERM without waiting (stop() or waitForExit() collects the exit).
    void terminate();
    int waitForExit(int timeoutMs = 30'000);
    void kill();

    // Everything the server logged so far.
    QString log() const;

private:
    TempDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    bool collected_ = false;
    int exitCode_ = -1;
};

// A fresh demo database and a server on it.
class DemoServer {
public:
    explicit DemoServer(TestDatabase::Engine engine = TestDatabase::Engine::SQLite, QStringList extraArguments = {});
    // False when the engine is PostgreSQL and ATE_TEST_PG_URL is not set (then skip).
    bool available() const { return server_ != nullptr; }
    TestDatabase& database() { return *db_; }
    ServerProcess& server() { return *server_; }

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
};

}  // namespace testsupport
