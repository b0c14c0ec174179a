// The three lookups as the forms set them up (texts, parameter types, declared fields) run on
// a real database created and seeded by the application server: every parameter is bound and
// every declared field finds its column.

#include "modules/ate02700/model/lookup_queries.h"
#include "modules/ate02700/model/lookup_query_apply.h"

#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "server/database.h"
#include "tests/ate02700_model/qstring_printer.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <memory>

using namespace ate02700;
using testsupport::TestDatabase;

namespace {

QStringList Column(TADOIBQuery& query, const TField& field)
{
    QStringList values;
    for (query.First(); !query.Eof(); query.Next()) values << field.AsString();
    return values;
}

class LookupQueriesOnDatabase : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::create(GetParam());
        if (!db_) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
        server::initDatabase(server::DatabaseUrl::parse(db_->url()), server::SeedSpec::parse(QStringLiteral("demo")));
        dtmDBGeral().Open(db_->url());
    }
    void TearDown() override { dtmDBGeral().Close(); }

    std::unique_ptr<TestDatabase> db_;
};

}  // namespace

TEST_P(LookupQueriesOnDatabase, EachLookupRunsAsDeclared)
{
    TADOIBQuery qryFilial;
    ApplyLookupQuerySpec(qryFilial, QryFilialSpec());
    const QryFilialFields filial = DeclareQryFilialFields(qryFilial);
    qryFilial.Open();
    EXPECT_EQ(Column(qryFilial, *filial.CDFILIAL), (QStringList{"0001", "0002", "0003"}));

    TADOIBQuery qryCompanhia;
    ApplyLookupQuerySpec(qryCompanhia, QryCompanhiaSpec());
    const QryCompanhiaFields cia = DeclareQryCompanhiaFields(qryCompanhia);
    qryCompanhia.ParamByName(u"P_CDFILIAL").SetAsString(QStringLiteral("0001"));
    qryCompanhia.ParamByName(u"P_SGCIA").SetAsString(QStringLiteral("LAA"));
    qryCompanhia.ParamByName(u"P_TSGCIA").SetAsString(QString());
    qryCompanhia.Open();
    ASSERT_EQ(qryCompanhia.RecordCount(), 1);
    EXPECT_EQ(cia.CDCIA->AsString(), QStringLiteral("0003"));
    EXPECT_EQ(cia.SGCIA->AsString(), QStringLiteral("LAA"));

    TADOIBQuery qryAgrDeDe;
    ApplyLookupQuerySpec(qryAgrDeDe, QryAgrDeDeSpec());
    const QryAgrDeDeFields agr = DeclareQryAgrDeDeFields(qryAgrDeDe);
    qryAgrDeDe.ParamByName(u"CDFILIAL").SetAsString(QStringLiteral("0001"));
    qryAgrDeDe.ParamByName(u"CDCIA").SetAsString(QStringLiteral("0001"));
    // A null class lists every class of the airline.
    qryAgrDeDe.Open();
    EXPECT_EQ(Column(qryAgrDeDe, *agr.SGCLASSE), (QStringList{"C", "TRIP", "Y"}));
    qryAgrDeDe.Close();
    qryAgrDeDe.ParamByName(u"SGCLASSE").SetAsString(QStringLiteral("Y"));
    qryAgrDeDe.Open();
    ASSERT_EQ(qryAgrDeDe.RecordCount(), 1);
    EXPECT_FALSE(agr.CDCLASSE->IsNull());
}

INSTANTIATE_TEST_SUITE_P(Engines, LookupQueriesOnDatabase,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });
