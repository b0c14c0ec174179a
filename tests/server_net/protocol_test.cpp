// The protocol as a client sees it on the wire, against the real server process: openings,
// calls answered in order with their arguments, and every kind of bad input answered or closed
// without disturbing anyone else.

#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include <QRegularExpression>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

class ProtocolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        db_ = TestDatabase::sqlite();
        testsupport::initDatabase(db_->url(), {});
        server_ = std::make_unique<ServerProcess>(db_->url());
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(server_->stop(), 0) << server_->log().toStdString();
        server_.reset();
        db_.reset();
    }

    static quint16 port() { return server_->port(); }

    // What every misbehaving client must leave intact: a new client is served.
    static void expectServing()
    {
        RawClient client(port());
        ASSERT_TRUE(client.open());
        const std::optional<wire::Message> answer = client.call(7, QStringLiteral("GetParamComis"), {QString("0001")});
        ASSERT_NE(asReply(answer), nullptr);
    }

    static std::unique_ptr<TestDatabase> db_;
    static std::unique_ptr<ServerProcess> server_;
};

std::unique_ptr<TestDatabase> ProtocolTest::db_;
std::unique_ptr<ServerProcess> ProtocolTest::server_;

TEST_F(ProtocolTest, PipelinedCallsAreAnsweredInOrderWithTheirArgumentsAndLogged)
{
    RawClient client(port());
    ASSERT_TRUE(client.open());
    // Three calls in one write: the answers must keep their order and ids, the failure in the
    // middle must not disturb the others.
    client.send(wire::encodeFrame(paramComis(11, QStringLiteral("0001")))
                + wire::encodeFrame(wire::CallRequest{12, QStringLiteral("NoSuchMethod"), {}})
                + wire::encodeFrame(paramComis(13, QStringLiteral("Çé 9"))));

    const auto first = client.receive();
    const auto second = client.receive();
    const auto third = client.receive();
    ASSERT_NE(asReply(first), nullptr);
    EXPECT_EQ(asReply(first)->id, 11);
    EXPECT_EQ(asReply(first)->args, wire::Array{QString("0001")});
    EXPECT_EQ(asReply(first)->result.kind(), wire::Value::Kind::Packet);
    ASSERT_NE(asError(second), nullptr);
    EXPECT_EQ(asError(second)->id, 12);
    EXPECT_TRUE(asError(second)->message.contains(QStringLiteral("NoSuchMethod")));
    ASSERT_NE(asReply(third), nullptr);
    EXPECT_EQ(asReply(third)->id, 13);
    EXPECT_EQ(asReply(third)->args, wire::Array{QStringLiteral("Çé 9")});

    const QString log = server_->log();
    EXPECT_TRUE(
        log.contains(QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\d+ GetParamComis \\d+\\.\\d ms ok\\n"))))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QRegularExpression(QStringLiteral("NoSuchMethod \\d+\\.\\d ms error: .*NoSuchMethod"))))
        << log.toStdString();
}

TEST_F(ProtocolTest, AnswersLargerThanTheSocketTakesArriveWholeAndInOrder)
{
    RawClient client(port());
    ASSERT_TRUE(client.open());
    // Arguments come back with the answer: 6 MB of them cannot go out in one send, so part
    // of the answer waits on the server while this client is not reading.
    const QString big(3 * 1024 * 1024, QChar(u'é'));
    client.send(wire::encodeFrame(paramComis(1, big)) + wire::encodeFrame(paramComis(2, QStringLiteral("0001"))));
    QThread::msleep(300);
    const auto first = client.receive();
    const auto second = client.receive();
    ASSERT_NE(asReply(first), nullptr);
    EXPECT_EQ(asReply(first)->id, 1);
    EXPECT_EQ(asReply(first)->args, wire::Array{big});
    ASSERT_NE(asReply(second), nullptr);
    EXPECT_EQ(asReply(second)->id, 2);
}

TEST_F(ProtocolTest, MistakenCallsAreRefusedAndTheConnectionStaysOpen)
{
    RawClient client(port());
    ASSERT_TRUE(client.open());
    const QDateTime day = wire::makeDateTime(2026, 11, 5);
    struct Case {
        const char* what;
        QString method;
        wire::Array args;
    };
    const Case cases[] = {
        {"unknown method", QStringLiteral("GetDeliveries"), {QString("0001")}},
        {"too few arguments", QStringLiteral("GetParamComis"), {}},
        {"too many arguments", QStringLiteral("GetParamComis"), {QString("0001"), QString("0002")}},
        {"a number for a date", QStringLiteral("GetDelivery"), {QString("0001"), QString("AB"), 20261105, day}},
        {"a text for a packet", QStringLiteral("GeraNovoFatur"), {QString("not a packet"), QString("01")}},
    };
    qint64 id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto answer = std::optional(client.call(++id, c.method, c.args));
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_EQ(asError(answer)->id, id);
        EXPECT_FALSE(asError(answer)->message.isEmpty());
        // Same connection, next call: still served.
        const auto next = std::optional(client.call(++id, QStringLiteral("GetParamComis"), {QString("0001")}));
        ASSERT_NE(asReply(next), nullptr);
    }
}

TEST_F(ProtocolTest, RefusedOpeningsAreAnsweredThenClosed)
{
    struct Case {
        const char* what;
        wire::Message opening;
        const char* mentioned;  // the text must name the problem
    };
    const Case cases[] = {
        {"another server object", wire::OpenRequest{QStringLiteral("ATE09999.rdmOutro"), 1}, "ATE09999.rdmOutro"},
        {"another protocol version", wire::OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 2}, "2"},
        {"a call before the opening", paramComis(1, QStringLiteral("0001")), "open"},
        {"an answer instead of an opening", wire::OpenAccepted{}, "open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(port());
        client.send(c.opening);
        const auto answer = client.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_FALSE(asError(answer)->id.has_value());
        EXPECT_TRUE(asError(answer)->message.contains(QLatin1String(c.mentioned)))
            << asError(answer)->message.toStdString();
        EXPECT_TRUE(client.waitClosed());
    }
    expectServing();
}

TEST_F(ProtocolTest, BadFramesAreAnsweredNamingTheProblemThenClosed)
{
    const QByteArray callBody = wire::encodeMessage(paramComis(1, QStringLiteral("0001")));
    struct Case {
        const char* what;
        bool openFirst;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"text of another protocol", false, QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n")},
        {"a length over the limit", true, header(16 * 1024 * 1024 + 1) + QByteArray(64, 'x')},
        {"a body cut short inside", true,
         header(static_cast<quint32>(callBody.size() / 2)) + callBody.left(callBody.size() / 2)},
        {"a body that is not a message", true, wire::frameBody(wire::encodeValue(wire::Value(42)))},
        {"random bytes after the opening", true, header(5) + QByteArray("\xff\xfe\x00\x13\x37", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(port());
        if (c.openFirst) {
            ASSERT_TRUE(client.open());
        }
        client.send(c.bytes);
        const auto answer = client.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_TRUE(asError(answer)->message.startsWith(QStringLiteral("Mensagem inválida: ")))
            << asError(answer)->message.toStdString();
        EXPECT_GT(asError(answer)->message.size(), QStringLiteral("Mensagem inválida: ").size() + 5);
        EXPECT_TRUE(client.waitClosed());
    }
    expectServing();
}

TEST_F(ProtocolTest, OneStalledClientDoesNotHoldUpTheOthers)
{
    RawClient stalled(port());
    ASSERT_TRUE(stalled.open());
    stalled.send(header(1000) + QByteArray(10, 'a'));  // and never the rest
    expectServing();
    RawClient other(port());
    ASSERT_TRUE(other.open());
    EXPECT_NE(asReply(std::optional(other.call(1, QStringLiteral("GetParamComis"), {QString("0002")}))), nullptr);
}

TEST_F(ProtocolTest, SixtyFourConnectionsAreServedAtOnce)
{
    constexpr int kClients = 64;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<RawClient>(port()));
        ASSERT_TRUE(clients.back()->open()) << "client " << i;
    }
    // Every connection is open at the same time; now each has a call under way.
    for (int i = 0; i < kClients; ++i) clients[i]->send(paramComis(i + 1, QString::number(i)));
    for (int i = 0; i < kClients; ++i) {
        const auto answer = clients[i]->receive();
        ASSERT_NE(asReply(answer), nullptr) << "client " << i;
        EXPECT_EQ(asReply(answer)->id, i + 1);
        EXPECT_EQ(asReply(answer)->args, wire::Array{QString::number(i)});
    }
}

// A server of its own, with a short idle time and a small frame limit.
class ConnectionLimitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::sqlite();
        testsupport::initDatabase(db_->url(), {});
        server_ = std::make_unique<ServerProcess>(db_->url(),
                                                  QStringList{QStringLiteral("--idle-timeout"), QStringLiteral("1"),
                                                              QStringLiteral("--max-frame"), QStringLiteral("4096")});
    }
    void TearDown() override { EXPECT_EQ(server_->stop(), 0); }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
};

