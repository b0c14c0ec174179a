// TNetConnection on the user-interface thread of a GUI application: while a call waits for
// its answer, timers and painting go on, a second call is refused, and closing the connection
// ends the waiting call.

#include "framework/net/netconnection.h"
#include "tests/support/server_fixture.h"

#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

wire::Array cancelArgs()
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    packet.rows.push_back({QString("S"), 1.0});
    const QDateTime day = wire::makeDateTime(2026, 11, 1);
    return {packet, QString("0001"), QString("AB"), day, day};
}

wire::Value paramComis(TNetConnection& net)
{
    wire::Array args{QString("0001")};
    return net.Call(QStringLiteral("GetParamComis"), args);
}

class NetConnectionGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::sqlite();
        testsupport::initDatabase(db_->url(), {});
        server_ = std::make_unique<ServerProcess>(db_->url());
        server_->configure(net_);
        net_.SetReadTimeout(20'000);
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
    TNetConnection net_;
};

TEST_F(NetConnectionGuiTest, TheApplicationStaysAliveWhileACallWaitsButCannotStartAnother)
{
    ASSERT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    auto lock = std::make_optional<testsupport::WriteLock>(*db_);

    QWidget window;
    window.show();
    int ticks = 0;
    std::optional<QString> nestedRefusal;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        window.update();
        if (ticks == 3) {
            try {
                paramComis(net_);
            } catch (const EConnectionError& e) {
                nestedRefusal = e.Message();
            }
        }
        // Only a running event loop gets here: the lock goes, and the call can end.
        if (ticks == 10) lock.reset();
    });
    ticker.start();

    wire::Array args = cancelArgs();
    const wire::Value result = net_.Call(QStringLiteral("SetCancelDel"), args);
    ticker.stop();

    EXPECT_EQ(result.kind(), wire::Value::Kind::Packet);
    EXPECT_GE(ticks, 10);
    ASSERT_TRUE(nestedRefusal.has_value());
    EXPECT_EQ(*nestedRefusal,
              QStringLiteral("A chamada de GetParamComis ao servidor de aplicação foi recusada: a chamada "
                             "de SetCancelDel ainda não terminou."));
    EXPECT_FALSE(net_.InCall());
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
}

TEST_F(NetConnectionGuiTest, ClosingTheConnectionEndsTheCallWaitingOnIt)
{
    auto lock = std::make_optional<testsupport::WriteLock>(*db_);
    QTimer::singleShot(150, [&] { net_.Close(); });
    QString text;
    try {
        wire::Array args = cancelArgs();
        net_.Call(QStringLiteral("SetCancelDel"), args);
    } catch (const EConnectionError& e) {
        text = e.Message();
    }
    EXPECT_EQ(text,
              QStringLiteral("A conexão com o servidor de aplicação foi fechada durante a chamada de SetCancelDel."));
    lock.reset();
    EXPECT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
}

TEST_F(NetConnectionGuiTest, WaitingTimesOutOnTheEventLoopToo)
{
    net_.SetReadTimeout(300);
    ASSERT_EQ(paramComis(net_).kind(), wire::Value::Kind::Packet);
    testsupport::WriteLock lock(*db_);
    QString text;
    try {
        wire::Array args = cancelArgs();
        net_.Call(QStringLiteral("SetCancelDel"), args);
    } catch (const EConnectionError& e) {
        text = e.Message();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("não respondeu à chamada de SetCancelDel em 0.3 s")))
        << text.toStdString();
}

}  // namespace
