// The three lookups of the delivery screen, exactly as the screen keeps them, run through the
// query component on the demo database, on SQLite and (ATE_TEST_PG_URL) PostgreSQL.

#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "server/database.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using testsupport::TestDatabase;

const QStringList kQryFilial = {
    QStringLiteral("SELECT"),    QStringLiteral("   CDFILIAL,"), QStringLiteral("   NMFILIAL"), QStringLiteral("FROM"),
    QStringLiteral("   FILIAL"), QStringLiteral("ORDER BY"),     QStringLiteral("   CDFILIAL")};

const QStringList kQryCompanhia = {QStringLiteral("SELECT"),
                                   QStringLiteral("   CO.CDCIA,"),
                                   QStringLiteral("   CO.NMCIA,"),
                                   QStringLiteral("   CO.SGCIA"),
                                   QStringLiteral("FROM"),
                                   QStringLiteral("   COMPANHIA CO,"),
                                   QStringLiteral("   CIAFILI CI"),
                                   QStringLiteral("WHERE"),
                                   QStringLiteral("    CI.CDCIA    = CO.CDCIA    AND"),
                                   QStringLiteral("    CI.CDFILIAL = :P_CDFILIAL AND"),
                                   QStringLiteral("    ((CO.SGCIA = :P_SGCIA) OR ('T' = :P_TSGCIA))"),
                                   QStringLiteral("ORDER BY"),
                                   QStringLiteral("      SGCIA"),
                                   QStringLiteral(" ")};

const QStringList kQryAgrDeDe = {QStringLiteral("SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA"),
                                 QStringLiteral("FROM CLASSE CL, CLASSECIA CC"),
                                 QStringLiteral("WHERE (CC.CDFILIAL = :CDFILIAL  ) AND"),
                                 QStringLiteral("      (CC.CDCIA    = :CDCIA     ) AND"),
                                 QStringLiteral("      (CC.CDCLASSE = CL.CDCLASSE) AND"),
                                 QStringLiteral("      (CL.SGCLASSE = NVL(:SGCLASSE,CL.SGCLASSE))"),
                                 QStringLiteral("ORDER BY CL.SGCLASSE")};

const QStringList kQryAgrDeDeIb = {QStringLiteral("SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA"),
                                   QStringLiteral("FROM CLASSE CL, CLASSECIA CC,  PARAM(:SGCLASSE) SGCLASSE"),
                                   QStringLiteral("WHERE (CC.CDFILIAL = :CDFILIAL  ) AND"),
                                   QStringLiteral("      (CC.CDCIA    = :CDCIA     ) AND"),
                                   QStringLiteral("      (CC.CDCLASSE = CL.CDCLASSE) AND"),
                                   QStringLiteral("      (CL.SGCLASSE = NVLSTR(SGCLASSE.PARAM,CL.SGCLASSE))"),
                                   QStringLiteral("ORDER BY CL.SGCLASSE")};

TFieldDef field(const char* name, int size, bool required = false)
{
    TFieldDef def{QString::fromLatin1(name), TFieldType::String, size};
    def.Required = required;
    return def;
}

QStringList column(TADOIBQuery& q, const char* name)
{
    QStringList values;
    for (q.First(); !q.Eof(); q.Next()) values << q.FieldByName(QString::fromLatin1(name)).AsString();
    return values;
}

class LookupQueries : public ::testing::TestWithParam<TestDatabase::Engine> {
protected:
    static void TearDownTestSuite() { databases().clear(); }

    void SetUp() override
    {
        auto& db = databases()[GetParam()];
        if (!db) {
            db = TestDatabase::create(GetParam());
            if (!db) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
            server::initDatabase(server::DatabaseUrl::parse(db->url()),
                                 server::SeedSpec::parse(QStringLiteral("demo")));
        }
        dtmDBGeral().Open(db->url());
    }
    void TearDown() override { dtmDBGeral().Close(); }

    static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>>& databases()
    {
        static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>> made;
        return made;
    }
};

}  // namespace

TEST_P(LookupQueries, QryFilialListsEveryBranch)
{
    TADOIBQuery qryFilial;
    qryFilial.AddField(field("CDFILIAL", 4, true));
    qryFilial.AddField(field("NMFILIAL", 30));
    qryFilial.SetSQL(kQryFilial);
    qryFilial.Open();
    EXPECT_EQ(column(qryFilial, "CDFILIAL"),
              (QStringList{QStringLiteral("0001"), QStringLiteral("0002"), QStringLiteral("0003")}));
    EXPECT_EQ(
        column(qryFilial, "NMFILIAL"),
        (QStringList{QStringLiteral("Guarulhos - SP"), QStringLiteral("Galeão - RJ"), QStringLiteral("Confins - MG")}));
}

