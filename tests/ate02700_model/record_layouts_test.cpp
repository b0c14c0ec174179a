// The record layouts are the contract with the server's packets and with the forms: every
// field in order with its type, size, label, format and flags, checked against tables written
// here independently of the model's own.

#include "modules/ate02700/model/calc_preco_record.h"
#include "modules/ate02700/model/delivery_record.h"
#include "modules/ate02700/model/local_emiss_record.h"
#include "modules/ate02700/model/param_comis_record.h"
#include "modules/ate02700/model/pesq_servico_record.h"
#include "modules/ate02700/model/servico_del_record.h"

#include "framework/data/clientdataset.h"
#include "tests/ate02700_model/layout_expect.h"
#include "tests/ate02700_model/qstring_printer.h"

#include <gtest/gtest.h>

#include <QString>

#include <vector>

using namespace ate02700;
using layout_expect::CheckLayout;
using layout_expect::Row;

TEST(RecordLayouts, Delivery)
{
    using F = DeliveryFields;
    const std::vector<Row<F>> expected = {
        {&F::IDMARCADO, {u"IDMARCADO", 'S', 1, u"", u"", "hx"}},
        {&F::CDFILIAL, {u"CDFILIAL", 'S', 4, u"Código", u"", "h"}},
        {&F::CDCIA, {u"CDCIA", 'S', 4, u"", u"", "h"}},
        {&F::NMCIA, {u"NMCIA", 'S', 50, u"Companhia"}},
        {&F::NRDELIVERY, {u"NRDELIVERY", 'F', 0, u"Nr. Delivery", u"0", "h"}},
        {&F::NRVOO, {u"NRVOO", 'S', 5, u"Vôo"}},
        {&F::CDTRECHO, {u"CDTRECHO", 'S', 4, u"Trecho", u"", "h"}},
        {&F::NRDELIVERYFA, {u"NRDELIVERYFA", 'S', 40, u"Nr. Faturamento", u"", "r"}},
        {&F::DTHRPLAVOOPV, {u"DTHRPLAVOOPV", 'D', 0, u"Data do Vôo"}},
        {&F::VRTOTDESC, {u"VRTOTDESC", 'F', 0, u"", u"", "rh"}},
        {&F::VRTXAERO, {u"VRTXAERO", 'F', 0, u"", u"#,##0.00", "rh"}},
        {&F::IDSITDEL, {u"IDSITDEL", 'S', 1, u"", u"", "h"}},
        {&F::NUMERO, {u"NUMERO", 'S', 40, u"Nr. Delivery", u"", "r"}},
        {&F::VRPETXAERO, {u"VRPETXAERO", 'F', 0, u"", u"0.00%", "h"}},
        {&F::IDTIPNACDEL, {u"IDTIPNACDEL", 'S', 1, u"", u"", "h"}},
        {&F::VRTOTDELIV, {u"VRTOTDELIV", 'F', 0, u"", u"#,##0.00", "rh"}},
        {&F::CDLOCAFATCIA, {u"CDLOCAFATCIA", 'S', 20, u"", u"", "h"}},
        {&F::CDLOCALDELIV, {u"CDLOCALDELIV", 'S', 20, u"", u"", "h"}},
        {&F::VRBACATX, {u"VRBACATX", 'F', 0, u"", u"#,##0.00", "h"}},
        {&F::NRMAXSERVDEL, {u"NRMAXSERVDEL", 'F', 0, u"", u"", "h"}},
    };
    CheckLayout(DeliveryFieldDefs(), &DeclareDeliveryFields, expected);
}

