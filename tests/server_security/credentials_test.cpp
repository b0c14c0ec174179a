// Workstation credentials against the real server: who is let in, who is refused and closed,
// what the log says (never the key), and the administration commands that manage them.

#include "tests/server_net/raw_client.h"
#include "tests/server_security/security_support.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

using securitytest::connectionErrorOf;
using securitytest::runServer;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

wire::OpenRequest opening(std::optional<QString> client, std::optional<QString> key)
{
    wire::OpenRequest open = validOpening();
    open.client = std::move(client);
    open.key = std::move(key);
    return open;
}

class Credentials : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::create(GetParam());
        if (!db_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        testsupport::initDatabase(db_->url(), {});
        key1_ = securitytest::addWorkstation(db_->url(), QStringLiteral("CAIXA01"), QStringLiteral("1"));
        key2_ = securitytest::addWorkstation(db_->url(), QStringLiteral("CAIXA02"), QStringLiteral("0001,0002"));
        server_ = std::make_unique<ServerProcess>(db_->url());
    }

    // The opening is refused with a text containing `expected`, and the server closes.
    void expectRefused(const wire::OpenRequest& open, const QString& expected)
    {
        RawClient client(server_->port());
        client.send(open);
        const auto answer = client.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_FALSE(asError(answer)->id.has_value());
        EXPECT_TRUE(asError(answer)->message.contains(expected)) << asError(answer)->message.toStdString();
        EXPECT_TRUE(client.waitClosed(5'000));
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ServerProcess> server_;
    QString key1_, key2_;
};

TEST_P(Credentials, OnlyAKnownWorkstationWithItsKeyIsServedAndTheLogNeverShowsAKey)
{
    EXPECT_EQ(key1_.size(), 43);
    EXPECT_NE(key1_, key2_);

    TNetConnection net;
    securitytest::configure(net, *server_, QStringLiteral("CAIXA01"), key1_);
    wire::Array args{QString("0001")};
    EXPECT_EQ(net.Call(QStringLiteral("GetParamComis"), args).kind(), wire::Value::Kind::Packet);

    const QString generic = QStringLiteral("nome ou chave inválidos");
    expectRefused(opening(std::nullopt, std::nullopt), QStringLiteral("só atende estações de trabalho cadastradas"));
    expectRefused(opening(QStringLiteral("CAIXA01"), std::nullopt), QStringLiteral("não informou sua chave"));
    expectRefused(opening(QStringLiteral("CAIXA01"), QString()), QStringLiteral("não informou sua chave"));
    expectRefused(opening(QStringLiteral("CAIXA01"), key2_), generic);
    expectRefused(opening(QStringLiteral("CAIXA01"), key1_.left(42)), generic);
    expectRefused(opening(QStringLiteral("CAIXA09"), key1_), generic);
    expectRefused(opening(std::nullopt, key1_), QStringLiteral("chave sem o nome"));

    // The operator is told the cause.
    TNetConnection wrong;
    securitytest::configure(wrong, *server_, QStringLiteral("CAIXA02"), key1_);
    const QString refusal = connectionErrorOf([&] { wrong.Open(); });
    EXPECT_TRUE(refusal.contains(QStringLiteral("recusou a conexão"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(generic)) << refusal.toStdString();

    const QString log = server_->log();
    EXPECT_TRUE(log.contains(
        QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\d+ refused: workstation \"CAIXA01\": wrong key"))))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("workstation \"CAIXA09\": unknown"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:\\d+/CAIXA01 GetParamComis"))))
        << log.toStdString();
    EXPECT_FALSE(log.contains(key1_));
    EXPECT_FALSE(log.contains(key1_.left(42)));
    EXPECT_FALSE(log.contains(key2_));
    // Nothing in the database reveals a key either.
    testsupport::DirectConnection direct(*db_);
    for (const QVariant& v : direct.column(QStringLiteral("SELECT DSHASHCHAVE || DSSALCHAVE FROM ESTACAOTRAB")))
        EXPECT_FALSE(v.toString().contains(key1_));
}

TEST_P(Credentials, ARevokedWorkstationIsRefusedEvenOnAnOpenServerAndRevokingTheLastKeepsKeysRequired)
{
    TNetConnection net;
    securitytest::configure(net, *server_, QStringLiteral("CAIXA01"), key1_);
    net.Open();

    ASSERT_EQ(runServer({QStringLiteral("client"), QStringLiteral("revoke"), QStringLiteral("CAIXA01"),
                         QStringLiteral("--db"), db_->url()})
                  .exitCode,
              0);
    ASSERT_EQ(runServer({QStringLiteral("client"), QStringLiteral("revoke"), QStringLiteral("CAIXA02"),
                         QStringLiteral("--db"), db_->url()})
                  .exitCode,
              0);
    // A new connection, on the server that kept running.
    net.Close();
    const QString refusal = connectionErrorOf([&] { net.Open(); });
    EXPECT_TRUE(refusal.contains(QStringLiteral("\"CAIXA01\" foi revogada"))) << refusal.toStdString();
    // Every workstation revoked: still no way in without credentials.
    expectRefused(opening(std::nullopt, std::nullopt), QStringLiteral("só atende estações de trabalho cadastradas"));

    const securitytest::ServerRun list =
        runServer({QStringLiteral("client"), QStringLiteral("list"), QStringLiteral("--db"), db_->url()});
    EXPECT_TRUE(list.output.contains(QRegularExpression(QStringLiteral("CAIXA01\\s+filiais 0001\\s+revogada"))))
        << list.output.toStdString();
    EXPECT_TRUE(list.output.contains(QRegularExpression(QStringLiteral("CAIXA02\\s+filiais 0001,0002\\s+revogada"))))
        << list.output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, Credentials,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

TEST(CredentialsThrottle, RepeatedFailuresFromOneAddressAreSlowedDownEvenForTheRightKey)
{
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    const QString key = securitytest::addWorkstation(db->url(), QStringLiteral("CAIXA01"), QStringLiteral("*"));
    ServerProcess server(db->url());

    const auto attempt = [&](const QString& k) {
        RawClient client(server.port());
        client.send(opening(QStringLiteral("CAIXA01"), k));
        const auto answer = client.receive();
        return answer && std::holds_alternative<wire::OpenAccepted>(*answer);
    };
    // The first failures cost nothing extra; a right key is let in at once.
    ASSERT_TRUE(attempt(key));
    for (int i = 0; i < 6; ++i) ASSERT_FALSE(attempt(QStringLiteral("guess-%1").arg(i)));
    // From now on each attempt from this address waits its turn, however good its key.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(attempt(key));
    EXPECT_TRUE(attempt(key));
    EXPECT_GE(clock.elapsed(), 1'000) << "two attempts after six failures should wait at least 1 s in all";
}

TEST(WorkstationAdministration, MistakesAreRefusedAndBranchesChangeForTheNextCall)
{
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    const QString url = db->url();
    const auto run = [&](QStringList args) {
        args << QStringLiteral("--db") << url;
        return runServer(args);
    };
    const QString key = securitytest::addWorkstation(url, QStringLiteral("CAIXA01"), QStringLiteral("0001"));

    struct Case {
        QStringList args;
        int exitCode;
        const char* said;
    };
    const Case cases[] = {
        {{QStringLiteral("client"), QStringLiteral("add"), QStringLiteral("CAIXA01"), QStringLiteral("--branches=2")},
         1,
         "já está cadastrada"},
        {{QStringLiteral("client"), QStringLiteral("add"), QStringLiteral("CAIXA 3"), QStringLiteral("--branches"),
          QStringLiteral("1")},
         1,
         "Nome de estação inválido"},
        {{QStringLiteral("client"), QStringLiteral("add"), QStringLiteral("CAIXA03")}, 2, "exige --branches"},
        {{QStringLiteral("client"), QStringLiteral("add"), QStringLiteral("CAIXA03"), QStringLiteral("--branches"),
          QStringLiteral("0001,")},
         2,
         "código de filial inválido"},
        {{QStringLiteral("client"), QStringLiteral("revoke"), QStringLiteral("CAIXA09")}, 1, "não cadastrada"},
        {{QStringLiteral("client"), QStringLiteral("branches"), QStringLiteral("CAIXA01")},
         2,
         "exige o nome da estação e as filiais"},
        {{QStringLiteral("client"), QStringLiteral("rename"), QStringLiteral("CAIXA01")}, 2, "Ação desconhecida"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const securitytest::ServerRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output.toStdString();
        EXPECT_TRUE(r.output.contains(QString::fromUtf8(c.said))) << r.output.toStdString();
        EXPECT_FALSE(r.output.contains(key));
    }

    ServerProcess server(url);
    TNetConnection net;
    securitytest::configure(net, server, QStringLiteral("CAIXA01"), key);
    wire::Array args{QString("0002")};
    EXPECT_THROW(net.Call(QStringLiteral("GetParamComis"), args), EServerError);
    ASSERT_EQ(
        run({QStringLiteral("client"), QStringLiteral("branches"), QStringLiteral("CAIXA01"), QStringLiteral("1,2")})
            .exitCode,
        0);
    // Branches are read at the opening: a new connection sees the change.
    net.Close();
    args = {QString("0002")};
    EXPECT_EQ(net.Call(QStringLiteral("GetParamComis"), args).kind(), wire::Value::Kind::Packet);
}

}  // namespace
