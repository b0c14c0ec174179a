// The connection limits hold for TLS connections as for plain ones: a handshake that stalls
// is cut at the frame deadline, a connection over the cap is refused in words the
// workstation can read over the encrypted link, and a refused connection waiting for its
// handshake costs the server no processor time.

#include "tests/server_net/raw_client.h"
#include "tests/server_security/security_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using securitytest::Certificates;
using securitytest::connectionErrorOf;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

// User and system processor time of process `pid`, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold blanks) start after its ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

TEST(TlsLimits, AStalledHandshakeIsCutAtTheFrameDeadlineAndOthersAreServed)
{
    Certificates certs;
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    QStringList args = certs.serveArguments();
    args << QStringLiteral("--frame-timeout") << QStringLiteral("0.5");
    ServerProcess server(db->url(), args);

    // The first bytes of a TLS record, and then nothing: well before the 30 s idle time.
    RawClient stalled(server.port());
    stalled.send(QByteArray::fromHex("160301"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(stalled.waitClosed(5'000));
    EXPECT_LT(clock.elapsed(), 4'000);
    EXPECT_TRUE(server.log().contains(QStringLiteral("closed: the TLS handshake did not end within 0.5 s")))
        << server.log().toStdString();

    // A connection that has sent nothing yet is only idle, and a workstation that completes
    // its handshake is served.
    RawClient quiet(server.port());
    QThread::msleep(800);
    EXPECT_TRUE(quiet.socket().state() == QAbstractSocket::ConnectedState);
    TNetConnection net;
    securitytest::configure(net, server, {}, {}, certs.ca());
    wire::Array call{QString("0001")};
    EXPECT_NO_THROW(net.Call(QStringLiteral("GetParamComis"), call));
}

TEST(TlsLimits, AConnectionOverTheCapIsToldWhyOverTheEncryptedLinkWithoutBusyingTheServer)
{
    Certificates certs;
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    QStringList args = certs.serveArguments();
    args << QStringLiteral("--max-connections-per-address") << QStringLiteral("1") << QStringLiteral("--threads")
         << QStringLiteral("1");
    ServerProcess server(db->url(), args);

    TNetConnection first;
    securitytest::configure(first, server, {}, {}, certs.ca());
    wire::Array call{QString("0001")};
    ASSERT_NO_THROW(first.Call(QStringLiteral("GetParamComis"), call));

    // Refused at accept, its answer waits for a handshake that does not come.
    RawClient silent(server.port());
    QThread::msleep(200);
    const qint64 before = cpuTicks(server.pid());
    QThread::msleep(1'500);
    const qint64 spent = cpuTicks(server.pid()) - before;
    ASSERT_GE(before, 0);
    EXPECT_LT(spent, 30) << "ticks of processor time while a refused connection waited";

    TNetConnection second;
    securitytest::configure(second, server, {}, {}, certs.ca());
    second.SetConnectTimeout(4'000);
    const QString text = connectionErrorOf([&] { second.Open(); });
    EXPECT_TRUE(text.contains(QStringLiteral("Este computador atingiu o limite de 1 conexões simultâneas")))
        << text.toStdString();
    EXPECT_NO_THROW(first.Call(QStringLiteral("GetParamComis"), call));
}

}  // namespace
