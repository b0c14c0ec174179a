// The read methods: branch parameters, deliveries by whole days, services of a delivery, the
// service search and the emission places, each answering the client's record layout.

#include "server/record_layouts.h"
#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

using Reads = ServerCoreTest;

std::vector<double> keys(const wire::DataPacket& p, const char* field = "NRDELIVERY")
{
    std::vector<double> list;
    for (std::size_t r = 0; r < p.rows.size(); ++r) list.push_back(number(p, r, field));
    return list;
}

QStringList texts(const wire::DataPacket& p, const char* field)
{
    QStringList list;
    for (std::size_t r = 0; r < p.rows.size(); ++r) list << text(p, r, field);
    return list;
}

TEST_P(Reads, BranchParametersOfAKnownBranchOnly)
{
    const wire::DataPacket p = call(QStringLiteral("GetParamComis"), {QStringLiteral("0001")}).packet();
    EXPECT_EQ(p.fields, server::layout::branchParams());
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(text(p, 0, "IDUTDELVALO"), QStringLiteral("S"));
    EXPECT_EQ(text(p, 0, "IDALTERDELIV"), QStringLiteral("S"));
    EXPECT_EQ(text(p, 0, "IDINTATEPCP"), QStringLiteral("S"));

    // A code typed short is fitted like the client fits it; the general flag is shared.
    exec(QStringLiteral("UPDATE PARAMGERAL SET IDALTERDELIV = 'N'"));
    const wire::DataPacket other = call(QStringLiteral("GetParamComis"), {QStringLiteral("2")}).packet();
    ASSERT_EQ(other.rows.size(), 1u);
    EXPECT_EQ(text(other, 0, "IDUTDELVALO"), QStringLiteral("N"));
    EXPECT_EQ(text(other, 0, "IDALTERDELIV"), QStringLiteral("N"));

    EXPECT_TRUE(call(QStringLiteral("GetParamComis"), {QStringLiteral("0009")}).packet().rows.empty());
}

TEST_P(Reads, DeliveriesOfWholeDaysInKeyOrderWithTheDeliveryLayout)
{
    // One day: from midnight to the last moment of the day, whatever the times sent.
    exec(
        QStringLiteral("INSERT INTO PLANOVOO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, QTPAX) VALUES "
                       "('0001', '0001', '100', '0001', '2026-11-10 23:59:59.999', 10)"));
    exec(
        QStringLiteral("INSERT INTO DELIVERY (NRDELIVERY, CDFILIAL, NUMERO, CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                       "IDTIPNACDEL, NRMAXSERVDEL) VALUES (99, '0001', '000099/2026', '0001', '100', '0001', "
                       "'2026-11-10 23:59:59.999', '1', 12)"));
    const wire::DataPacket day =
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(10, 15), at(10, 9)})
            .packet();
    EXPECT_EQ(day.fields, server::layout::delivery());
    EXPECT_EQ(keys(day), (std::vector<double>{99, 100, 102, 103}));  // 104 starts the 11th; 105 is branch 0002

    const wire::DataPacket two =
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(10), at(11, 23, 59)})
            .packet();
    EXPECT_EQ(keys(two), (std::vector<double>{99, 100, 101, 102, 103, 104}));

    // End before start: nothing.
    EXPECT_TRUE(call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(11), at(10)})
                    .packet()
                    .rows.empty());

    const int row = findRow(two, "NRDELIVERY", 101);
    ASSERT_GE(row, 0);
    EXPECT_EQ(text(two, row, "IDMARCADO"), QStringLiteral("N"));
    EXPECT_EQ(text(two, row, "NMCIA"), QStringLiteral("Aérea Teste"));
    EXPECT_EQ(text(two, row, "NRDELIVERYFA"), QStringLiteral("77"));
    EXPECT_EQ(text(two, row, "CDLOCALDELIV"), QStringLiteral("0001"));
    EXPECT_EQ(cell(two, row, "DTHRPLAVOOPV"), wire::Value(at(11, 10)));
    EXPECT_DOUBLE_EQ(number(two, row, "VRTOTDELIV"), 9.30);
    EXPECT_DOUBLE_EQ(number(two, row, "NRMAXSERVDEL"), 12);
    const int open = findRow(two, "NRDELIVERY", 100);
    EXPECT_TRUE(cell(two, open, "NRDELIVERYFA").isNull());
}

