// TNetConnection against the real server: opening, calls, the server's failures passed on
// unchanged, reconnection after the server went away, and the texts an operator gets when the
// server cannot be reached, stops answering or breaks the protocol.

#include "framework/net/netconnection.h"
#include "tests/support/server_fixture.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <thread>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

const QString kObject = QStringLiteral("ATE02700.rdmManuDelValor");

wire::DataPacket markedDelivery(double nrDelivery)
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    packet.rows.push_back({QString("S"), nrDelivery});
    return packet;
}

// A call that writes, so it waits while the test holds the database's write lock.
wire::Array cancelArgs()
{
    const QDateTime day = wire::makeDateTime(2026, 11, 1);
    return {markedDelivery(1), QString("0001"), QString("AB"), day, day};
}

wire::Value paramComis(TNetConnection& net)
{
    wire::Array args{QString("0001")};
    return net.Call(QStringLiteral("GetParamComis"), args);
}

// Runs `action` and returns the text of the EConnectionError it must raise.
QString connectionErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EConnectionError& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QStringLiteral("<other exception: %1>").arg(QString::fromUtf8(e.what()));
    }
    return QStringLiteral("<nothing raised>");
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class NetConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::sqlite();
        testsupport::initDatabase(db_->url(), {});
    }
    void startServer(QStringList extra = {}, quint16 port = 0)
    {
        server_ = std::make_unique<ServerProcess>(db_->url(), std::move(extra), port);
        server_->configure(net_);
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
    TNetConnection net_;
};

TEST_F(NetConnectionTest, OpeningRunsItsEventsAndCallsCarryTheServersAnswer)
{
    startServer();
    int before = 0, after = 0;
    // The form's handler supplies the address just before connecting.
    net_.SetHost(QStringLiteral("nowhere.invalid"));
    net_.SetPort(1);
    const quint16 port = server_->port();
    net_.BeforeConnect = [&](TNetConnection& c) {
        ++before;
        c.SetHost(QStringLiteral("127.0.0.1"));
        c.SetPort(port);
    };
    net_.AfterConnect = [&](TNetConnection& c) {
        ++after;
        EXPECT_TRUE(c.Connected());
    };
    net_.SetConnected(true);
    EXPECT_TRUE(net_.Connected());
    net_.Open();  // already open: nothing happens
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);

    wire::Array args{QString("0001")};
    const wire::Value result = net_.Call(QStringLiteral("GetParamComis"), args);
    EXPECT_EQ(result.kind(), wire::Value::Kind::Packet);
    EXPECT_EQ(args, wire::Array{QString("0001")});

    // A failure of the server arrives with its text unchanged, and the connection stays.
    wire::Array none;
    try {
        net_.Call(QStringLiteral("Inexistente"), none);
        ADD_FAILURE() << "no error";
    } catch (const EServerError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Método desconhecido: \"Inexistente\"."));
    }
    EXPECT_TRUE(net_.Connected());
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);

    int disconnected = 0;
    net_.AfterDisconnect = [&](TNetConnection&) { ++disconnected; };
    net_.SetConnected(false);
    net_.Close();
    EXPECT_FALSE(net_.Connected());
    EXPECT_EQ(disconnected, 1);
    // A call on a closed connection opens it again.
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    EXPECT_EQ(before, 2);
}

TEST_F(NetConnectionTest, ABrokenConnectionIsOpenedAgainOnTheNextCall)
{
    startServer({QStringLiteral("--idle-timeout"), QStringLiteral("0.3")});
    int before = 0;
    net_.BeforeConnect = [&](TNetConnection&) { ++before; };
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);

    // The server closes the idle connection; the next call notices and reconnects.
    QThread::msleep(800);
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    EXPECT_EQ(before, 2);

    // The server restarts on the same port between two calls.
    const quint16 port = server_->port();
    ASSERT_EQ(server_->stop(), 0);
    server_ = std::make_unique<ServerProcess>(db_->url(), QStringList{}, port);
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    EXPECT_EQ(before, 3);

    // Gone for good: the next call says so.
    ASSERT_EQ(server_->stop(), 0);
    const QString text = connectionErrorOf([&] { paramComis(net_); });
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1.").arg(port)))
        << text.toStdString();
}

