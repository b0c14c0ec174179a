// TLS as the desktop host uses it: on the user-interface thread TNetConnection waits in an
// event loop, woken by the socket's signals. A refusal the server sends just before its
// closing alert must wake it like any answer.

#include "tests/server_security/security_support.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using securitytest::Certificates;
using securitytest::connectionErrorOf;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

TEST(TlsOnTheInterfaceThread, RefusalsAndCallsArriveWithoutWaitingForTheTimeout)
{
    Certificates certs;
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    const QString key = securitytest::addWorkstation(db->url(), QStringLiteral("CAIXA01"), QStringLiteral("1"));
    ServerProcess server(db->url(), certs.serveArguments());

    TNetConnection net;
    net.SetConnectTimeout(4'000);
    securitytest::configure(net, server, QStringLiteral("CAIXA01"), QStringLiteral("wrong"), certs.ca());
    QElapsedTimer clock;
    clock.start();
    const QString text = connectionErrorOf([&] { net.Open(); });
    EXPECT_LT(clock.elapsed(), 3'000);
    EXPECT_TRUE(text.contains(QStringLiteral("nome ou chave inválidos"))) << text.toStdString();

    securitytest::configure(net, server, QStringLiteral("CAIXA01"), key, certs.ca());
    wire::Array args{QString("0001")};
    EXPECT_NO_THROW(net.Call(QStringLiteral("GetParamComis"), args));
}

}  // namespace