TEST_F(ConnectionLimitsTest, IdleAndHalfSentConnectionsAreClosedButBusyOnesAreNot)
{
    RawClient silent(server_->port());
    ASSERT_TRUE(silent.open());
    RawClient halfway(server_->port());
    ASSERT_TRUE(halfway.open());
    halfway.send(header(200) + QByteArray(20, 'a'));
    RawClient unopened(server_->port());

    // A client calling more often than the idle time keeps its connection.
    RawClient active(server_->port());
    ASSERT_TRUE(active.open());
    for (int i = 0; i < 8; ++i) {
        QThread::msleep(300);
        ASSERT_NE(asReply(std::optional(active.call(i + 1, QStringLiteral("GetParamComis"), {QString("0001")}))),
                  nullptr)
            << "call " << i;
    }
    EXPECT_TRUE(silent.waitClosed(100));
    EXPECT_TRUE(halfway.waitClosed(100));
    EXPECT_TRUE(unopened.waitClosed(100));
    EXPECT_TRUE(server_->log().contains(QStringLiteral("closed: incomplete message, idle timeout")));
}

TEST_F(ConnectionLimitsTest, TheFrameLimitIsTheConfiguredOne)
{
    RawClient client(server_->port());
    ASSERT_TRUE(client.open());
    // Just under the limit is served; just over it is refused and closed.
    const QString fits(3900, QLatin1Char('x'));
    EXPECT_NE(asReply(std::optional(client.call(1, QStringLiteral("GetParamComis"), {fits}))), nullptr);
    client.send(paramComis(2, QString(4200, QLatin1Char('x'))));
    const auto answer = client.receive();
    ASSERT_NE(asError(answer), nullptr);
    EXPECT_TRUE(answer && asError(answer)->message.startsWith(QStringLiteral("Mensagem inválida")));
    EXPECT_TRUE(client.waitClosed());
}

}  // namespace

