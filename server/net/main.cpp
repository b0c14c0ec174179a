// ate02700-server: creates and seeds the database (init) and serves the remote object
// ATE02700.rdmManuDelValor (serve). See usageText() for the command line.

#include "server/database.h"
#include "server/net/app_server.h"
#include "server/net/command_line.h"
#include "server/net/signal_watcher.h"
#include "server/workstations.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void printError(const QString& text) { std::fprintf(stderr, "ate02700-server: %s\n", text.toUtf8().constData()); }

int runInit(const server::net::InitCommand& command)
{
    // Interrupting init is safe: every migration and seed runs in a transaction.
    server::net::unblockTerminationSignals();
    server::initDatabase(command.database, command.seed);
    std::fprintf(stderr, "ate02700-server: banco pronto: %s\n", command.database.display().toUtf8().constData());
    return 0;
}

void printOut(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int runClient(const server::net::ClientCommand& command)
{
    using Action = server::net::ClientCommand::Action;
    server::net::unblockTerminationSignals();
    // The workstations' table comes with the schema; an older database gets it here.
    server::initDatabase(command.database, std::nullopt);
    const auto db = server::Database::open(command.database, QStringLiteral("ate02700-client-admin"));
    server::Workstations workstations(*db);
    switch (command.action) {
    case Action::Add: {
        const QString key = workstations.add(command.name, command.branches);
        printOut(QStringLiteral("Estação de trabalho %1 cadastrada para as filiais %2.\n"
                                "Chave (guarde-a agora: ela não será mostrada de novo):\n%3\n")
                     .arg(command.name, command.branches.text(), key));
        return 0;
    }
    case Action::List:
        for (const server::Workstation& w : workstations.list())
            printOut(QStringLiteral("%1\tfiliais %2\t%3\tcadastrada em %4\n")
                         .arg(w.name, w.branches.text(),
                              w.revoked ? QStringLiteral("revogada") : QStringLiteral("ativa"),
                              w.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        return 0;
    case Action::Revoke:
        workstations.revoke(command.name);
        printOut(QStringLiteral("Estação de trabalho %1 revogada.\n").arg(command.name));
        return 0;
    case Action::Branches:
        workstations.setBranches(command.name, command.branches);
        printOut(QStringLiteral("Estação de trabalho %1: filiais %2.\n").arg(command.name, command.branches.text()));
        return 0;
    }
    return 0;
}

int runServe(QCoreApplication& app, const server::net::ServeCommand& command)
{
    server::net::SignalWatcher watcher;
    server::net::AppServer server(command.options);
    server.start();
    QObject::connect(&watcher, &server::net::SignalWatcher::terminationRequested, &server, [&server](int signalNumber) {
        server.log().note(QStringLiteral("signal %1 received").arg(signalNumber));
        server.shutdown();
    });
    QObject::connect(&server, &server::net::AppServer::stopped, &app, &QCoreApplication::quit);

    // Scripts and tests read the port from here (it is chosen by the system for port 0).
    std::printf("listening on %s:%u\n", server.address().toString().toUtf8().constData(),
                static_cast<unsigned>(server.port()));
    std::fflush(stdout);

    const int rc = QCoreApplication::exec();
    server.log().note(QStringLiteral("stopped"));
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    // Before any thread exists: while serving, the termination signals are read by the
    // watcher only (other commands unblock them again).
    server::net::blockTerminationSignals();
    // A client that goes away mid-answer must not take the server with it.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    try {
        const server::net::Command command = server::net::parseCommandLine(arguments);
        if (std::holds_alternative<server::net::HelpCommand>(command)) {
            std::fputs(server::net::usageText().toUtf8().constData(), stdout);
            return 0;
        }
        if (std::holds_alternative<server::net::VersionCommand>(command)) {
            std::printf("ate02700-server %s\n", server::net::kServerVersion);
            return 0;
        }
        if (const auto* client = std::get_if<server::net::ClientCommand>(&command)) return runClient(*client);
        if (const auto* init = std::get_if<server::net::InitCommand>(&command)) return runInit(*init);
        return runServe(app, std::get<server::net::ServeCommand>(command));
    } catch (const server::net::UsageError& e) {
        printError(e.Message());
        std::fputs("\n", stderr);
        std::fputs(server::net::usageText().toUtf8().constData(), stderr);
        return 2;
    } catch (const Exception& e) {
        printError(e.Message());
        return 1;
    } catch (const std::exception& e) {
        printError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