TEST_P(LookupQueries, QryCompanhiaListsOrFindsTheAirlinesOfABranch)
{
    TADOIBQuery qryCompanhia;
    qryCompanhia.AddField(field("SGCIA", 5));
    qryCompanhia.AddField(field("NMCIA", 50));
    TFieldDef code = field("CDCIA", 4, true);
    code.Visible = false;
    qryCompanhia.AddField(code);
    qryCompanhia.SetSQL(kQryCompanhia);
    for (const char* name : {"P_CDFILIAL", "P_SGCIA", "P_TSGCIA"})
        qryCompanhia.ParamByName(QString::fromLatin1(name)).SetDataType(TFieldType::String);

    const auto run = [&](const char* branch, const char* shortCode, const char* all) {
        qryCompanhia.Close();
        qryCompanhia.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(QString::fromLatin1(branch));
        qryCompanhia.ParamByName(QStringLiteral("P_SGCIA")).SetAsString(QString::fromLatin1(shortCode));
        qryCompanhia.ParamByName(QStringLiteral("P_TSGCIA")).SetAsString(QString::fromLatin1(all));
        qryCompanhia.Open();
        return column(qryCompanhia, "SGCIA");
    };

    EXPECT_EQ(run("0001", "", "T"),
              (QStringList{QStringLiteral("AIC"), QStringLiteral("CAB"), QStringLiteral("CRP"), QStringLiteral("LAA"),
                           QStringLiteral("TRAPA"), QStringLiteral("VAS")}));
    EXPECT_EQ(run("0003", "", "T"), (QStringList{QStringLiteral("TRAPA"), QStringLiteral("VAS")}));
    EXPECT_EQ(run("0001", "LAA", ""), QStringList{QStringLiteral("LAA")});
    EXPECT_EQ(qryCompanhia.FieldByName(QStringLiteral("CDCIA")).AsString(), QStringLiteral("0003"));
    EXPECT_EQ(qryCompanhia.FieldByName(QStringLiteral("NMCIA")).AsString(),
              QStringLiteral("Linhas Aéreas do Atlântico"));
    EXPECT_TRUE(run("0001", "laa", "").isEmpty()) << "lookups are case-sensitive";
    EXPECT_TRUE(run("0003", "LAA", "").isEmpty()) << "LAA does not fly from Confins";
    EXPECT_TRUE(run("0009", "", "T").isEmpty());
}

TEST_P(LookupQueries, QryAgrDeDeFindsOneClassOrAllWhenTheShortCodeIsNull)
{
    TADOIBQuery qryAgrDeDe;
    TFieldDef code = field("CDCLASSE", 4);
    code.Visible = false;
    qryAgrDeDe.AddField(code);
    qryAgrDeDe.AddField(field("SGCLASSE", 5));
    qryAgrDeDe.AddField(field("DSCLASSECIA", 30));
    qryAgrDeDe.SetSQL(kQryAgrDeDe);
    qryAgrDeDe.SetSQL_ORACLE(kQryAgrDeDe);
    qryAgrDeDe.SetSQL_IB(kQryAgrDeDeIb);

    const auto run = [&](const char* branch, const char* airline, std::optional<QString> shortCode) {
        qryAgrDeDe.Close();
        qryAgrDeDe.ParamByName(QStringLiteral("CDFILIAL")).SetAsString(QString::fromLatin1(branch));
        qryAgrDeDe.ParamByName(QStringLiteral("CDCIA")).SetAsString(QString::fromLatin1(airline));
        if (shortCode)
            qryAgrDeDe.ParamByName(QStringLiteral("SGCLASSE")).SetAsString(*shortCode);
        else
            qryAgrDeDe.ParamByName(QStringLiteral("SGCLASSE")).Clear();
        qryAgrDeDe.Open();
        return column(qryAgrDeDe, "SGCLASSE");
    };

    EXPECT_EQ(run("0001", "0001", std::nullopt),
              (QStringList{QStringLiteral("C"), QStringLiteral("TRIP"), QStringLiteral("Y")}));
    EXPECT_EQ(run("0001", "0001", QStringLiteral("Y")), QStringList{QStringLiteral("Y")});
    EXPECT_EQ(qryAgrDeDe.FieldByName(QStringLiteral("CDCLASSE")).AsString(), QStringLiteral("0003"));
    EXPECT_EQ(qryAgrDeDe.FieldByName(QStringLiteral("DSCLASSECIA")).AsString(), QStringLiteral("Classe Econômica"));
    EXPECT_TRUE(run("0001", "0001", QStringLiteral("F")).isEmpty()) << "first class is not sold by CAB";
    EXPECT_EQ(run("0001", "0005", QStringLiteral("F")), QStringList{QStringLiteral("F")});
}

INSTANTIATE_TEST_SUITE_P(Engines, LookupQueries,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         [](const auto& info) { return testsupport::engineName(info.param).toStdString(); });