namespace {

// One worker for every connection: they must take turns.
TEST(OneWorker, AClientSendingManyCallsAtOnceDoesNotHoldUpTheOthers)
{
    const auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    ServerProcess server(db->url(), {QStringLiteral("--threads"), QStringLiteral("1")});
    RawClient busy(server.port());
    ASSERT_TRUE(busy.open());
    RawClient other(server.port());
    ASSERT_TRUE(other.open());

    // Tens of thousands of calls in one go (a fraction of a second of work), then one call
    // from the other client, which is answered while the first one's are still being run.
    constexpr int kCalls = 20'000;
    QByteArray many;
    for (int i = 1; i <= kCalls; ++i) many += wire::encodeFrame(paramComis(i, QStringLiteral("0001")));
    busy.send(many);
    const auto answer = std::optional(other.call(1, QStringLiteral("Vez"), {}));
    ASSERT_NE(asError(answer), nullptr);
    EXPECT_EQ(asError(answer)->id, 1);

    for (int i = 1; i <= kCalls; ++i) {
        const auto reply = busy.receive();
        ASSERT_NE(asReply(reply), nullptr) << "call " << i;
        ASSERT_EQ(asReply(reply)->id, i);
    }
    // The log has one line per call in the order they ran.
    const QStringList lines = server.log().split(QLatin1Char('\n'));
    int before = 0;
    bool found = false;
    for (const QString& line : lines) {
        if (line.contains(QLatin1String(" Vez "))) {
            found = true;
            break;
        }
        if (line.contains(QLatin1String(" GetParamComis "))) ++before;
    }
    ASSERT_TRUE(found);
    EXPECT_LT(before, kCalls);
    EXPECT_EQ(server.stop(), 0);
}

}  // namespace
