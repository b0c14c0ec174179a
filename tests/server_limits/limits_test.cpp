// Limits the server holds against clients that would pin its memory: a frame must arrive
// whole in time, connections are capped in all and per address, bytes held for messages are
// capped across connections, a decoded call stays within a multiple of its frame, and a list
// too large for one answer is refused with a text the operator can act on.

#include "tests/server_limits/limits_support.h"
#include "tests/server_limits/server_memory.h"
#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include "framework/wire/cbor_reader.h"
#include "framework/wire/cbor_writer.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using limitstest::emptyDatabase;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

// A small call answered on a fresh connection.
bool servesAFreshClient(quint16 port)
{
    RawClient client(port);
    return client.open() && asReply(std::optional(client.call(99, QStringLiteral("GetParamComis"), {QString("0001")})));
}

TEST(FrameDeadline, ASlowSenderIsCutOffWhileAFrameSentInPartsInTimeIsServed)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--frame-timeout"), QStringLiteral("1")});

    // A byte every 200 ms: never idle, never done.
    RawClient slow(server.port());
    ASSERT_TRUE(slow.open());
    slow.send(header(1000) + QByteArray(10, 'a'));
    QElapsedTimer clock;
    clock.start();
    std::optional<wire::Message> answer;
    while (!answer && clock.elapsed() < 6000) {
        slow.send(QByteArray(1, 'b'));
        answer = slow.receive(200);
    }
    ASSERT_NE(asError(answer), nullptr) << "still connected after " << clock.elapsed() << " ms";
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(asError(answer)->message.contains(QStringLiteral("não chegou inteira em 1 s")))
        << asError(answer)->message.toStdString();
    EXPECT_TRUE(slow.waitClosed(5000));
    EXPECT_TRUE(server.log().contains(QStringLiteral("closed: a message did not arrive whole within 1 s")));

    // Two parts 400 ms apart are within the deadline.
    RawClient steady(server.port());
    ASSERT_TRUE(steady.open());
    const QByteArray frame = wire::encodeFrame(paramComis(5, QStringLiteral("0001")));
    steady.send(frame.left(10));
    QThread::msleep(400);
    steady.send(frame.mid(10));
    const auto reply = steady.receive();
    ASSERT_NE(asReply(reply), nullptr);
    EXPECT_EQ(asReply(reply)->id, 5);
    EXPECT_EQ(server.stop(), 0);
}

TEST(ConnectionCaps, TheExcessIsRefusedWithATextInAllAndPerAddressAndFreedPlacesServeAgain)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--max-connections"), QStringLiteral("5"),
                                     QStringLiteral("--max-connections-per-address"), QStringLiteral("3")});
    std::vector<std::unique_ptr<RawClient>> local;
    for (int i = 0; i < 3; ++i) {
        local.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(local.back()->open()) << i;
    }
    {
        RawClient fourth(server.port());
        fourth.send(validOpening());
        const auto answer = fourth.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_TRUE(asError(answer)->message.contains(QStringLiteral("limite de 3 conexões simultâneas")))
            << asError(answer)->message.toStdString();
        EXPECT_TRUE(fourth.waitClosed());
    }
    std::vector<std::unique_ptr<RawClient>> other;
    for (int i = 0; i < 2; ++i) {
        other.push_back(std::make_unique<RawClient>(server.port(), QStringLiteral("127.0.0.2")));
        ASSERT_TRUE(other.back()->open()) << i;
    }
    {
        RawClient sixth(server.port(), QStringLiteral("127.0.0.3"));
        sixth.send(validOpening());
        const auto answer = sixth.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_TRUE(asError(answer)->message.contains(QStringLiteral("limite de 5 conexões simultâneas")))
            << asError(answer)->message.toStdString();
        EXPECT_TRUE(sixth.waitClosed());
    }
    // Those served are served as before.
    EXPECT_NE(asReply(std::optional(local[0]->call(1, QStringLiteral("GetParamComis"), {QString("0001")}))), nullptr);

    // A place freed is taken again.
    local.pop_back();
    bool served = false;
    for (int attempt = 0; attempt < 30 && !served; ++attempt) {
        QThread::msleep(100);
        RawClient again(server.port());
        served = again.open();
    }
    EXPECT_TRUE(served);
    const QString log = server.log();
    EXPECT_TRUE(log.contains(QStringLiteral("refused: the limit of 3 connections from one address is reached")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("refused: the server's limit of 5 connections is reached")))
        << log.toStdString();
    EXPECT_EQ(server.stop(), 0);
}

