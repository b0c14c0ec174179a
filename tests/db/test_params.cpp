// Placeholders found in SQL texts, and parameter sets that cannot grow.

#include "framework/core/exceptions.h"
#include "framework/db/params.h"
#include "framework/db/sql_placeholders.h"

#include <gtest/gtest.h>

TEST(SqlPlaceholders, FindsNamesOutsideQuotesAndCasts)
{
    const QString sql = QStringLiteral(
        "SELECT ':NOT_A', \"col:NOR_THIS\", x::text, `q:uoted`\n"
        "FROM T WHERE A = :P_CDFILIAL AND (B = :P_SGCIA OR 'T' = :P_TSGCIA)\n"
        "  AND C = :P_CDFILIAL AND D = :p_cdfilial AND E = NVL(:SGCLASSE,E) AND F=:X1");
    EXPECT_EQ(SqlPlaceholderNames(sql),
              (QStringList{QStringLiteral("P_CDFILIAL"), QStringLiteral("P_SGCIA"), QStringLiteral("P_TSGCIA"),
                           QStringLiteral("p_cdfilial"), QStringLiteral("SGCLASSE"), QStringLiteral("X1")}));
}

TEST(SqlPlaceholders, AnUnclosedQuoteHidesTheRest)
{
    EXPECT_TRUE(SqlPlaceholderNames(QStringLiteral("SELECT 'it''s :A")).isEmpty());
    EXPECT_EQ(SqlPlaceholderNames(QStringLiteral("SELECT 'it''s' || :A")), QStringList{QStringLiteral("A")});
    EXPECT_TRUE(SqlPlaceholderNames(QStringLiteral("SELECT ':' || ':'")).isEmpty());
}

TEST(Params, HoldExactlyTheDeclaredOnes)
{
    TParams params({{QStringLiteral("P_CDFILIAL"), TFieldType::String},
                    {QStringLiteral("p_cdfilial"), TFieldType::Float},  // same name: first wins
                    {QStringLiteral("P_NRDELIVERY"), std::nullopt}});
    EXPECT_EQ(params.Count(), 2);
    EXPECT_TRUE(params.Exists(QStringLiteral("p_CdFilial")));
    EXPECT_EQ(params.ParamByName(QStringLiteral("p_cdfilial")).DataType(), TFieldType::String);
    EXPECT_FALSE(params.Exists(QStringLiteral("P_OUTRO")));
    EXPECT_THROW(params.ParamByName(QStringLiteral("P_OUTRO")), EDatabaseError);
    EXPECT_EQ(params.Count(), 2);  // asking did not create it

    TParam& branch = params.ParamByName(QStringLiteral("P_CDFILIAL"));
    branch.SetAsString(QStringLiteral("0001"));
    EXPECT_EQ(&params.ParamByName(QStringLiteral("P_CDFILIAL")), &branch);
    EXPECT_EQ(params.ParamByName(QStringLiteral("P_CDFILIAL")).AsString(), QStringLiteral("0001"));
}

TEST(Params, ConvertToTheDeclaredTypeOrRefuse)
{
    TParams params({{QStringLiteral("N"), TFieldType::Float},
                    {QStringLiteral("S"), TFieldType::String},
                    {QStringLiteral("D"), TFieldType::DateTime},
                    {QStringLiteral("I"), TFieldType::Integer},
                    {QStringLiteral("FREE"), std::nullopt}});
    TParam& n = params.ParamByName(QStringLiteral("N"));
    n.SetAsString(QStringLiteral(" 12.5 "));
    EXPECT_EQ(n.Value(), wire::Value(12.5));
    EXPECT_THROW(n.SetAsString(QStringLiteral("12,5")), EDatabaseError);
    EXPECT_EQ(n.Value(), wire::Value(12.5)) << "a refused value keeps the old one";

    TParam& s = params.ParamByName(QStringLiteral("S"));
    s.SetAsFloat(1234.0);
    EXPECT_EQ(s.Value(), wire::Value(QStringLiteral("1234")));
    s.SetAsFloat(0.1);
    EXPECT_EQ(s.Value(), wire::Value(QStringLiteral("0.1")));

    TParam& d = params.ParamByName(QStringLiteral("D"));
    d.SetAsString(QStringLiteral("2026-11-09 15:30:12"));
    EXPECT_EQ(d.Value(), wire::Value(wire::makeDateTime(2026, 11, 9, 15, 30, 12)));
    EXPECT_THROW(d.SetAsString(QStringLiteral("31/02/2026")), EDatabaseError);

    TParam& i = params.ParamByName(QStringLiteral("I"));
    i.SetAsFloat(7.0);
    EXPECT_EQ(i.Value(), wire::Value(qint64{7}));
    EXPECT_THROW(i.SetAsFloat(7.5), EDatabaseError);

    TParam& free = params.ParamByName(QStringLiteral("FREE"));
    free.SetAsFloat(3.0);
    EXPECT_EQ(free.Value(), wire::Value(3.0));
    EXPECT_THROW(free.SetValue(wire::Value(wire::Array{})), EDatabaseError);

    // A later declaration converts what is there, or clears what it cannot take.
    free.SetDataType(TFieldType::String);
    EXPECT_EQ(free.AsString(), QStringLiteral("3"));
    free.SetAsString(QStringLiteral("abc"));
    free.SetDataType(TFieldType::Float);
    EXPECT_TRUE(free.IsNull());
}
