// When the server may start: beyond loopback only with workstations defined or a network
// declared trusted; on loopback without workstations, as a single workstation always used it.
// And the TLS files it is given, checked before it listens.

#include "tests/server_net/raw_client.h"
#include "tests/server_security/security_support.h"

#include <gtest/gtest.h>

using securitytest::runServer;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

TEST(ListenPolicy, BeyondLoopbackTheServerNeedsWorkstationsOrATrustedNetwork)
{
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    const QStringList anyInterface{QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")};

    const securitytest::ServerRun refused =
        runServer(QStringList{QStringLiteral("serve"), QStringLiteral("--db"), db->url()} + anyInterface);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(
        refused.output.contains(QStringLiteral("Recusado escutar em 0.0.0.0 sem estações de trabalho cadastradas")))
        << refused.output.toStdString();
    EXPECT_TRUE(refused.output.contains(QStringLiteral("--trusted-network"))) << refused.output.toStdString();
    EXPECT_FALSE(refused.output.contains(QStringLiteral("listening on")));

    {
        // The administrator vouches for the network: served as on loopback.
        ServerProcess trusted(db->url(), anyInterface + QStringList{QStringLiteral("--trusted-network")});
        RawClient client(trusted.port());
        EXPECT_TRUE(client.open());
    }
    {
        // On loopback without workstations: as always, nothing to set up.
        ServerProcess loopback(db->url());
        RawClient client(loopback.port());
        EXPECT_TRUE(client.open());
    }

    const QString key = securitytest::addWorkstation(db->url(), QStringLiteral("CAIXA01"), QStringLiteral("1"));
    ServerProcess guarded(db->url(), anyInterface);
    RawClient anonymous(guarded.port());
    EXPECT_FALSE(anonymous.open());
    RawClient known(guarded.port());
    wire::OpenRequest open = validOpening();
    open.client = QStringLiteral("CAIXA01");
    open.key = key;
    known.send(open);
    const auto answer = known.receive();
    EXPECT_TRUE(answer && std::holds_alternative<wire::OpenAccepted>(*answer));
}

TEST(ListenPolicy, TlsFilesAreCheckedBeforeListening)
{
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    securitytest::Certificates certs;
    securitytest::Certificates other;
    const QStringList serve{QStringLiteral("serve"), QStringLiteral("--db"), db->url(), QStringLiteral("--listen"),
                            QStringLiteral("127.0.0.1:0")};

    const auto run = [&](const QStringList& extra) { return runServer(serve + extra); };
    securitytest::ServerRun r = run({QStringLiteral("--tls-cert"), certs.cert()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.contains(QStringLiteral("--tls-cert e --tls-key são dados juntos"))) << r.output.toStdString();

    r = run({QStringLiteral("--tls-cert=") + certs.cert(), QStringLiteral("--tls-key=") + other.key()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.output.contains(QStringLiteral("Chave privada TLS inválida"))) << r.output.toStdString();

    r = run({QStringLiteral("--tls-cert"), certs.key(), QStringLiteral("--tls-key"), certs.key()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.output.contains(QStringLiteral("Certificado TLS inválido"))) << r.output.toStdString();

    r = run(
        {QStringLiteral("--tls-cert"), certs.cert() + QStringLiteral("x"), QStringLiteral("--tls-key"), certs.key()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.output.contains(QStringLiteral("Arquivo TLS não encontrado"))) << r.output.toStdString();
}

}  // namespace
