// The nine remote methods through TRdmManuDelValor and TNetConnection against the real server
// on its demo data, on SQLite and (when configured) PostgreSQL: each answer has the layout the
// module loads, by-reference texts come back in their own places, and a save, a numbering and
// a cancellation go all the way through. The business rules themselves are the server's
// suite's concern.

#include "framework/net/netconnection.h"
#include "framework/units/core/check_result.h"
#include "modules/ate02700/contracts/rdm_manu_del_valor.h"
#include "tests/contracts/packet_access.h"
#include "tests/support/server_fixture.h"

#include <gtest/gtest.h>

using namespace contracts_test;
using testsupport::TestDatabase;

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kAirline = QStringLiteral("0001");
const QDateTime kFrom = wire::makeDateTime(2026, 11, 1);
const QDateTime kTo = wire::makeDateTime(2026, 11, 30);

class RemoteMethodsTest : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        demo_ = std::make_unique<testsupport::DemoServer>(GetParam());
        if (!demo_->available()) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        demo_->server().configure(net_);
    }

    wire::DataPacket deliveries()
    {
        return Consiste::CheckResultServ(rdm_.GetDelivery(kBranch, kAirline, kFrom, kTo), true, 0);
    }

    std::unique_ptr<testsupport::DemoServer> demo_;
    TNetConnection net_;
    TRdmManuDelValor rdm_{net_};
};

TEST_P(RemoteMethodsTest, ReadingMethodsAnswerTheLayoutsTheModuleLoads)
{
    const wire::DataPacket params = Consiste::CheckResultServ(rdm_.GetParamComis(kBranch), true, 0);
    ASSERT_EQ(params.fields.size(), 3u);
    ASSERT_EQ(params.rows.size(), 1u);
    EXPECT_EQ(text(params, 0, u"IDUTDELVALO"), QStringLiteral("S"));

    const wire::DataPacket list = deliveries();
    ASSERT_EQ(list.fields.size(), 20u);
    ASSERT_FALSE(list.rows.empty());
    // CAB's own deliveries and those of CRP (0006), which flies under CAB's contract there.
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const QString airline = text(list, r, u"CDCIA");
        EXPECT_TRUE(airline == kAirline || airline == QStringLiteral("0006")) << airline.toStdString();
    }

    const qint64 key = static_cast<qint64>(number(list, 0, u"NRDELIVERY"));
    const wire::DataPacket services =
        Consiste::CheckResultServ(rdm_.GetServicoDel(kBranch, QString::number(key)), true, 0);
    ASSERT_EQ(services.fields.size(), 46u);
    ASSERT_FALSE(services.rows.empty());
    EXPECT_EQ(static_cast<qint64>(number(services, 0, u"NRDELIVERY")), key);

    // By-reference texts come back each in its own place (distinct values show a mix-up).
    QString cia = text(list, 0, u"CDCIA");
    QString voo = text(list, 0, u"NRVOO");
    QString trecho = text(list, 0, u"CDTRECHO");
    const QString sentCia = cia, sentVoo = voo, sentTrecho = trecho;
    ASSERT_TRUE(sentCia != sentVoo && sentVoo != sentTrecho);
    const QDateTime flightDate = at(list, 0, u"DTHRPLAVOOPV").dateTime();
    const wire::DataPacket prices = Consiste::CheckResultServ(
        rdm_.CalculaPreco(kBranch, cia, voo, trecho, flightDate, text(services, 0, u"CDCLASSE"), flightDate,
                          text(services, 0, u"CDSERVICO"), number(services, 0, u"QTSERFATSP"),
                          text(services, 0, u"IDTIPMANUALSP"), number(services, 0, u"QTSESBYPRSP")),
        true, 0);
    ASSERT_EQ(prices.fields.size(), 3u);
    ASSERT_EQ(prices.rows.size(), 1u);
    EXPECT_EQ(cia, sentCia);
    EXPECT_EQ(voo, sentVoo);
    EXPECT_EQ(trecho, sentTrecho);

    QString searchCia = sentCia;
    const wire::DataPacket offered = Consiste::CheckResultServ(
        rdm_.GetPesqServico(kBranch, QString::number(key), searchCia, QString(), text(list, 0, u"IDTIPNACDEL")), true,
        0);
    EXPECT_EQ(offered.fields.size(), 11u);
    EXPECT_EQ(searchCia, sentCia);

    const wire::DataPacket places =
        Consiste::CheckResultServ(rdm_.GetLocalEmissDel(kBranch, QString(), QStringLiteral("T")), true, 0);
    EXPECT_EQ(places.fields.size(), 2u);
    EXPECT_EQ(places.rows.size(), 2u);
    const wire::DataPacket one =
        Consiste::CheckResultServ(rdm_.GetLocalEmissDel(kBranch, QStringLiteral("2"), QString()), true, 0);
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(text(one, 0, u"CDLOCALDELIV"), QStringLiteral("0002"));
}

