// Floods a client can aim at the server: connections opened faster than an address may (each
// refused as it is accepted, at no more cost than the accept), and refusals by the thousand,
// which the log tells in a few lines and a count instead of a line each.

#include "tests/server_limits/limits_support.h"
#include "tests/server_limits/server_memory.h"
#include "tests/server_net/raw_client.h"
#include "tests/server_security/security_support.h"
#include "tests/support/server_fixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using limitstest::emptyDatabase;
using testsupport::ServerProcess;

namespace {

// The text of the error a fresh connection from `from` is answered with once it sends its
// opening; empty when the opening is accepted.
QString openingRefusal(quint16 port, const QString& from = {})
{
    RawClient client(port, from);
    client.send(validOpening());
    const auto answer = client.receive(5000);
    if (const auto* error = asError(answer)) return error->message;
    return answer && std::holds_alternative<wire::OpenAccepted>(*answer) ? QString() : QStringLiteral("(no answer)");
}

int linesWith(const QString& log, const QString& text) { return static_cast<int>(log.count(text)); }

// The numbers of the summary lines that hold `text` ("... N more refused in ...").
long long countedIn(const QString& log, const QString& text)
{
    static const QRegularExpression more(QStringLiteral(": (\\d+) more (refused|closed) in the last "));
    long long total = 0;
    for (const QString& line : log.split(QLatin1Char('\n')))
        if (line.contains(text))
            if (const auto m = more.match(line); m.hasMatch()) total += m.captured(1).toLongLong();
    return total;
}

bool waitForLog(const ServerProcess& server, const QString& text, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!server.log().contains(text)) {
        if (clock.elapsed() > timeoutMs) return false;
        QThread::msleep(50);
    }
    return true;
}

const QString kRateLine =
    QStringLiteral("refused: connections opened faster than 0.5 a second from one address (after 5 at once)");