TEST(RecordLayouts, ServicoDel)
{
    using F = ServicoDelFields;
    const char16_t* m = u"#,##0.00";
    const std::vector<Row<F>> expected = {
        {&F::CDARVSERV, {u"CDARVSERV", 'S', 20, u"Código"}},
        {&F::DSSERVICO, {u"DSSERVICO", 'S', 50, u"Descrição"}},
        {&F::SGUNIDADE, {u"SGUNIDADE", 'S', 10, u"UN"}},
        {&F::SGCLASSE, {u"SGCLASSE", 'S', 5, u"Classe"}},
        {&F::IDCICLO, {u"IDCICLO", 'S', 10, u"Ciclo"}},
        {&F::QTSERFATSP, {u"QTSERFATSP", 'F', 0, u"Qtde. Faturar"}},
        {&F::QTSESBYUTSP, {u"QTSESBYUTSP", 'F', 0, u"Qtde. St. By Util."}},
        {&F::QTSESBYNUTSP, {u"QTSESBYNUTSP", 'F', 0, u"Qtde. St. By Não Util.", u"", "h"}},
        {&F::VRPRURESESP, {u"VRPRURESESP", 'F', 0, u"Preço Unitário", m}},
        {&F::VRPRUDOLSESP, {u"VRPRUDOLSESP", 'F', 0, u"Preço Unitário", m, "h"}},
        {&F::PRECOSBYUT, {u"PRECOSBYUT", 'F', 0, u"Preço St. By Util.", m}},
        {&F::PRECOSBYNUT, {u"PRECOSBYNUT", 'F', 0, u"Preço St. By Não Util.", m}},
        {&F::VRTOTSERVR, {u"VRTOTSERVR", 'F', 0, u"Total do Serviço", m}},
        {&F::VRTOTSERVD, {u"VRTOTSERVD", 'F', 0, u"Total do Serviço", m, "h"}},
        {&F::CDFILIAL, {u"CDFILIAL", 'S', 4, u"", u"", "h"}},
        {&F::CDCIA, {u"CDCIA", 'S', 4, u"", u"", "h"}},
        {&F::NRVOO, {u"NRVOO", 'S', 5, u"", u"", "h"}},
        {&F::CDTRECHO, {u"CDTRECHO", 'S', 4, u"", u"", "h"}},
        {&F::DTHRPLAVOOPV, {u"DTHRPLAVOOPV", 'D', 0, u"", u"", "h"}},
        {&F::NRITEMPLANSP, {u"NRITEMPLANSP", 'F', 0, u"", u"", "h"}},
        {&F::CDAGRDECO, {u"CDAGRDECO", 'S', 4, u"", u"", "h"}},
        {&F::CDAGRDEDE, {u"CDAGRDEDE", 'S', 4, u"", u"", "h"}},
        {&F::CDSERVICO, {u"CDSERVICO", 'S', 10, u"", u"", "h"}},
        {&F::CDCLASSE, {u"CDCLASSE", 'S', 4, u"", u"", "h"}},
        {&F::CDCICLO, {u"CDCICLO", 'S', 4, u"", u"", "h"}},
        {&F::IDSITSERSP, {u"IDSITSERSP", 'S', 1, u"", u"", "h"}},
        {&F::VRALTXPORT, {u"VRALTXPORT", 'F', 0, u"", u"", "h"}},
        {&F::IDTIPSCBOSP, {u"IDTIPSCBOSP", 'S', 1, u"", u"", "h"}},
        {&F::QTSESOLICSP, {u"QTSESOLICSP", 'F', 0, u"", u"", "h"}},
        {&F::QTSERVFIXSP, {u"QTSERVFIXSP", 'F', 0, u"", u"", "h"}},
        {&F::QTATUAPRODSP, {u"QTATUAPRODSP", 'F', 0, u"Qtde. Serviço", u"", "h"}},
        {&F::NRDELIVERY, {u"NRDELIVERY", 'F', 0, u"", u"", "h"}},
        {&F::VRPESOSESP, {u"VRPESOSESP", 'F', 0, u"", u"", "h"}},
        {&F::IDTIPMANUALSP, {u"IDTIPMANUALSP", 'S', 1, u"", u"", "h"}},
        {&F::IDSEREXTSP, {u"IDSEREXTSP", 'S', 1, u"", u"", "h"}},
        {&F::IDSTKDTSP, {u"IDSTKDTSP", 'S', 1, u"", u"", "h"}},
        {&F::CDUSRRESPSP, {u"CDUSRRESPSP", 'S', 12, u"", u"", "h"}},
        {&F::QTANTAPRODSP, {u"QTANTAPRODSP", 'F', 0, u"", u"", "h"}},
        {&F::QTSESBYPRSP, {u"QTSESBYPRSP", 'F', 0, u"", u"", "h"}},
        {&F::QTCORTSERVSP, {u"QTCORTSERVSP", 'F', 0, u"", u"", "h"}},
        {&F::DTHRINCSESP, {u"DTHRINCSESP", 'D', 0, u"", u"", "h"}},
        {&F::QTREALPROD, {u"QTREALPROD", 'F', 0, u"", u"", "h"}},
        {&F::VRPRUSBYSP, {u"VRPRUSBYSP", 'F', 0, u"", u"", "h"}},
        {&F::SGAGRDEDE, {u"SGAGRDEDE", 'S', 5, u"", u"", "h"}},
        {&F::IDTPPRECO, {u"IDTPPRECO", 'S', 1, u"", u"", "h"}},
        {&F::VRPRECMANUTSESP, {u"VRPRECMANUTSESP", 'F', 0, u"Manutenção de Preço", m}},
    };
    CheckLayout(ServicoDelFieldDefs(), &DeclareServicoDelFields, expected);
}

