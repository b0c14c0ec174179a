// The demo data set: what it promises to hold (see server/README.md), each documented pricing
// failure reproducible through CalculaPreco, and every delivery totalled from its lines.

#include "server/sql.h"
#include "tests/server_core/server_core_fixture.h"

#include <map>

namespace servercore_test {
namespace {

class DemoSeed : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    static void TearDownTestSuite() { demos().clear(); }
    static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>>& demos()
    {
        static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>> map;
        return map;
    }

    void SetUp() override
    {
        // One demo per engine for the suite: these tests only read (or are refused).
        auto& demo = demos()[GetParam()];
        if (!demo) {
            demo = TestDatabase::create(GetParam());
            if (!demo) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
            server::initDatabase(server::DatabaseUrl::parse(demo->url()),
                                 server::SeedSpec::parse(QStringLiteral("demo")));
        }
        static int n = 0;
        db_ = server::Database::open(server::DatabaseUrl::parse(demo->url()), QStringLiteral("demo-%1").arg(++n));
    }

    QVariant scalar(const QString& sql)
    {
        server::Sql q(*db_, sql);
        q.exec();
        return q.next() ? q.value(0) : QVariant();
    }

    QString priceFailure(const char* airline, const char* flight, const QDateTime& when, const char* service)
    {
        wire::Array args{QStringLiteral("0001"),
                         QString::fromLatin1(airline),
                         QString::fromLatin1(flight),
                         QStringLiteral("0001"),
                         when,
                         QString(),
                         when,
                         QString::fromLatin1(service),
                         1.0,
                         QString(),
                         0.0};
        try {
            server::Methods(*db_).call(QStringLiteral("CalculaPreco"), args);
        } catch (const server::ServerFailure& e) {
            return e.Message();
        }
        return QStringLiteral("<priced>");
    }

    std::unique_ptr<server::Database> db_;
};

TEST_P(DemoSeed, HoldsTheMonthItPromises)
{
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FILIAL")).toInt(), 3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM PARAMCOMIS WHERE IDUTDELVALO = 'N'")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM COMPANHIA")).toInt(), 6);
    // CRP flies under CAB's contract at Guarulhos: CAB's list there holds two airlines.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPARCEIRA WHERE CDFILIAL = '0001' AND CDCIA = '0001' "
                                    "AND CDCIAPARC = '0006'"))
                  .toInt(),
              1);
    EXPECT_GT(
        scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE CDFILIAL = '0001' AND CDCIA = '0006'")).toInt(), 30);
    EXPECT_EQ(scalar(QStringLiteral("SELECT MAX(LENGTH(SGCIA)) FROM COMPANHIA")).toInt(), 5);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE DTHRPLAVOOPV < '2026-11-01 00:00:00.000' "
                                    "OR DTHRPLAVOOPV >= '2026-12-01 00:00:00.000'"))
                  .toInt(),
              0);
    EXPECT_GT(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE IDTIPNACDEL = '1'")).toInt(), 50);
    EXPECT_GT(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE IDTIPNACDEL = '2'")).toInt(), 50);
    EXPECT_GT(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE NRDELIVERYFA IS NOT NULL")).toInt(), 10);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE NRDELIVERYFA IS NOT NULL")).toInt(),
              scalar(QStringLiteral("SELECT COUNT(*) FROM REGNUMFAT WHERE IDOPERACAO = 'E'")).toInt());
    EXPECT_EQ(scalar(QStringLiteral("SELECT MIN(C) FROM (SELECT COUNT(*) AS C FROM SERVDEL WHERE NRDELIVERY < 9000 "
                                    "GROUP BY NRDELIVERY) X"))
                  .toInt(),
              3);
    // The service-row tour's deliveries: one service, two services.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL S JOIN DELIVERY D ON D.NRDELIVERY = S.NRDELIVERY "
                                    "WHERE D.NUMERO = '009001/2026'"))
                  .toInt(),
              1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SERVDEL S JOIN DELIVERY D ON D.NRDELIVERY = S.NRDELIVERY "
                                    "WHERE D.NUMERO = '009002/2026'"))
                  .toInt(),
              2);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT MAX(C) FROM (SELECT COUNT(*) AS C FROM SERVDEL GROUP BY NRDELIVERY) X")).toInt(),
        12);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY D WHERE NOT EXISTS "
                                    "(SELECT 1 FROM SERVDEL S WHERE S.NRDELIVERY = D.NRDELIVERY)"))
                  .toInt(),
              0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DELIVERY D WHERE ABS(D.VRBACATX - (SELECT SUM(CASE WHEN "
                                    "D.IDTIPNACDEL = '2' THEN S.VRTOTSERVD ELSE S.VRTOTSERVR END) FROM SERVDEL S "
                                    "WHERE S.NRDELIVERY = D.NRDELIVERY)) > 0.001 OR ABS(D.VRTOTDELIV - (D.VRBACATX + "
                                    "D.VRTXAERO - D.VRTOTDESC)) > 0.001"))
                  .toInt(),
              0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM LOCALEMISS WHERE CDFILIAL = '0001'")).toInt(), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NRFINAL - NRPROXIMO + 1 FROM FAIXANUMFAT WHERE CDFILIAL = '0001' "
                                    "AND CDLOCALDELIV = '0002'"))
                  .toInt(),
              3);
}