TEST_F(NetConnectionTest, FailuresToReachTheServerAreExplained)
{
    struct Case {
        const char* what;
        QString host;
        int port;
        QString server;
        QString expectedStart;
    };
    const quint16 closed = freePort();
    QTcpServer silent;  // accepts (the system does) and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    startServer();
    const Case cases[] = {
        {"nothing listening", QStringLiteral("127.0.0.1"), closed, kObject,
         QStringLiteral("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:%1. A conexão foi recusada")
             .arg(closed)},
        {"no address", QString(), 7027, kObject,
         QStringLiteral("O endereço do servidor de aplicação não está configurado")},
        {"no port", QStringLiteral("127.0.0.1"), 0, kObject,
         QStringLiteral("O endereço do servidor de aplicação não está configurado")},
        {"no server object", QStringLiteral("127.0.0.1"), server_->port(), QString(),
         QStringLiteral("O nome do objeto do servidor de aplicação não foi informado.")},
        {"a peer that never answers", QStringLiteral("127.0.0.1"), silent.serverPort(), kObject,
         QStringLiteral("O servidor de aplicação em 127.0.0.1:%1 não respondeu à abertura da conexão em 0.4 s.")
             .arg(silent.serverPort())},
        {"another server object", QStringLiteral("127.0.0.1"), server_->port(), QStringLiteral("ATE09999.rdmOutro"),
         QStringLiteral("O servidor de aplicação em 127.0.0.1:%1 recusou a conexão: Objeto de servidor desconhecido: "
                        "\"ATE09999.rdmOutro\"")
             .arg(server_->port())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TNetConnection net;
        net.SetHost(c.host);
        net.SetPort(c.port);
        net.SetServerName(c.server);
        net.SetConnectTimeout(400);
        const QString text = connectionErrorOf([&] { net.Open(); });
        EXPECT_TRUE(text.startsWith(c.expectedStart)) << text.toStdString();
        EXPECT_FALSE(net.Connected());
    }
}

TEST_F(NetConnectionTest, ACallThatGetsNoAnswerInTimeIsGivenUpAndTheNextOneWorks)
{
    startServer();
    net_.SetReadTimeout(400);
    ASSERT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    {
        testsupport::WriteLock lock(*db_);
        QElapsedTimer clock;
        clock.start();
        const QString text = connectionErrorOf([&] {
            wire::Array args = cancelArgs();
            net_.Call(QStringLiteral("SetCancelDel"), args);
        });
        EXPECT_GE(clock.elapsed(), 350);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_TRUE(text.startsWith(QStringLiteral("O servidor de aplicação em 127.0.0.1:%1 não respondeu à chamada de "
                                                   "SetCancelDel em 0.4 s.")
                                        .arg(server_->port())))
            << text.toStdString();
        EXPECT_FALSE(net_.Connected());
    }
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
}

TEST_F(NetConnectionTest, AServerThatDiesDuringACallIsReportedAsAnInterruption)
{
    startServer();
    testsupport::WriteLock lock(*db_);
    QString text;
    std::thread caller([&] {
        TNetConnection net;  // belongs to this thread
        server_->configure(net);
        text = connectionErrorOf([&] {
            wire::Array args = cancelArgs();
            net.Call(QStringLiteral("SetCancelDel"), args);
        });
    });
    QThread::msleep(400);
    server_->kill();
    caller.join();
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("A conexão com o servidor de aplicação em 127.0.0.1:%1 foi interrompida durante "
                                       "a chamada de SetCancelDel")
                            .arg(server_->port())))
        << text.toStdString();
}

// A peer that accepts the opening and then answers the first call with bytes a test chooses:
// the only way to see how the client takes answers the real server never gives.
class MisbehavingPeer {
public:
    explicit MisbehavingPeer(QByteArray answer) : answer_(std::move(answer))
    {
        std::promise<quint16> listening;
        auto port = listening.get_future();
        thread_ = std::thread([this, listening = std::move(listening)]() mutable { serve(listening); });
        port_ = port.get();
    }
    ~MisbehavingPeer() { thread_.join(); }
    quint16 port() const { return port_; }

private:
    void serve(std::promise<quint16>& listening)
    {
        QTcpServer listener;
        listener.listen(QHostAddress::LocalHost, 0);
        listening.set_value(listener.serverPort());
        if (!listener.waitForNewConnection(10'000)) return;
        std::unique_ptr<QTcpSocket> socket(listener.nextPendingConnection());
        wire::FrameReader reader;
        int frames = 0;
        QDeadlineTimer deadline(10'000);
        while (socket->state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            if (!socket->waitForReadyRead(100)) continue;
            reader.append(socket->readAll());
            while (reader.takeFrame()) {
                socket->write(++frames == 1 ? wire::encodeFrame(wire::OpenAccepted{}) : answer_);
                socket->waitForBytesWritten(1000);
            }
        }
    }

    QByteArray answer_;
    quint16 port_ = 0;
    std::thread thread_;
};

TEST(NetConnectionProtocol, AnswersOutsideTheProtocolBreakTheConnectionNamingTheProblem)
{
    struct Case {
        const char* what;
        QByteArray answer;
        QString problem;
    };
    const Case cases[] = {
        {"an answer to another call", wire::encodeFrame(wire::CallReply{99, wire::Value(true), {QString("0001")}}),
         QStringLiteral("resposta 99 recebida para a chamada 1.")},
        {"arguments missing from the answer", wire::encodeFrame(wire::CallReply{1, wire::Value(true), {}}),
         QStringLiteral("a resposta de GetParamComis trouxe 0 argumentos; foram enviados 1.")},
        {"an opening answer to a call", wire::encodeFrame(wire::OpenAccepted{}),
         QStringLiteral("resposta inesperada à chamada de GetParamComis.")},
        {"bytes that are not a message", QByteArray("\x00\x00\x00\x03\xff\xff\xff", 7), QString()},
        {"an answer over the size limit", QByteArray("\x7f\x00\x00\x00", 4), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MisbehavingPeer peer(c.answer);
        TNetConnection net;
        net.SetHost(QStringLiteral("127.0.0.1"));
        net.SetPort(peer.port());
        net.SetServerName(kObject);
        net.SetReadTimeout(5000);
        const QString text = connectionErrorOf([&] { paramComis(net); });
        const QString prefix =
            QStringLiteral("Resposta inválida do servidor de aplicação em 127.0.0.1:%1: ").arg(peer.port());
        EXPECT_TRUE(text.startsWith(prefix)) << text.toStdString();
        EXPECT_GT(text.size(), prefix.size() + 5) << text.toStdString();
        if (!c.problem.isEmpty()) {
            EXPECT_EQ(text.mid(prefix.size()), c.problem);
        }
        EXPECT_FALSE(net.Connected());
        net.Close();
    }
}

}  // namespace