TEST(RecordLayouts, PesqServico)
{
    using F = PesqServicoFields;
    const std::vector<Row<F>> expected = {
        {&F::CDARVSERV, {u"CDARVSERV", 'S', 20, u"Código"}},
        {&F::CDSERVICO, {u"CDSERVICO", 'S', 10, u"", u"", "h", 13}},
        {&F::DSSERVICO, {u"DSSERVICO", 'S', 50, u"Descrição"}},
        {&F::SGUNIDADE, {u"SGUNIDADE", 'S', 10, u"Unid.", u"", "", 6}},
        {&F::IDSERVICO, {u"IDSERVICO", 'S', 1, u"", u"", "h"}},
        {&F::IDSERVESP, {u"IDSERVESP", 'S', 1, u"", u"", "h"}},
        {&F::VRPESOSE, {u"VRPESOSE", 'F', 0, u"", u"", "h"}},
        {&F::IDFATSE, {u"IDFATSE", 'S', 1, u"", u"", "h"}},
        {&F::IDTIPMANUAL, {u"IDTIPMANUAL", 'S', 1, u"Nacionalidade", u"", "h"}},
        {&F::SGCLASSE, {u"SGCLASSE", 'S', 5, u"Classe"}},
        {&F::IDCICLO, {u"IDCICLO", 'S', 10, u"Ciclo"}},
    };
    CheckLayout(PesqServicoFieldDefs(), &DeclarePesqServicoFields, expected);
}

TEST(RecordLayouts, SmallResultRecords)
{
    {
        using F = ParamComisFields;
        const std::vector<Row<F>> expected = {
            {&F::IDUTDELVALO, {u"IDUTDELVALO", 'S', 1}},
            {&F::IDALTERDELIV, {u"IDALTERDELIV", 'S', 1, u"", u"", "", 0, u"PARAMGERAL.IDALTERDELIV"}},
            {&F::IDINTATEPCP, {u"IDINTATEPCP", 'S', 1, u"", u"", "", 0, u"DBLARKUMO.PARAMCOMIS.IDINTATEPCP"}},
        };
        CheckLayout(ParamComisFieldDefs(), &DeclareParamComisFields, expected);
    }
    {
        using F = CalcPrecoFields;
        const std::vector<Row<F>> expected = {
            {&F::VRPRURESESP, {u"VRPRURESESP", 'F', 0}},
            {&F::VRPRUDOLSESP, {u"VRPRUDOLSESP", 'F', 0}},
            {&F::VRPRUSBYSP, {u"VRPRUSBYSP", 'F', 0}},
        };
        CheckLayout(CalcPrecoFieldDefs(), &DeclareCalcPrecoFields, expected);
    }
    {
        using F = LocalEmissFields;
        const std::vector<Row<F>> expected = {
            {&F::CDLOCALDELIV, {u"CDLOCALDELIV", 'S', 4, u"Código"}},
            {&F::NMLOCALDELIV, {u"NMLOCALDELIV", 'S', 20, u"Descrição"}},
        };
        CheckLayout(LocalEmissFieldDefs(), &DeclareLocalEmissFields, expected);
    }
}

namespace {

// A delivery packet in the declared layout, with only the number, the mark and the visible
// number filled.
wire::DataPacket DeliveryPacket(const std::vector<std::pair<double, const char16_t*>>& rows)
{
    wire::DataPacket packet;
    for (const TFieldDef& def : DeliveryFieldDefs())
        packet.fields.push_back({def.Name, def.DataType, def.DataType == TFieldType::String ? def.Size : 0});
    const int nr = packet.fieldIndex(u"NRDELIVERY");
    const int mark = packet.fieldIndex(u"IDMARCADO");
    const int numero = packet.fieldIndex(u"NUMERO");
    for (const auto& [number, marked] : rows) {
        wire::Row row(packet.fields.size());
        row[size_t(nr)] = number;
        row[size_t(mark)] = QString::fromUtf16(marked);
        row[size_t(numero)] = QString::number(number);
        packet.rows.push_back(std::move(row));
    }
    return packet;
}

std::vector<double> Numbers(TClientDataSet& cds, const TField& nr)
{
    std::vector<double> out;
    for (cds.First(); !cds.Eof(); cds.Next()) out.push_back(nr.AsFloat());
    return out;
}

}  // namespace

TEST(RecordLayouts, DeliveriesAreOrderedByNumberAndFilterOnlyWhenAsked)
{
    TClientDataSet cds;
    const DeliveryFields f = DeclareDeliveryFields(cds);
    EXPECT_EQ(cds.IndexName(), QStringLiteral("cdsDeliveryIndex1"));
    EXPECT_EQ(cds.Filter(), QStringLiteral("IDMARCADO = 'S'"));
    EXPECT_FALSE(cds.Filtered());

    // 100 before 12 would be text order; the load order is neither.
    cds.SetData(DeliveryPacket({{30, u"N"}, {100, u"S"}, {5, u"S"}, {12, u"N"}, {7, u"S"}}));
    EXPECT_EQ(Numbers(cds, *f.NRDELIVERY), (std::vector<double>{5, 7, 12, 30, 100}));

    cds.SetFiltered(true);
    EXPECT_EQ(Numbers(cds, *f.NRDELIVERY), (std::vector<double>{5, 7, 100}));
    const wire::DataPacket marked = cds.Data();
    ASSERT_EQ(marked.rows.size(), 3u);
    const int nr = marked.fieldIndex(u"NRDELIVERY");
    ASSERT_GE(nr, 0);
    EXPECT_EQ(marked.rows[2][size_t(nr)].toDouble(), 100);

    cds.SetFiltered(false);
    EXPECT_EQ(cds.RecordCount(), 5);
}
