#include "modules/ate02700/model/delivery_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = DeliveryFields;

std::vector<FieldDecl<F>> Layout()
{
    return {
        {&F::IDMARCADO, Str(u"IDMARCADO"_s, 1).FixedLength().Hidden()},
        {&F::CDFILIAL, Str(u"CDFILIAL"_s, 4).Label(u"Código"_s).Hidden()},
        {&F::CDCIA, Str(u"CDCIA"_s, 4).Hidden()},
        {&F::NMCIA, Str(u"NMCIA"_s, 50).Label(u"Companhia"_s)},
        {&F::NRDELIVERY, Flt(u"NRDELIVERY"_s).Label(u"Nr. Delivery"_s).Format(u"0"_s).Hidden()},
        {&F::NRVOO, Str(u"NRVOO"_s, 5).Label(u"Vôo"_s)},
        {&F::CDTRECHO, Str(u"CDTRECHO"_s, 4).Label(u"Trecho"_s).Hidden()},
        {&F::NRDELIVERYFA, Str(u"NRDELIVERYFA"_s, 40).Label(u"Nr. Faturamento"_s).ReadOnly()},
        {&F::DTHRPLAVOOPV, Dtm(u"DTHRPLAVOOPV"_s).Label(u"Data do Vôo"_s)},
        {&F::VRTOTDESC, Flt(u"VRTOTDESC"_s).ReadOnly().Hidden()},
        {&F::VRTXAERO, Flt(u"VRTXAERO"_s).Format(u"#,##0.00"_s).ReadOnly().Hidden()},
        {&F::IDSITDEL, Str(u"IDSITDEL"_s, 1).Hidden()},
        {&F::NUMERO, Str(u"NUMERO"_s, 40).Label(u"Nr. Delivery"_s).ReadOnly()},
        {&F::VRPETXAERO, Flt(u"VRPETXAERO"_s).Format(u"0.00%"_s).Hidden()},
        {&F::IDTIPNACDEL, Str(u"IDTIPNACDEL"_s, 1).Hidden()},
        {&F::VRTOTDELIV, Flt(u"VRTOTDELIV"_s).Format(u"#,##0.00"_s).ReadOnly().Hidden()},
        {&F::CDLOCAFATCIA, Str(u"CDLOCAFATCIA"_s, 20).Hidden()},
        {&F::CDLOCALDELIV, Str(u"CDLOCALDELIV"_s, 20).Hidden()},
        {&F::VRBACATX, Flt(u"VRBACATX"_s).Format(u"#,##0.00"_s).Hidden()},
        {&F::NRMAXSERVDEL, Flt(u"NRMAXSERVDEL"_s).Hidden()},
    };
}

}  // namespace

std::vector<TFieldDef> DeliveryFieldDefs() { return DefsOf(Layout()); }

DeliveryFields DeclareDeliveryFields(TClientDataSet& cds)
{
    const DeliveryFields fields = DeclareAll(cds, Layout());
    cds.AddIndex(kDeliveryIndexName.toString(), kDeliveryIndexFields.toString());
    cds.SetIndexName(kDeliveryIndexName.toString());
    cds.SetFilter(kDeliveryMarkedFilter.toString());
    cds.SetFiltered(false);
    return fields;
}

}  // namespace ate02700