TEST_P(Reads, ServicesOfOneDeliveryOfTheBranchWithTheServiceLayout)
{
    const wire::DataPacket p =
        call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QStringLiteral("102")}).packet();
    EXPECT_EQ(p.fields, server::layout::service());
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(text(p, 0, "CDARVSERV"), QStringLiteral("11.01.0001"));
    EXPECT_EQ(text(p, 0, "DSSERVICO"), QStringLiteral("Refeição internacional"));
    EXPECT_EQ(text(p, 0, "SGCLASSE"), QStringLiteral("Y"));
    EXPECT_EQ(text(p, 0, "SGAGRDEDE"), QStringLiteral("Y"));
    EXPECT_EQ(text(p, 0, "NRVOO"), QStringLiteral("900"));
    EXPECT_EQ(cell(p, 0, "DTHRPLAVOOPV"), wire::Value(at(10, 20)));
    EXPECT_EQ(cell(p, 0, "DTHRINCSESP"), wire::Value(at(8, 9)));
    EXPECT_DOUBLE_EQ(number(p, 0, "PRECOSBYUT"), 5.00);
    EXPECT_DOUBLE_EQ(number(p, 0, "VRTOTSERVD"), 42.00);
    EXPECT_TRUE(cell(p, 0, "VRPRECMANUTSESP").isNull());

    // A delivery of another branch is not shown through this one.
    EXPECT_TRUE(
        call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QStringLiteral("105")}).packet().rows.empty());
    EXPECT_THROW(call(QStringLiteral("GetServicoDel"), {QStringLiteral("0001"), QStringLiteral("1O2")}),
                 server::ArgumentError);
}

TEST_P(Reads, ServiceSearchOffersTheAirlinesServicesOfTheKindNotYetInTheDelivery)
{
    auto search = [&](const char* delivery, const QString& code, const char* kind) {
        return call(QStringLiteral("GetPesqServico"), {QStringLiteral("0001"), QString::fromLatin1(delivery),
                                                       QStringLiteral("0001"), code, QString::fromLatin1(kind)})
            .packet();
    };
    const wire::DataPacket all = search("100", QString(), "1");
    EXPECT_EQ(all.fields, server::layout::serviceSearch());
    // National services of the airline, by code; N1 and N2 are already in delivery 100 and X1
    // is not offered to the airline.
    EXPECT_EQ(texts(all, "CDSERVICO"), (QStringList{QStringLiteral("N3"), QStringLiteral("D1"), QStringLiteral("K1"),
                                                    QStringLiteral("Z1"), QStringLiteral("T1"), QStringLiteral("P1")}));
    EXPECT_EQ(texts(search("102", QString(), "2"), "CDSERVICO"), QStringList{QStringLiteral("I2")});

    // A code is compared fitted to 10 on both sides, as typed or already fitted.
    const wire::DataPacket one = search("100", QStringLiteral("01.01.0003"), "1");
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(text(one, 0, "DSSERVICO"), QStringLiteral("Vinho importado"));
    EXPECT_EQ(text(one, 0, "SGCLASSE"), QStringLiteral("Y"));
    EXPECT_EQ(text(one, 0, "IDTIPMANUAL"), QStringLiteral("1"));
    exec(QStringLiteral("UPDATE SERVICO SET CDARVSERV = '7' WHERE CDSERVICO = 'N3'"));
    EXPECT_EQ(search("100", QStringLiteral("0000000007"), "1").rows.size(), 1u);
    EXPECT_EQ(search("100", QStringLiteral(" 7 "), "1").rows.size(), 1u);
    // A service already in the delivery is not found by its code either.
    EXPECT_TRUE(search("100", QStringLiteral("01.01.0001"), "1").rows.empty());
}

TEST_P(Reads, EmissionPlacesAllOrByFittedCode)
{
    auto places = [&](const QString& code, const QString& all) {
        return call(QStringLiteral("GetLocalEmissDel"), {QStringLiteral("0001"), code, all}).packet();
    };
    const wire::DataPacket all = places(QString(), QStringLiteral("T"));
    EXPECT_EQ(all.fields, server::layout::emissionPlace());
    EXPECT_EQ(texts(all, "CDLOCALDELIV"), (QStringList{QStringLiteral("0001"), QStringLiteral("0002")}));
    const wire::DataPacket one = places(QStringLiteral("2"), QString());
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(text(one, 0, "NMLOCALDELIV"), QStringLiteral("Balcão"));
    EXPECT_TRUE(places(QStringLiteral("0009"), QString()).rows.empty());
    EXPECT_TRUE(places(QString(), QString()).rows.empty());
}

TEST_P(Reads, RefusesUnknownMethodsAndArgumentsOfTheWrongKind)
{
    EXPECT_THROW(call(QStringLiteral("GetNothing"), {}), server::ArgumentError);
    try {
        call(QStringLiteral("GetDelivery"), {QStringLiteral("0001"), QStringLiteral("0001"), at(10), 5});
        FAIL() << "accepted a number for a date";
    } catch (const server::ArgumentError& e) {
        EXPECT_TRUE(e.Message().startsWith(QLatin1String("GetDelivery: o argumento 4"))) << e.what();
    }
    EXPECT_THROW(call(QStringLiteral("GetParamComis"), {}), server::ArgumentError);
}

INSTANTIATE_TEST_SUITE_P(Engines, Reads,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