TEST_P(DemoSeed, ReproducesEachDocumentedPricingFailure)
{
    EXPECT_EQ(priceFailure("0004", "4410", wire::makeDateTime(2026, 11, 21, 11, 25), "SV01"),
              QStringLiteral("#EVoo_valtaVAS  *"));
    EXPECT_EQ(priceFailure("0002", "2201", wire::makeDateTime(2026, 11, 12, 9, 0), "SV13"),
              QStringLiteral("#Evoo_InterTRAPA*"));
    EXPECT_EQ(priceFailure("0001", "1010", wire::makeDateTime(2026, 11, 16, 7, 30), "SV02"),
              QStringLiteral("\u00BFEser_Preco01.01.0002          *"));
    EXPECT_EQ(priceFailure("0001", "1010", wire::makeDateTime(2026, 11, 18, 7, 30), "SV13"),
              QStringLiteral("\u00BFEser_Prepr05.01.0001          *"));
    EXPECT_EQ(priceFailure("0001", "1010", wire::makeDateTime(2026, 11, 9, 7, 30), "SV12"),
              QStringLiteral("\u00BFEser_PreDa01.04.0001          *"));
    EXPECT_EQ(priceFailure("0002", "2201", wire::makeDateTime(2026, 11, 9, 9, 0), "SV10"),
              QStringLiteral("\u00BFEser_PreDa01.01.0003          *"));
    EXPECT_EQ(priceFailure("0001", "1010", wire::makeDateTime(2026, 11, 15, 7, 30), "SV11"),
              QStringLiteral("\u00BFEser_IndFi02.03.0001          *"));
    EXPECT_EQ(priceFailure("0003", "3300", wire::makeDateTime(2026, 11, 15, 21, 50), "SV26"),
              QStringLiteral("\u00BFEser_CAdRe13.01.0001          *"));
    // The same services on an ordinary day are priced.
    EXPECT_EQ(priceFailure("0004", "4410", wire::makeDateTime(2026, 11, 19, 11, 25), "SV01"),
              QStringLiteral("<priced>"));
    EXPECT_EQ(priceFailure("0001", "1010", wire::makeDateTime(2026, 11, 16, 7, 30), "SV11"),
              QStringLiteral("<priced>"));
}

TEST_P(DemoSeed, TheCounterPlaceCannotNumberFourDeliveries)
{
    wire::DataPacket packet;
    packet.fields = {{QStringLiteral("IDMARCADO"), wire::FieldType::String, 1},
                     {QStringLiteral("NRDELIVERY"), wire::FieldType::Float, 0}};
    server::Sql open(*db_,
                     QStringLiteral("SELECT NRDELIVERY FROM DELIVERY WHERE CDFILIAL = '0001' AND NRDELIVERYFA IS NULL "
                                    "ORDER BY NRDELIVERY"));
    open.exec();
    while (packet.rows.size() < 4 && open.next())
        packet.rows.push_back({QStringLiteral("S"), open.value(0).toDouble()});
    ASSERT_EQ(packet.rows.size(), 4u);
    wire::Array args{packet, QStringLiteral("0002")};
    try {
        server::Methods(*db_).call(QStringLiteral("GeraNovoFatur"), args);
        FAIL() << "numbered four deliveries with three numbers";
    } catch (const server::ServerFailure& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Numeracao"));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DemoSeed,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