TEST(BufferedBytes, InputPastTheServersLimitIsRefusedAndTheRoomComesBackWhenFreed)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url(), {QStringLiteral("--max-buffered"), QStringLiteral("1048576")});
    // Calls of about 400 kB, each held back after 350 kB: each connection holds 400 kB, of
    // which all but its allowance is drawn from the 1 MiB the server may hold.
    const QString text(400'000, QLatin1Char('x'));
    const QByteArray frame = wire::encodeFrame(paramComis(1, text));
    const QByteArray part = frame.left(350 * 1024);
    std::vector<std::unique_ptr<RawClient>> senders;
    for (int i = 0; i < 3; ++i) {
        senders.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(senders.back()->open());
        senders.back()->send(part);
        QThread::msleep(200);
        EXPECT_FALSE(senders.back()->receive(100).has_value()) << "sender " << i << " was answered";
    }
    {
        RawClient fourth(server.port());
        ASSERT_TRUE(fourth.open());
        fourth.send(part);
        const auto answer = fourth.receive();
        ASSERT_NE(asError(answer), nullptr);
        EXPECT_TRUE(asError(answer)->message.startsWith(QStringLiteral("Servidor ocupado")))
            << asError(answer)->message.toStdString();
        EXPECT_TRUE(fourth.waitClosed());
    }
    EXPECT_TRUE(servesAFreshClient(server.port()));

    // Two of them leave: another large call gets in, and the first completes and is answered.
    senders.resize(1);
    QThread::msleep(300);
    RawClient later(server.port());
    ASSERT_TRUE(later.open());
    later.send(part);
    EXPECT_FALSE(later.receive(300).has_value());
    senders[0]->send(frame.mid(part.size()));
    const auto reply = senders[0]->receive();
    ASSERT_NE(asReply(reply), nullptr);
    EXPECT_EQ(asReply(reply)->args, wire::Array{text});
    EXPECT_TRUE(server.log().contains(QStringLiteral("refused: the limit of bytes held for messages is reached")));
    EXPECT_EQ(server.stop(), 0);
}

TEST(DecodedCalls, ACallThatWouldTakeFarMoreMemoryThanItsSizeIsRefusedBeforeItDoes)
{
    const auto db = emptyDatabase();
    ServerProcess server(db->url());
    RawClient client(server.port());
    ASSERT_TRUE(client.open());
    const qint64 before = serverprobe::peakResidentBytes(server.pid());
    // A million empty arrays: one byte each on the wire, about a hundred in memory.
    QByteArray body;
    wire::detail::CborWriter writer(body);
    writer.head(wire::detail::kMap, 4);
    writer.ascii("id");
    writer.integer(1);
    writer.ascii("op");
    writer.ascii("call");
    writer.ascii("method");
    writer.ascii("GetParamComis");
    writer.ascii("args");
    writer.head(wire::detail::kArray, 1);
    writer.head(wire::detail::kArray, 1'000'000);
    body.append(QByteArray(1'000'000, '\x80'));
    client.send(wire::frameBody(body));
    const auto answer = client.receive();
    ASSERT_NE(asError(answer), nullptr);
    EXPECT_TRUE(asError(answer)->message.contains(QStringLiteral("of memory once decoded")))
        << asError(answer)->message.toStdString();
    EXPECT_TRUE(client.waitClosed());
    const qint64 grown = serverprobe::peakResidentBytes(server.pid()) - before;
    EXPECT_LT(grown, 40 * 1024 * 1024) << "peak grew by " << grown << " bytes";
    EXPECT_TRUE(servesAFreshClient(server.port()));
    EXPECT_EQ(server.stop(), 0);
}

TEST(DecodedCalls, DeliveryLikePacketsDecodeWellWithinTheFactorTheServerAllows)
{
    wire::DataPacket packet;
    for (int f = 0; f < 20; ++f)
        packet.fields.push_back({QStringLiteral("F%1").arg(f),
                                 f % 3 == 0 ? wire::FieldType::String : wire::FieldType::Float, f % 3 == 0 ? 4 : 0});
    for (int r = 0; r < 20'000; ++r) {
        wire::Row row;
        for (int f = 0; f < 20; ++f)
            row.push_back(f % 3 == 0 ? wire::Value(QStringLiteral("%1").arg(r % 97)) : wire::Value(r * 1.25 + f));
        packet.rows.push_back(std::move(row));
    }
    const QByteArray body =
        wire::encodeMessage(wire::CallRequest{1, QStringLiteral("GeraNovoFatur"), {packet, QString("01")}});
    qsizetype decoded = 0;
    const wire::Message message = wire::decodeMessage(body, {}, decoded);
    ASSERT_TRUE(std::holds_alternative<wire::CallRequest>(message));
    EXPECT_GT(decoded, body.size());
    EXPECT_LT(decoded, 16 * body.size()) << decoded << " bytes decoded from " << body.size();
    // And the same limit refuses it when set below.
    wire::Limits tight;
    tight.maxDecodedBytes = decoded / 2;
    EXPECT_THROW(wire::decodeMessage(body, tight), wire::WireMemoryError);
}

