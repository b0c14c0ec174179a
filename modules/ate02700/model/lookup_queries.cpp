#include "modules/ate02700/model/lookup_queries.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;

std::vector<FieldDecl<QryFilialFields>> FilialLayout()
{
    using F = QryFilialFields;
    return {
        {&F::CDFILIAL, Str(u"CDFILIAL"_s, 4).Label(u"Código"_s).Required()},
        {&F::NMFILIAL, Str(u"NMFILIAL"_s, 30).Label(u"Nome"_s)},
    };
}

std::vector<FieldDecl<QryCompanhiaFields>> CompanhiaLayout()
{
    using F = QryCompanhiaFields;
    return {
        {&F::SGCIA, Str(u"SGCIA"_s, 5).Label(u"Sigla"_s)},
        {&F::NMCIA, Str(u"NMCIA"_s, 50).Label(u"Nome"_s)},
        {&F::CDCIA, Str(u"CDCIA"_s, 4).Label(u"Código"_s).Required().Hidden()},
    };
}

std::vector<FieldDecl<QryAgrDeDeFields>> AgrDeDeLayout()
{
    using F = QryAgrDeDeFields;
    return {
        {&F::CDCLASSE, Str(u"CDCLASSE"_s, 4).Hidden()},
        {&F::SGCLASSE, Str(u"SGCLASSE"_s, 5).Label(u"Sigla"_s)},
        {&F::DSCLASSECIA, Str(u"DSCLASSECIA"_s, 30).Label(u"Descrição"_s)},
    };
}

}  // namespace

LookupQuerySpec QryFilialSpec()
{
    const QStringList text{
        u"SELECT"_s, u"   CDFILIAL,"_s, u"   NMFILIAL"_s, u"FROM"_s, u"   FILIAL"_s, u"ORDER BY"_s, u"   CDFILIAL"_s,
    };
    return {
        .name = u"qryFilial"_s,
        .sql = text,
        .sqlOracle = text,
        .sqlIb = text,
        .params = {},
        .fields = DefsOf(FilialLayout()),
    };
}

LookupQuerySpec QryCompanhiaSpec()
{
    // The lone blank last line belongs to the stored text.
    return {
        .name = u"qryCompanhia"_s,
        .sql =
            {
                u"SELECT"_s,
                u"   CO.CDCIA,"_s,
                u"   CO.NMCIA,"_s,
                u"   CO.SGCIA"_s,
                u"FROM"_s,
                u"   COMPANHIA CO,"_s,
                u"   CIAFILI CI"_s,
                u"WHERE"_s,
                u"    CI.CDCIA    = CO.CDCIA    AND"_s,
                u"    CI.CDFILIAL = :P_CDFILIAL AND"_s,
                u"    ((CO.SGCIA = :P_SGCIA) OR ('T' = :P_TSGCIA))"_s,
                u"ORDER BY"_s,
                u"      SGCIA"_s,
                u" "_s,
            },
        .sqlOracle = {},
        .sqlIb = {},
        .params =
            {
                {u"P_CDFILIAL"_s, TFieldType::String},
                {u"P_SGCIA"_s, TFieldType::String},
                {u"P_TSGCIA"_s, TFieldType::String},
            },
        .fields = DefsOf(CompanhiaLayout()),
    };
}

LookupQuerySpec QryAgrDeDeSpec()
{
    const QStringList text{
        u"SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA"_s,
        u"FROM CLASSE CL, CLASSECIA CC"_s,
        u"WHERE (CC.CDFILIAL = :CDFILIAL  ) AND"_s,
        u"      (CC.CDCIA    = :CDCIA     ) AND"_s,
        u"      (CC.CDCLASSE = CL.CDCLASSE) AND"_s,
        u"      (CL.SGCLASSE = NVL(:SGCLASSE,CL.SGCLASSE))"_s,
        u"ORDER BY CL.SGCLASSE"_s,
    };
    // InterBase has no NVL: the optional class is read through a one-row procedure instead.
    return {
        .name = u"qryAgrDeDe"_s,
        .sql = text,
        .sqlOracle = text,
        .sqlIb =
            {
                u"SELECT CL.CDCLASSE, CL.SGCLASSE, CC.DSCLASSECIA"_s,
                u"FROM CLASSE CL, CLASSECIA CC,  PARAM(:SGCLASSE) SGCLASSE"_s,
                u"WHERE (CC.CDFILIAL = :CDFILIAL  ) AND"_s,
                u"      (CC.CDCIA    = :CDCIA     ) AND"_s,
                u"      (CC.CDCLASSE = CL.CDCLASSE) AND"_s,
                u"      (CL.SGCLASSE = NVLSTR(SGCLASSE.PARAM,CL.SGCLASSE))"_s,
                u"ORDER BY CL.SGCLASSE"_s,
            },
        .params =
            {
                {u"SGCLASSE"_s, std::nullopt},
                {u"CDFILIAL"_s, TFieldType::String},
                {u"CDCIA"_s, TFieldType::String},
            },
        .fields = DefsOf(AgrDeDeLayout()),
    };
}

QryFilialFields DeclareQryFilialFields(TClientDataSet& qry) { return DeclareAll(qry, FilialLayout()); }

QryCompanhiaFields DeclareQryCompanhiaFields(TClientDataSet& qry) { return DeclareAll(qry, CompanhiaLayout()); }

QryAgrDeDeFields DeclareQryAgrDeDeFields(TClientDataSet& qry) { return DeclareAll(qry, AgrDeDeLayout()); }

}  // namespace ate02700
