// The three lookups run their stored SQL unchanged, so every line (odd spacing included), the
// dialect texts, the parameters and the result fields are checked as they stand.

#include "modules/ate02700/model/lookup_queries.h"

#include "tests/ate02700_model/layout_expect.h"
#include "tests/ate02700_model/qstring_printer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

using namespace ate02700;
using layout_expect::CheckLayout;
using layout_expect::Row;

namespace {

QStringList Lines(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* line : lines) out << QString::fromUtf8(line);
    return out;
}

QSet<QString> Placeholders(const QStringList& text)
{
    QSet<QString> names;
    static const QRegularExpression placeholder(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    for (auto it = placeholder.globalMatch(text.join(u'\n')); it.hasNext();) names.insert(it.next().captured(1));
    return names;
}

// Every placeholder of every dialect text is a declared parameter, and every declared
// parameter is used by each text, so a query never opens with a parameter left unbound.
void ExpectParamsMatchTexts(const LookupQuerySpec& spec)
{
    QSet<QString> declared;
    for (const ParamSpec& p : spec.params) declared.insert(p.name);
    for (const QStringList* text : {&spec.sql, &spec.sqlOracle, &spec.sqlIb}) {
        if (!text->isEmpty()) {
            EXPECT_EQ(Placeholders(*text), declared) << spec.name.toStdString();
        }
    }
}

}  // namespace

TEST(LookupQueries, Filial)
{
    const LookupQuerySpec spec = QryFilialSpec();
    EXPECT_EQ(spec.name, QStringLiteral("qryFilial"));
    const QStringList text =
        Lines({"SELECT", "   CDFILIAL,", "   NMFILIAL", "FROM", "   FILIAL", "ORDER BY", "   CDFILIAL"});
    EXPECT_EQ(spec.sql, text);
    EXPECT_EQ(spec.sqlOracle, text);
    EXPECT_EQ(spec.sqlIb, text);
    EXPECT_TRUE(spec.params.isEmpty());
    ExpectParamsMatchTexts(spec);

    using F = QryFilialFields;
    const std::vector<Row<F>> fields = {
        {&F::CDFILIAL, {u"CDFILIAL", 'S', 4, u"Código", u"", "q"}},
        {&F::NMFILIAL, {u"NMFILIAL", 'S', 30, u"Nome"}},
    };
    CheckLayout(spec.fields, &DeclareQryFilialFields, fields);
}

TEST(LookupQueries, CompanhiaHasOnlyTheGenericTextEndingInABlankLine)
{
    const LookupQuerySpec spec = QryCompanhiaSpec();
    EXPECT_EQ(spec.name, QStringLiteral("qryCompanhia"));
    EXPECT_EQ(spec.sql,
              Lines({"SELECT", "   CO.CDCIA,", "   CO.NMCIA,", "   CO.SGCIA", "FROM", "   COMPANHIA CO,",
                     "   CIAFILI CI", "WHERE", "    CI.CDCIA    = CO.CDCIA    AND", "    CI.CDFILIAL = :P_CDFILIAL AND",
                     "    ((CO.SGCIA = :P_SGCIA) OR ('T' = :P_TSGCIA))", "ORDER BY", "      SGCIA", " "}));
    EXPECT_TRUE(spec.sqlOracle.isEmpty());
    EXPECT_TRUE(spec.sqlIb.isEmpty());
    const QList<ParamSpec> params = {{QStringLiteral("P_CDFILIAL"), TFieldType::String},
                                     {QStringLiteral("P_SGCIA"), TFieldType::String},
                                     {QStringLiteral("P_TSGCIA"), TFieldType::String}};
    EXPECT_EQ(spec.params, params);
    ExpectParamsMatchTexts(spec);

    using F = QryCompanhiaFields;
    const std::vector<Row<F>> fields = {
        {&F::SGCIA, {u"SGCIA", 'S', 5, u"Sigla"}},
        {&F::NMCIA, {u"NMCIA", 'S', 50, u"Nome"}},
        {&F::CDCIA, {u"CDCIA", 'S', 4, u"Código", u"", "qh"}},
    };
    CheckLayout(spec.fields, &DeclareQryCompanhiaFields, fields);
}

TEST(LookupQueries, AgrDeDeKeepsAnInterBaseText)
{
    const LookupQuerySpec spec = QryAgrDeDeSpec();
    EXPECT_EQ(spec.name, QStringLiteral("qryAgrDeDe"));
    const QStringList generic = Lines({"SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA",
                                       "FROM CLASSE CL, CLASSECIA CC", "WHERE (CC.CDFILIAL = :CDFILIAL  ) AND",
                                       "      (CC.CDCIA    = :CDCIA     ) AND", "      (CC.CDCLASSE = CL.CDCLASSE) AND",
                                       "      (CL.SGCLASSE = NVL(:SGCLASSE,CL.SGCLASSE))", "ORDER BY CL.SGCLASSE"});
    EXPECT_EQ(spec.sql, generic);
    EXPECT_EQ(spec.sqlOracle, generic);
    EXPECT_EQ(spec.sqlIb, Lines({"SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA",
                                 "FROM CLASSE CL, CLASSECIA CC,  PARAM(:SGCLASSE) SGCLASSE",
                                 "WHERE (CC.CDFILIAL = :CDFILIAL  ) AND", "      (CC.CDCIA    = :CDCIA     ) AND",
                                 "      (CC.CDCLASSE = CL.CDCLASSE) AND",
                                 "      (CL.SGCLASSE = NVLSTR(SGCLASSE.PARAM,CL.SGCLASSE))", "ORDER BY CL.SGCLASSE"}));
    // SGCLASSE takes its type from the value bound (null lists every class).
    const QList<ParamSpec> params = {{QStringLiteral("SGCLASSE"), std::nullopt},
                                     {QStringLiteral("CDFILIAL"), TFieldType::String},
                                     {QStringLiteral("CDCIA"), TFieldType::String}};
    EXPECT_EQ(spec.params, params);
    ExpectParamsMatchTexts(spec);

    using F = QryAgrDeDeFields;
    const std::vector<Row<F>> fields = {
        {&F::CDCLASSE, {u"CDCLASSE", 'S', 4, u"", u"", "h"}},
        {&F::SGCLASSE, {u"SGCLASSE", 'S', 5, u"Sigla"}},
        {&F::DSCLASSECIA, {u"DSCLASSECIA", 'S', 30, u"Descrição"}},
    };
    CheckLayout(spec.fields, &DeclareQryAgrDeDeFields, fields);
}