TEST(OpeningRate, AnAddressPastItsBurstIsRefusedUntilItsRateAllowsAnotherAndOtherAddressesAreServed)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--connection-burst"), QStringLiteral("5"),
                                     QStringLiteral("--connection-rate"), QStringLiteral("0.5")});
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 5; ++i) {
        held.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(held.back()->open()) << i;
    }
    // The sixth at once: refused in words, and closed.
    {
        RawClient sixth(server.port());
        sixth.send(validOpening());
        const auto answer = sixth.receive(5000);
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_EQ(asError(answer)->message,
                  QStringLiteral("Este computador abriu conexões demais em pouco tempo (mais de 0.5 por segundo). "
                                 "Aguarde alguns segundos e tente novamente."));
        EXPECT_TRUE(sixth.waitClosed(5000));
    }
    // A refused connection does not spend the address's allowance: it is refused again at
    // once, and served once the rate has given it one opening back.
    EXPECT_FALSE(openingRefusal(server.port()).isEmpty());
    EXPECT_EQ(openingRefusal(server.port(), QStringLiteral("127.0.0.2")), QString()) << "another address";
    QThread::msleep(2100);
    EXPECT_EQ(openingRefusal(server.port()), QString()) << "after the rate gave one back";
    EXPECT_FALSE(openingRefusal(server.port()).isEmpty()) << "and only one";

    // The connections it holds are served all along.
    EXPECT_NE(asReply(std::optional(held[0]->call(1, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);
    const QString log = server.log();
    EXPECT_EQ(linesWith(log, kRateLine), 3) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("opened 5 at once then 0.5 a second"))) << log.toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(OpeningRate, AFloodOfOpeningsHoldsNoDescriptorNorWorkerAndLeavesTheServerToOthers)
{
    const auto db = emptyDatabase();
    ServerProcess server(
        db->url(), {QStringLiteral("--connection-burst"), QStringLiteral("3"), QStringLiteral("--connection-rate"),
                    QStringLiteral("0.5"), QStringLiteral("--threads"), QStringLiteral("1")});
    {
        RawClient warm(server.port(), QStringLiteral("127.0.0.2"));
        ASSERT_TRUE(warm.open());
        ASSERT_NE(asReply(std::optional(warm.call(1, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);
    }
    QThread::msleep(200);
    const int base = serverprobe::openDescriptors(server.pid());

    // 150 connections that send their opening and then keep their socket open without
    // reading: a refusal the server had to see through (answer, wait for the client to go)
    // would hold a descriptor each for seconds.
    std::vector<std::unique_ptr<RawClient>> flood;
    for (int i = 0; i < 150; ++i) {
        flood.push_back(std::make_unique<RawClient>(server.port(), QStringLiteral("127.0.0.3")));
        flood.back()->send(validOpening());
    }
    QThread::msleep(300);
    const int during = serverprobe::openDescriptors(server.pid());
    EXPECT_LE(during - base, 3 + 2) << "descriptors held by the flood";
    int closed = 0;
    for (auto& client : flood) closed += client->waitClosed(50) ? 1 : 0;
    EXPECT_GE(closed, 145);
    EXPECT_EQ(openingRefusal(server.port(), QStringLiteral("127.0.0.4")), QString()) << "another address, meanwhile";
    EXPECT_EQ(server.stop(), 0);
}

TEST(OpeningRate, WithTlsAConnectionOpenedTooSoonIsClosedBeforeAnyHandshake)
{
    const securitytest::Certificates certs;
    const auto db = emptyDatabase();
    QStringList args = certs.serveArguments();
    args << QStringLiteral("--connection-burst") << QStringLiteral("2") << QStringLiteral("--connection-rate")
         << QStringLiteral("0.5");
    ServerProcess server(db->url(), args);
    // Within the burst, a plain client is served far enough to be told, in plain words, that
    // the server takes only encrypted connections: a worker looked at its bytes.
    for (int i = 0; i < 2; ++i) {
        RawClient plain(server.port());
        plain.send(validOpening());
        const auto answer = plain.receive(5000);
        ASSERT_NE(asError(answer), nullptr) << i;
        EXPECT_TRUE(asError(answer)->message.contains(QStringLiteral("conexões cifradas (TLS)")));
    }
    // Past it: closed as accepted, without a byte (a text would need the handshake first).
    RawClient third(server.port());
    third.send(validOpening());
    EXPECT_FALSE(third.receive(5000).has_value());
    EXPECT_TRUE(third.waitClosed(1000));
    EXPECT_TRUE(server.log().contains(
        QStringLiteral("refused: connections opened faster than 0.5 a second from one address (after 2 at once)")))
        << server.log().toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(RefusalLog, EachKindWritesSoManyLinesAnIntervalAndCountsTheRestInOneLineWhenItEnds)
{
    const auto db = emptyDatabase();
    ServerProcess server(
        db->url(), {QStringLiteral("--refusal-log-lines"), QStringLiteral("3"),
                    QStringLiteral("--refusal-log-interval"), QStringLiteral("3"), QStringLiteral("--connection-burst"),
                    QStringLiteral("40"), QStringLiteral("--connection-rate"), QStringLiteral("0.1")});
    const QString badLine = QStringLiteral("refused: A conexão deve começar pela mensagem de abertura");
    const QString badSummary = QStringLiteral("refused: invalid messages: ");
    const QString rateLine = QStringLiteral("refused: connections opened faster than 0.1 a second");

    // 30 connections each refused for a call before its opening; each one still gets its answer.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 30; ++i) {
        RawClient client(server.port());
        client.send(paramComis(1, QStringLiteral("0001")));
        const auto answer = client.receive(5000);
        ASSERT_NE(asError(answer), nullptr) << i;
    }
    // Meanwhile another kind, from another address: past its burst of 40, refused at once.
    std::vector<std::unique_ptr<RawClient>> others;
    for (int i = 0; i < 42; ++i)
        others.push_back(std::make_unique<RawClient>(server.port(), QStringLiteral("127.0.0.2")));
    const bool withinOneInterval = clock.elapsed() < 2500;

    // The count comes when the interval ends, with nothing else logged to bring it.
    ASSERT_TRUE(waitForLog(server, badSummary, 10'000)) << server.log().toStdString();
    QString log = server.log();
    EXPECT_EQ(linesWith(log, badLine) + countedIn(log, badSummary), 30) << log.toStdString();
    if (withinOneInterval) {
        EXPECT_EQ(linesWith(log, badLine), 3) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("refused: invalid messages: 27 more refused in the last 3 s")))
            << log.toStdString();
    }
    EXPECT_EQ(linesWith(log, rateLine), 2) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("connections opened too fast from one address: "))) << log.toStdString();

    // A new interval: the next refusal is written again.
    const int before = linesWith(log, badLine);
    {
        RawClient client(server.port());
        client.send(paramComis(1, QStringLiteral("0001")));
        ASSERT_NE(asError(client.receive(5000)), nullptr);
    }
    QElapsedTimer wait;
    wait.start();
    while (linesWith(server.log(), badLine) == before && wait.elapsed() < 5000) QThread::msleep(50);
    EXPECT_EQ(linesWith(server.log(), badLine), before + 1) << server.log().toStdString();

    // Cut short by a stop, an interval still tells what it counted.
    for (int i = 0; i < 4; ++i) {
        RawClient client(server.port());
        client.send(paramComis(1, QStringLiteral("0001")));
        ASSERT_NE(asError(client.receive(5000)), nullptr);
    }
    EXPECT_EQ(server.stop(), 0);
    log = server.log();
    EXPECT_EQ(linesWith(log, badLine), before + 3) << log.toStdString();
    EXPECT_EQ(linesWith(log, badLine) + countedIn(log, badSummary), 35) << log.toStdString();
}

}  // namespace
