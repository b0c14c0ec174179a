// Clients that do not read their answers, that vanish while their call runs, and a server out
// of descriptors: what it does, and what its log says.

#include "tests/server_limits/limits_support.h"
#include "tests/server_limits/server_memory.h"
#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/socket.h>

using limitstest::emptyDatabase;
using testsupport::ServerProcess;

namespace {

// A client whose socket takes little at a time: what the server sends beyond its own send
// buffer waits on the server.
void shrinkReceiveBuffer(RawClient& client)
{
    const int bytes = 16 * 1024;
    ::setsockopt(static_cast<int>(client.socket().socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

int countOf(const QString& log, const QString& what) { return static_cast<int>(log.count(what)); }

// A big call, then a small one, in one write; the big one's answer (its arguments come back)
// cannot all go out while the client does not read.
QByteArray bigThenSmall()
{
    return wire::encodeFrame(paramComis(1, QString(10 * 1024 * 1024, QLatin1Char('z'))))
           + wire::encodeFrame(paramComis(2, QStringLiteral("0001")));
}

TEST(UnreadAnswers, NoFurtherCallIsRunWhileAnAnswerWaitsAndBothArriveInOrderWhenRead)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url());
    RawClient client(server.port());
    ASSERT_TRUE(client.open());
    shrinkReceiveBuffer(client);
    client.send(bigThenSmall());
    QElapsedTimer clock;
    clock.start();
    while (!server.log().contains(QStringLiteral(" GetParamComis ")) && clock.elapsed() < 10'000) QThread::msleep(50);
    QThread::msleep(1000);
    EXPECT_EQ(countOf(server.log(), QStringLiteral(" GetParamComis ")), 1) << server.log().toStdString();
    const auto first = client.receive();
    const auto second = client.receive();
    ASSERT_NE(asReply(first), nullptr);
    EXPECT_EQ(asReply(first)->id, 1);
    ASSERT_NE(asReply(second), nullptr);
    EXPECT_EQ(asReply(second)->id, 2);
    EXPECT_EQ(server.stop(), 0);
}

TEST(UnreadAnswers, AnAnswerPastTheServersBufferLimitIsDroppedWithTheConnectionAndLogged)
{
    const auto db = emptyDatabase();
    // Room for the 6 MB call as it arrives and once decoded, not for its answer besides.
    ServerProcess server(db->url(), {QStringLiteral("--max-buffered"), QStringLiteral("7340032")});
    RawClient client(server.port());
    ASSERT_TRUE(client.open());
    shrinkReceiveBuffer(client);
    client.send(wire::encodeFrame(paramComis(1, QString(3 * 1024 * 1024, QChar(u'é')))));
    QElapsedTimer clock;
    clock.start();
    while (!server.log().contains(QStringLiteral(" GetParamComis ")) && clock.elapsed() < 10'000) QThread::msleep(50);
    const QString log = server.log();
    EXPECT_TRUE(log.contains(QStringLiteral("closed: "))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("the limit of bytes held for messages is reached"))) << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("ok: committed, but the answer could not be delivered (the limit of bytes "
                                    "held for messages was reached)")))
        << log.toStdString();
    RawClient fresh(server.port());
    ASSERT_TRUE(fresh.open());
    EXPECT_NE(asReply(std::optional(fresh.call(3, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);
    EXPECT_EQ(server.stop(), 0);
}

TEST(UnreadAnswers, AClientThatNeverReadsIsLoggedAsSuchAtTheIdleTimeout)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--idle-timeout"), QStringLiteral("1")});
    RawClient client(server.port());
    ASSERT_TRUE(client.open());
    shrinkReceiveBuffer(client);
    client.send(bigThenSmall());
    QThread::msleep(2500);  // not reading meanwhile
    const QString log = server.log();
    EXPECT_TRUE(log.contains(QStringLiteral("closed: idle timeout, the client did not read its answer")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("incomplete message"))) << log.toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(VanishedClients, ACallThatCommittedForAClientThatHadGoneIsLoggedAsCommittedAndUndelivered)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url());
    auto client = std::make_unique<RawClient>(server.port());
    ASSERT_TRUE(client->open());
    testsupport::WriteLock lock(*db);
    wire::DataPacket marked;
    marked.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    marked.rows.push_back({QString("S"), 1.0});
    const QDateTime day = wire::makeDateTime(2026, 11, 1);
    client->send(
        wire::CallRequest{1, QStringLiteral("SetCancelDel"), {marked, QString("0001"), QString("AB"), day, day}});
    QThread::msleep(500);  // the call waits for the lock
    // Gone with a reset: the server's answer cannot be delivered.
    const linger now{1, 0};
    ::setsockopt(static_cast<int>(client->socket().socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    client.reset();
    QThread::msleep(200);
    lock.release();
    QElapsedTimer clock;
    clock.start();
    while (!server.log().contains(QStringLiteral(" SetCancelDel ")) && clock.elapsed() < 10'000) QThread::msleep(50);
    const QString log = server.log();
    EXPECT_TRUE(
        log.contains(QStringLiteral("ms ok: committed, but the answer could not be delivered (the client had gone)")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("error"))) << log.toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(Descriptors, OutOfDescriptorsTheServerWaitsQuietlyServesItsConnectionsAndAcceptsAgainLater)
{
#ifdef ATE_SANITIZE
    // The undefined-behaviour checker opens a pipe to check an object's type on a member call
    // and, with no descriptor left, reports every such call as a bad object and stops the server.
    GTEST_SKIP() << "needs descriptors the sanitizers would take; runs in the normal build";
#endif
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--threads"), QStringLiteral("1")});
    {
        RawClient warm(server.port());  // the worker's database files are open from here on
        ASSERT_TRUE(warm.open());
        ASSERT_NE(asReply(std::optional(warm.call(1, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);
    }
    QThread::msleep(200);
    const int base = serverprobe::openDescriptors(server.pid());
    ASSERT_TRUE(serverprobe::limitDescriptors(server.pid(), base + 6));

    std::vector<std::unique_ptr<RawClient>> served;
    std::unique_ptr<RawClient> waiting;
    for (int i = 0; i < 12 && !waiting; ++i) {
        auto client = std::make_unique<RawClient>(server.port());
        client->send(validOpening());
        if (client->receive(1000))
            served.push_back(std::move(client));
        else
            waiting = std::move(client);
    }
    ASSERT_TRUE(waiting) << "never ran out of descriptors";
    ASSERT_GE(served.size(), 3u);

    const double cpuBefore = serverprobe::cpuSeconds(server.pid());
    QThread::msleep(1500);
    const double busy = serverprobe::cpuSeconds(server.pid()) - cpuBefore;
    EXPECT_LT(busy, 0.3) << "CPU seconds while waiting for descriptors";
    EXPECT_NE(asReply(std::optional(served[0]->call(2, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);
    EXPECT_EQ(countOf(server.log(), QStringLiteral("cannot accept connections")), 1) << server.log().toStdString();

    // Descriptors freed: the one that waited is taken and answered.
    served.resize(1);
    const auto answer = waiting->receive(5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(std::holds_alternative<wire::OpenAccepted>(*answer));
    EXPECT_TRUE(server.log().contains(QStringLiteral("accepting connections again")));
    EXPECT_EQ(server.stop(), 0);
}

}  // namespace
