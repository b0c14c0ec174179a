// The scale load keeps each airline's year at the density of a 10,000-delivery load: further
// deliveries go to copies of the demo's airlines, which must price exactly as the airlines
// they copy (their own price tables, on both engines).

#include "server/methods.h"
#include "server/seed.h"
#include "server/seed_scale_airlines.h"
#include "server/sql.h"
#include "server/transaction.h"
#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

class ScaleSeed : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        testDb_ = TestDatabase::create(GetParam());
        if (!testDb_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        url_ = server::DatabaseUrl::parse(testDb_->url());
        server::initDatabase(url_, server::SeedSpec::parse(QStringLiteral("demo")));
        db_ = server::Database::open(url_, QStringLiteral("scale-check"));
    }
    int count(const QString& sql)
    {
        server::Sql q(*db_, sql);
        q.exec();
        return q.next() ? q.value(0).toInt() : -1;
    }
    // CalculaPreco's answer for an airline, or the failure text with the airline's short code
    // taken out (a copy has its own).
    std::string price(const QString& airline, const QString& service, const QString& kind, const QDateTime& when)
    {
        server::Sql sg(*db_, QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA = :C"));
        sg.bind(QStringLiteral(":C"), airline);
        sg.exec();
        const QString shortCode = sg.next() ? sg.value(0).toString() : QString();
        sg.finish();
        wire::Array args{QStringLiteral("0001"),
                         airline,
                         QStringLiteral("70000"),
                         QStringLiteral("0001"),
                         when,
                         QString(),
                         when,
                         service,
                         3.0,
                         kind,
                         0.0};
        try {
            const wire::DataPacket p = server::Methods(*db_).call(QStringLiteral("CalculaPreco"), args).packet();
            QStringList values;
            for (const wire::Value& v : p.rows.at(0)) values << v.debugString();
            return values.join(QLatin1Char('|')).toStdString();
        } catch (const server::ServerFailure& e) {
            return QString(e.Message()).replace(shortCode, QStringLiteral("<cia>")).toStdString();
        }
    }

    std::unique_ptr<TestDatabase> testDb_;
    server::DatabaseUrl url_;
    std::unique_ptr<server::Database> db_;
};

TEST_P(ScaleSeed, CopiedAirlinesPriceAsTheAirlinesTheyCopy)
{
    std::vector<server::CopiedAirline> first, second;
    {
        server::WriteTransaction t(*db_);
        first = server::addCopiedAirlines(*db_, 1);
        second = server::addCopiedAirlines(*db_, 2);
        t.commit();
    }
    ASSERT_EQ(first.size(), second.size());
    ASSERT_GE(first.size(), 5u);
    EXPECT_EQ(server::copiedAirlineSets(*db_), 2);
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_NE(first[i].code, second[i].code);

    // Served at the same branches, offered the same services, in the same classes.
    for (const char* table : {"CIAFILI", "SERVCIA", "CLASSECIA", "TABPRECO"})
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDCIA = '%2'").arg(table, first[0].code)),
                  count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDCIA = '%2'").arg(table, first[0].original)))
            << table;

    const QDateTime when = wire::makeDateTime(2026, 11, 18, 10, 0);
    int priced = 0;
    for (const server::CopiedAirline& c : first) {
        server::Sql offered(*db_, QStringLiteral("SELECT SC.CDSERVICO, S.IDTIPMANUAL FROM SERVCIA SC JOIN SERVICO S ON "
                                                 "S.CDSERVICO = SC.CDSERVICO WHERE SC.CDFILIAL = '0001' AND "
                                                 "SC.CDCIA = :C ORDER BY SC.CDSERVICO"));
        offered.bind(QStringLiteral(":C"), c.original);
        offered.exec();
        std::vector<std::pair<QString, QString>> services;
        while (offered.next()) services.emplace_back(offered.value(0).toString(), offered.value(1).toString());
        offered.finish();
        for (const auto& [service, kind] : services) {
            const std::string original = price(c.original, service, kind, when);
            EXPECT_EQ(price(c.code, service, kind, when), original)
                << c.code.toStdString() << " " << service.toStdString();
            if (original.find(' ') == std::string::npos) ++priced;
        }
    }
    EXPECT_GT(priced, 10);
}

TEST_P(ScaleSeed, LoadsBeyondTenThousandGoToTheCopies)
{
    if (GetParam() == TestDatabase::Engine::PostgreSQL) GTEST_SKIP() << "same code path as SQLite; slow to seed";
    const int demo = count(QStringLiteral("SELECT COUNT(*) FROM DELIVERY"));
    {
        server::WriteTransaction t(*db_);
        server::seedScale(*db_, 10050);
        t.commit();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE CDCIA < '1000'")), demo + 10000);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DELIVERY WHERE CDCIA >= '1000'")), 50);
    EXPECT_EQ(server::copiedAirlineSets(*db_), 1);
    // Every copied delivery totalled from its lines, its billing place that of the original.
    EXPECT_EQ(count(QStringLiteral(
                  "SELECT COUNT(*) FROM DELIVERY D WHERE D.CDCIA >= '1000' AND (ABS(D.VRBACATX - (SELECT SUM(CASE "
                  "WHEN D.IDTIPNACDEL = '2' THEN S.VRTOTSERVD ELSE S.VRTOTSERVR END) FROM SERVDEL S WHERE "
                  "S.NRDELIVERY = D.NRDELIVERY)) > 0.001 OR D.CDLOCAFATCIA IS NULL)")),
              0);
}

INSTANTIATE_TEST_SUITE_P(Engines, ScaleSeed,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