TEST(FrameReaderMemory, AFrameReceivedInSmallPiecesTakesNoMoreThanItsOwnSize)
{
    const QByteArray frame = wire::encodeFrame(paramComis(1, QString(3'000'000, QLatin1Char('y'))));
    wire::FrameReader reader;
    qsizetype most = 0;
    for (qsizetype at = 0; at < frame.size(); at += 1500) {
        const qsizetype n = std::min<qsizetype>(1500, frame.size() - at);
        EXPECT_EQ(reader.capacityAfter(n) >= reader.capacity(), true);
        const qsizetype predicted = reader.capacityAfter(n);
        reader.append(QByteArrayView(frame.constData() + at, n));
        ASSERT_EQ(reader.capacity(), predicted) << at;
        most = std::max(most, reader.capacity());
    }
    EXPECT_LE(most, frame.size());
    const auto body = reader.takeFrame();
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->size(), frame.size() - 4);
    EXPECT_EQ(reader.capacity(), 0);
}

class WideLists : public ::testing::TestWithParam<TestDatabase::Engine> {};

TEST_P(WideLists, ADeliveryListTooLargeForOneAnswerAsksForFewerDays)
{
    testsupport::DemoServer demo(GetParam(), {QStringLiteral("--max-frame"), QStringLiteral("2048")});
    if (!demo.available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    RawClient client(demo.server().port());
    ASSERT_TRUE(client.open());
    const auto month = std::optional(client.call(
        1, QStringLiteral("GetDelivery"),
        {QString("0001"), QString("0001"), wire::makeDateTime(2026, 11, 1), wire::makeDateTime(2026, 11, 30)}));
    ASSERT_NE(asError(month), nullptr);
    EXPECT_EQ(asError(month)->message,
              QStringLiteral("A lista de deliveries de 01/11/2026 a 30/11/2026 passa do limite de 2048 bytes por "
                             "mensagem do servidor. Informe um período menor."));
    const auto day = std::optional(client.call(
        2, QStringLiteral("GetDelivery"),
        {QString("0001"), QString("0001"), wire::makeDateTime(2026, 11, 5), wire::makeDateTime(2026, 11, 5)}));
    ASSERT_NE(asReply(day), nullptr);
    EXPECT_GT(asReply(day)->result.packet().rows.size(), 0u);
}

TEST_P(WideLists, ACancellationWhoseListIsTooLargeIsRefusedWholeAndNothingIsTakenBack)
{
    testsupport::DemoServer demo(GetParam(), {QStringLiteral("--max-frame"), QStringLiteral("2048")});
    if (!demo.available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    testsupport::DirectConnection direct(demo.database());
    const QString invoiced = QStringLiteral(
        "SELECT %1 FROM DELIVERY WHERE CDFILIAL = '0001' AND NRDELIVERYFA IS NOT NULL "
        "ORDER BY NRDELIVERY");
    const double delivery = direct.scalar(invoiced.arg(QStringLiteral("NRDELIVERY"))).toDouble();
    const QString airline = direct.scalar(invoiced.arg(QStringLiteral("CDCIA"))).toString();
    const QDateTime flown = direct.scalar(invoiced.arg(QStringLiteral("DTHRPLAVOOPV"))).toDateTime();
    ASSERT_GT(delivery, 0);
    const QString numberOf = QStringLiteral("SELECT NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = %1").arg(delivery);
    const QVariant number = direct.scalar(numberOf);

    wire::DataPacket marked;
    marked.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    marked.rows.push_back({QString("S"), delivery});
    RawClient client(demo.server().port());
    ASSERT_TRUE(client.open());
    const auto month = std::optional(client.call(
        1, QStringLiteral("SetCancelDel"),
        {marked, QString("0001"), airline, wire::makeDateTime(2026, 11, 1), wire::makeDateTime(2026, 11, 30)}));
    ASSERT_NE(asError(month), nullptr);
    EXPECT_TRUE(asError(month)->message.contains(QStringLiteral("Informe um período menor")))
        << asError(month)->message.toStdString();
    EXPECT_EQ(direct.scalar(numberOf), number);

    const QDateTime day = wire::makeDateTime(flown.date().year(), flown.date().month(), flown.date().day());
    const auto oneDay =
        std::optional(client.call(2, QStringLiteral("SetCancelDel"), {marked, QString("0001"), airline, day, day}));
    ASSERT_NE(asReply(oneDay), nullptr);
    EXPECT_TRUE(direct.scalar(numberOf).isNull());
}

INSTANTIATE_TEST_SUITE_P(Engines, WideLists,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
