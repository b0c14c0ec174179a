// Stopping the server: SIGTERM lets the calls under way finish and be answered, refuses new
// clients and ends with exit code 0; bad command lines end with a message and a non-zero code.

#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

// A packet with one marked delivery: SetCancelDel takes the write lock for it.
wire::DataPacket markedDelivery(double nrDelivery)
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    packet.rows.push_back({QString("S"), nrDelivery});
    return packet;
}

bool refusesConnections(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return !socket.waitForConnected(3000);
}

TEST(ServerShutdown, TerminationFinishesTheCallUnderWayThenExits)
{
    const auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    ServerProcess server(db->url());
    RawClient busy(server.port());
    ASSERT_TRUE(busy.open());
    RawClient idle(server.port());
    ASSERT_TRUE(idle.open());

    testsupport::WriteLock lock(*db);
    const QDateTime day = wire::makeDateTime(2026, 11, 1);
    busy.send(wire::CallRequest{
        1, QStringLiteral("SetCancelDel"), {markedDelivery(1), QString("0001"), QString("AB"), day, day}});
    QThread::msleep(1000);  // the call now waits for the lock inside the server (for up to 5 s)
    server.terminate();

    // The idle connection goes at once; new clients are turned away; the busy one waits.
    EXPECT_TRUE(idle.waitClosed(5000));
    EXPECT_TRUE(refusesConnections(server.port()));
    EXPECT_TRUE(server.running());
    lock.release();

    const auto answer = busy.receive();
    ASSERT_TRUE(answer.has_value());
    const auto* reply = std::get_if<wire::CallReply>(&*answer);
    ASSERT_NE(reply, nullptr) << (std::holds_alternative<wire::ErrorReply>(*answer)
                                      ? std::get<wire::ErrorReply>(*answer).message.toStdString()
                                      : "other message");
    EXPECT_EQ(reply->id, 1);
    EXPECT_TRUE(busy.waitClosed());
    EXPECT_EQ(server.waitForExit(), 0) << server.log().toStdString();
}

TEST(ServerShutdown, ASecondTerminationClosesEverythingWithoutWaitingForTheClients)
{
    const auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    ServerProcess server(db->url());
    RawClient busy(server.port());
    ASSERT_TRUE(busy.open());
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 12; ++i) {
        idle.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(idle.back()->open());
    }

    testsupport::WriteLock lock(*db);
    const QDateTime day = wire::makeDateTime(2026, 11, 1);
    busy.send(wire::CallRequest{
        1, QStringLiteral("SetCancelDel"), {markedDelivery(1), QString("0001"), QString("AB"), day, day}});
    QThread::msleep(500);  // the call waits for the lock (up to 5 s)
    QElapsedTimer clock;
    clock.start();
    server.terminate();
    QThread::msleep(200);
    server.terminate();
    // Every connection is closed and the process ends, the lock still held: the call under way
    // ends with its wait, not with its client.
    for (auto& c : idle) EXPECT_TRUE(c->waitClosed(10'000));
    EXPECT_EQ(server.waitForExit(), 0) << server.log().toStdString();
    EXPECT_LT(clock.elapsed(), 10'000);
    EXPECT_TRUE(busy.waitClosed(1000));
    EXPECT_TRUE(server.log().contains(QStringLiteral("stopping now"))) << server.log().toStdString();
}

TEST(ServerShutdown, TerminationWithNothingUnderWayExitsAtOnce)
{
    const auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    ServerProcess server(db->url());
    RawClient client(server.port());
    ASSERT_TRUE(client.open());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(server.stop(), 0);
    EXPECT_LT(clock.elapsed(), 10'000);  // not held up by the idle client (30 s idle time)
    EXPECT_TRUE(client.waitClosed(1000));
}

struct RunResult {
    int exitCode = -1;
    QString output;
};

RunResult runServer(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(testsupport::serverExecutable(), arguments);
    if (!process.waitForFinished(30'000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

TEST(ServerCommandLine, FailuresEndWithATextAndANonZeroCode)
{
    const testsupport::TempDir dir;
    QTcpServer occupied;
    ASSERT_TRUE(occupied.listen(QHostAddress::LocalHost, 0));
    const QString sqlite = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("x.db"));
    ASSERT_EQ(runServer({QStringLiteral("init"), QStringLiteral("--db"), sqlite}).exitCode, 0);

    struct Case {
        const char* what;
        QStringList arguments;
        int exitCode;
        const char* mentioned;
    };
    const Case cases[] = {
        {"no command", {}, 2, "Uso:"},
        {"unknown command", {QStringLiteral("run")}, 2, "run"},
        {"serve without a database", {QStringLiteral("serve")}, 2, "--db"},
        {"unknown option",
         {QStringLiteral("serve"), QStringLiteral("--db"), sqlite, QStringLiteral("--fast")},
         2,
         "--fast"},
        {"threads out of range",
         {QStringLiteral("serve"), QStringLiteral("--db"), sqlite, QStringLiteral("--threads"), QStringLiteral("0")},
         2,
         "--threads"},
        {"port taken",
         {QStringLiteral("serve"), QStringLiteral("--db"), sqlite, QStringLiteral("--listen"),
          QStringLiteral("127.0.0.1:%1").arg(occupied.serverPort())},
         1,
         "escutar"},
        {"database in a folder that does not exist",
         {QStringLiteral("serve"), QStringLiteral("--db"),
          QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("no/such/dir/x.db"))},
         1,
         ""},
        {"malformed database address",
         {QStringLiteral("init"), QStringLiteral("--db"), QStringLiteral("mysql://x")},
         1,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult result = runServer(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.output.toStdString();
        EXPECT_TRUE(result.output.contains(QLatin1String(c.mentioned))) << result.output.toStdString();
        EXPECT_TRUE(result.output.startsWith(QStringLiteral("ate02700-server: "))) << result.output.toStdString();
    }
    EXPECT_EQ(runServer({QStringLiteral("--help")}).exitCode, 0);
}

}  // namespace
