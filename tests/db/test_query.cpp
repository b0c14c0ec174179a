// TADOIBQuery on a real SQLite file: the text chosen per dialect, bound parameters, result
// columns into persistent fields with SQLite's loose types, and failures.

#include "scratch_database.h"

#include "framework/core/exceptions.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"

#include <gtest/gtest.h>

namespace {

TFieldDef str(const char* name, int size) { return TFieldDef{QString::fromLatin1(name), TFieldType::String, size}; }
TFieldDef num(const char* name) { return TFieldDef{QString::fromLatin1(name), TFieldType::Float}; }
TFieldDef when(const char* name) { return TFieldDef{QString::fromLatin1(name), TFieldType::DateTime}; }

class Query : public ::testing::Test {
protected:
    void SetUp() override { dtmDBGeral().Open(db.Url()); }
    void TearDown() override { dtmDBGeral().Close(); }

    ScratchDatabase db{{
        QStringLiteral("CREATE TABLE CIA (CDCIA VARCHAR(4), NMCIA VARCHAR(50), SGCIA VARCHAR(5), VRTAXA, "
                       "DTHRCAD TIMESTAMP, EXTRA TEXT)"),
        QStringLiteral(
            "INSERT INTO CIA VALUES ('0001', 'Aerolíneas Sul', 'ASL', 12.5, '2026-11-05 10:30:00.000', 'x')"),
        QStringLiteral("INSERT INTO CIA VALUES ('0002', 'O''Brien Air', 'OBA', 7, '2026-11-06', NULL)"),
        QStringLiteral("INSERT INTO CIA VALUES ('0003', 'Céu Azul', 'CEU', '3.25', NULL, NULL)"),
    }};
};

}  // namespace

TEST(QueryText, EachDialectRunsItsOwnTextOrTheGenericOne)
{
    TADOIBQuery q;
    q.SetSQL({QStringLiteral("SELECT NVL(:A, 1) FROM T")});
    q.SetSQL_IB({QStringLiteral("SELECT NVLSTR(P.PARAM, 1) FROM T, PARAM(:A) P")});
    q.SetSQL_ORACLE({QStringLiteral("   "), QString()});  // blank: the generic text serves Oracle
    EXPECT_EQ(q.SQLFor(TSqlDialect::SQLite), q.SQL());
    EXPECT_EQ(q.SQLFor(TSqlDialect::PostgreSQL), q.SQL());
    EXPECT_EQ(q.SQLFor(TSqlDialect::Oracle), q.SQL());
    EXPECT_EQ(q.SQLFor(TSqlDialect::InterBase), q.SQL_IB());
    q.SetSQL_ORACLE({QStringLiteral("SELECT NVL(:A, :B) FROM DUAL")});
    EXPECT_EQ(q.SQLFor(TSqlDialect::Oracle), q.SQL_ORACLE());
    // Parameters come from every text; each name once.
    EXPECT_EQ(q.Params().Names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(QueryText, ParametersSurviveANewTextThatKeepsThem)
{
    TADOIBQuery q;
    q.SetSQL({QStringLiteral("SELECT * FROM T WHERE A = :A AND B = :B")});
    q.ParamByName(QStringLiteral("A")).SetAsString(QStringLiteral("kept"));
    q.ParamByName(QStringLiteral("B")).SetAsString(QStringLiteral("gone"));
    q.SetSQL({QStringLiteral("SELECT * FROM T WHERE A = :a AND C = :C")});
    EXPECT_EQ(q.ParamByName(QStringLiteral("A")).AsString(), QStringLiteral("kept"));
    EXPECT_THROW(q.ParamByName(QStringLiteral("B")), EDatabaseError);
    EXPECT_TRUE(q.ParamByName(QStringLiteral("C")).IsNull());
}

TEST_F(Query, LoadsRowsIntoThePersistentFieldsConvertingLooseTypes)
{
    TADOIBQuery q;
    q.AddField(str("sgcia", 5));  // matched without regard to case
    q.AddField(num("VRTAXA"));    // 12.5, the integer 7 and the text '3.25'
    q.AddField(when("DTHRCAD"));  // ISO text as SQLite keeps dates
    q.AddField(str("CDCIA", 4));
    q.SetSQL(
        {QStringLiteral("SELECT CDCIA, NMCIA, SGCIA, VRTAXA, DTHRCAD FROM CIA"), QStringLiteral("ORDER BY CDCIA")});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.FieldCount(), 4);
    EXPECT_EQ(q.FieldByName(QStringLiteral("SGCIA")).AsString(), QStringLiteral("ASL"));
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("VRTAXA")).AsFloat(), 12.5);
    EXPECT_EQ(q.FieldByName(QStringLiteral("DTHRCAD")).AsDateTime(), wire::makeDateTime(2026, 11, 5, 10, 30));
    q.Next();
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("VRTAXA")).AsFloat(), 7.0);
    EXPECT_EQ(q.FieldByName(QStringLiteral("DTHRCAD")).AsDateTime(), wire::makeDateTime(2026, 11, 6));
    q.Next();
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("VRTAXA")).AsFloat(), 3.25);
    EXPECT_TRUE(q.FieldByName(QStringLiteral("DTHRCAD")).IsNull());

    EXPECT_TRUE(q.Locate(QStringLiteral("CDCIA"), wire::Value(QStringLiteral("0002"))));
    EXPECT_EQ(q.FieldByName(QStringLiteral("SGCIA")).AsString(), QStringLiteral("OBA"));
    EXPECT_FALSE(q.Locate(QStringLiteral("CDCIA"), wire::Value(QStringLiteral("0009"))));
    EXPECT_FALSE(q.IsEmpty());
}

