// Reading the server's command line: the values scripts pass, and the mistakes it must refuse.

#include "server/net/command_line.h"

#include <gtest/gtest.h>

using namespace server::net;

namespace {

ServeOptions serve(QStringList args)
{
    args.prepend(QStringLiteral("serve"));
    return std::get<ServeCommand>(parseCommandLine(args)).options;
}

TEST(ServerCommandLineParsing, ServeTakesListenAddressesInEveryForm)
{
    const ServeOptions defaults = serve({QStringLiteral("--db"), QStringLiteral("sqlite:/tmp/a.db")});
    EXPECT_EQ(defaults.address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(defaults.port, 7027);
    EXPECT_EQ(defaults.idleTimeout.count(), 30'000);
    EXPECT_EQ(defaults.database.engine, server::DatabaseUrl::Engine::SQLite);

    struct Case {
        QString listen;
        QHostAddress address;
        quint16 port;
    };
    const Case cases[] = {
        {QStringLiteral("127.0.0.1:0"), QHostAddress(QStringLiteral("127.0.0.1")), 0},
        {QStringLiteral("localhost:9000"), QHostAddress(QHostAddress::LocalHost), 9000},
        {QStringLiteral("[::1]:65535"), QHostAddress(QStringLiteral("::1")), 65535},
        {QStringLiteral("*:7100"), QHostAddress(QHostAddress::Any), 7100},
        {QStringLiteral("7200"), QHostAddress(QHostAddress::LocalHost), 7200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listen.toStdString());
        const ServeOptions o = serve({QStringLiteral("--db=sqlite:/tmp/a.db"), QStringLiteral("--listen"), c.listen});
        EXPECT_EQ(o.address, c.address);
        EXPECT_EQ(o.port, c.port);
    }

    const ServeOptions tuned = serve(
        {QStringLiteral("--db"), QStringLiteral("sqlite:/tmp/a.db"), QStringLiteral("--threads"), QStringLiteral("3"),
         QStringLiteral("--idle-timeout=0.25"), QStringLiteral("--max-frame"), QStringLiteral("2048")});
    EXPECT_EQ(tuned.threads, 3);
    EXPECT_EQ(tuned.idleTimeout.count(), 250);
    EXPECT_EQ(tuned.maxFrameBytes, 2048);
}

TEST(ServerCommandLineParsing, MistakesAreRefusedNamingTheOption)
{
    const QString db = QStringLiteral("--db=sqlite:/tmp/a.db");
    struct Case {
        QStringList args;
        const char* mentioned;
    };
    const Case cases[] = {
        {{QStringLiteral("serve"), db, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:65536")}, "--listen"},
        {{QStringLiteral("serve"), db, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:")}, "--listen"},
        {{QStringLiteral("serve"), db, QStringLiteral("--listen"), QStringLiteral("example.org:80")}, "example.org"},
        {{QStringLiteral("serve"), db, QStringLiteral("--threads"), QStringLiteral("257")}, "--threads"},
        {{QStringLiteral("serve"), db, QStringLiteral("--threads"), QStringLiteral("two")}, "--threads"},
        {{QStringLiteral("serve"), db, QStringLiteral("--idle-timeout"), QStringLiteral("0")}, "--idle-timeout"},
        {{QStringLiteral("serve"), db, QStringLiteral("--idle-timeout"), QStringLiteral("nan")}, "--idle-timeout"},
        {{QStringLiteral("serve"), db, QStringLiteral("--max-frame"), QStringLiteral("10")}, "--max-frame"},
        {{QStringLiteral("serve"), db, QStringLiteral("--threads")}, "--threads"},
        {{QStringLiteral("init"), QStringLiteral("--seed"), QStringLiteral("demo")}, "--db"},
        {{QStringLiteral("init"), db, QStringLiteral("--listen"), QStringLiteral("1")}, "--listen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        try {
            parseCommandLine(c.args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(c.mentioned))) << e.Message().toStdString();
        }
    }
}

}  // namespace