TEST_P(RemoteMethodsTest, ASaveANumberingAndACancellationGoAllTheWay)
{
    const wire::DataPacket list = deliveries();
    // A national delivery without an invoice number, with at least two services.
    std::optional<std::size_t> row;
    for (std::size_t r = 0; r < list.rows.size() && !row; ++r)
        if (text(list, r, u"NRDELIVERYFA").isEmpty() && text(list, r, u"IDTIPNACDEL") != QLatin1String("2")) row = r;
    ASSERT_TRUE(row.has_value());
    const qint64 key = static_cast<qint64>(number(list, *row, u"NRDELIVERY"));
    const QString keyText = QString::number(key);
    const wire::DataPacket before = Consiste::CheckResultServ(rdm_.GetServicoDel(kBranch, keyText), true, 0);
    ASSERT_FALSE(before.rows.empty());

    const double quantity = number(before, 0, u"QTSERFATSP") + 3;
    const wire::ChangeSet raise = updateOf(
        before, 0, [&](const wire::ChangeSet& set, wire::Row& r) { setField(set, r, u"QTSERFATSP", quantity); });
    auto answer = Consiste::CheckResultServPackets(
        rdm_.SetServicoDel(raise, kBranch, key, text(list, *row, u"CDLOCAFATCIA"), kAirline, kFrom, kTo, QString()), 3,
        true, 0);
    ASSERT_EQ(answer[1].fields.size(), 20u);
    ASSERT_EQ(answer[2].fields.size(), 46u);
    for (std::size_t e = 0; e < answer[0].rows.size(); ++e)
        EXPECT_NE(text(answer[0], e, u"CDERRO"), QStringLiteral("ERRO_ATU"))
            << text(answer[0], e, u"CDOBJETO").toStdString();
    EXPECT_EQ(number(answer[2], 0, u"QTSERFATSP"), quantity);
    expectTotalsAddUp(answer[1], answer[2], key);

    // The rows of another delivery cannot travel inside this one's change set.
    const qint64 otherKey = static_cast<qint64>(number(list, *row == 0 ? 1 : 0, u"NRDELIVERY"));
    const wire::DataPacket other =
        Consiste::CheckResultServ(rdm_.GetServicoDel(kBranch, QString::number(otherKey)), true, 0);
    const wire::ChangeSet foreign = updateOf(other, 0, [&](const wire::ChangeSet& set, wire::Row& r) {
        setField(set, r, u"QTSERFATSP", number(other, 0, u"QTSERFATSP") + 5);
    });
    answer = Consiste::CheckResultServPackets(
        rdm_.SetServicoDel(foreign, kBranch, key, QString(), kAirline, kFrom, kTo, QString()), 3, true, 0);
    ASSERT_EQ(answer[0].rows.size(), 1u);
    EXPECT_EQ(text(answer[0], 0, u"CDERRO"), QStringLiteral("ERRO_ATU"));
    EXPECT_EQ(Consiste::CheckResultServ(rdm_.GetServicoDel(kBranch, QString::number(otherKey)), true, 0), other);

    // Numbering answers "true", which the check takes as success with nothing to load.
    const wire::DataPacket numbered =
        Consiste::CheckResultServ(rdm_.GeraNovoFatur(markedDeliveries({key}), QStringLiteral("0001")), true, 0);
    EXPECT_TRUE(numbered.rows.empty());
    const auto invoiceOf = [&](const wire::DataPacket& l) {
        for (std::size_t r = 0; r < l.rows.size(); ++r)
            if (static_cast<qint64>(number(l, r, u"NRDELIVERY")) == key) return text(l, r, u"NRDELIVERYFA");
        return QStringLiteral("<missing>");
    };
    EXPECT_FALSE(invoiceOf(deliveries()).isEmpty());

    const wire::DataPacket afterCancel =
        Consiste::CheckResultServ(rdm_.SetCancelDel(markedDeliveries({key}), kBranch, kAirline, kFrom, kTo), true, 0);
    EXPECT_EQ(afterCancel.fields.size(), 20u);
    EXPECT_TRUE(invoiceOf(afterCancel).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, RemoteMethodsTest,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });

}  // namespace