TEST_F(Query, BindsValuesWithoutWritingThemIntoTheText)
{
    TADOIBQuery q;
    q.AddField(str("CDCIA", 4));
    q.SetSQL({QStringLiteral("SELECT CDCIA FROM CIA WHERE NMCIA = :NOME OR (SGCIA = :SG AND 'T' = :TODAS)")});
    q.ParamByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("O'Brien Air"));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName(QStringLiteral("CDCIA")).AsString(), QStringLiteral("0002"));

    q.Close();
    q.ParamByName(QStringLiteral("NOME")).SetAsString(QStringLiteral("x' OR '1'='1"));
    q.Open();
    EXPECT_TRUE(q.IsEmpty()) << "a quote in a value must not change the statement";

    q.Close();
    q.ParamByName(QStringLiteral("NOME")).Clear();
    q.ParamByName(QStringLiteral("SG")).SetAsString(QStringLiteral("CEU"));
    q.ParamByName(QStringLiteral("TODAS")).SetAsString(QStringLiteral("T"));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName(QStringLiteral("CDCIA")).AsString(), QStringLiteral("0003"));
    // Open on an open query keeps its rows (Close first to run it again).
    q.ParamByName(QStringLiteral("SG")).SetAsString(QStringLiteral("ASL"));
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("CDCIA")).AsString(), QStringLiteral("0003"));
}

TEST_F(Query, FailuresCarryTheDatabaseText)
{
    TADOIBQuery q;
    q.AddField(str("CDCIA", 4));
    q.SetSQL({QStringLiteral("SELECT CDCIA FROM NADA")});
    try {
        q.Open();
        FAIL() << "a query on a missing table opened";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("no such table: NADA"))) << e.Message().toStdString();
    }
    EXPECT_FALSE(q.Active());

    q.SetSQL({QStringLiteral("SELECT NMCIA FROM CIA")});  // the field's column is missing
    try {
        q.Open();
        FAIL() << "opened without the column of a persistent field";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'CDCIA'"))) << e.Message().toStdString();
    }

    TADOIBQuery notNumber;
    notNumber.AddField(num("NMCIA"));
    notNumber.SetSQL({QStringLiteral("SELECT NMCIA FROM CIA")});
    EXPECT_THROW(notNumber.Open(), EDatabaseError);

    dtmDBGeral().Close();
    EXPECT_THROW(notNumber.Open(), EDatabaseError);
}

TEST_F(Query, StringsLongerThanTheirFieldAreRefusedUnlessOnlyBlanksOverflow)
{
    db.Exec(QStringLiteral("CREATE TABLE CODES (CD VARCHAR(10))"));
    db.Exec(QStringLiteral("INSERT INTO CODES VALUES ('AB      ')"));
    TADOIBQuery padded;
    padded.AddField(str("CD", 4));
    padded.SetSQL({QStringLiteral("SELECT CD FROM CODES")});
    padded.Open();
    EXPECT_EQ(padded.FieldByName(QStringLiteral("CD")).AsString(), QStringLiteral("AB  "));

    db.Exec(QStringLiteral("INSERT INTO CODES VALUES ('ABCDEF')"));
    TADOIBQuery longer;
    longer.AddField(str("CD", 4));
    longer.SetSQL({QStringLiteral("SELECT CD FROM CODES")});
    try {
        longer.Open();
        FAIL() << "a six-letter code went into a four-letter field";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("ABCDEF"))) << e.Message().toStdString();
    }
}

TEST_F(Query, WithoutPersistentFieldsTheResultGivesTheFields)
{
    TADOIBQuery q;
    q.SetSQL(
        {QStringLiteral("SELECT CDCIA, VRTAXA, VRTAXA * 2 AS DOBRO, EXTRA, COUNT(*) OVER () AS N FROM CIA "
                        "WHERE CDCIA <> '0003' ORDER BY CDCIA")});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("CDCIA")).DataType(), TFieldType::String);
    EXPECT_EQ(q.FieldByName(QStringLiteral("VRTAXA")).DataType(), TFieldType::Float);
    EXPECT_EQ(q.FieldByName(QStringLiteral("DOBRO")).DataType(), TFieldType::Float);
    EXPECT_EQ(q.FieldByName(QStringLiteral("EXTRA")).DataType(), TFieldType::String);
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("DOBRO")).AsFloat(), 25.0);
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("N")).AsFloat(), 2.0);
}
