#include "modules/ate02700/model/servico_del_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = ServicoDelFields;

std::vector<FieldDecl<F>> Layout()
{
    const QString money = u"#,##0.00"_s;
    // Both members of a currency pair carry the same label, so a grid column keeps its title
    // when the form swaps one for the other.
    return {
        {&F::CDARVSERV, Str(u"CDARVSERV"_s, 20).Label(u"Código"_s)},
        {&F::DSSERVICO, Str(u"DSSERVICO"_s, 50).Label(u"Descrição"_s)},
        {&F::SGUNIDADE, Str(u"SGUNIDADE"_s, 10).Label(u"UN"_s)},
        {&F::SGCLASSE, Str(u"SGCLASSE"_s, 5).Label(u"Classe"_s)},
        {&F::IDCICLO, Str(u"IDCICLO"_s, 10).Label(u"Ciclo"_s)},
        {&F::QTSERFATSP, Flt(u"QTSERFATSP"_s).Label(u"Qtde. Faturar"_s)},
        {&F::QTSESBYUTSP, Flt(u"QTSESBYUTSP"_s).Label(u"Qtde. St. By Util."_s)},
        {&F::QTSESBYNUTSP, Flt(u"QTSESBYNUTSP"_s).Label(u"Qtde. St. By Não Util."_s).Hidden()},
        {&F::VRPRURESESP, Flt(u"VRPRURESESP"_s).Label(u"Preço Unitário"_s).Format(money)},
        {&F::VRPRUDOLSESP, Flt(u"VRPRUDOLSESP"_s).Label(u"Preço Unitário"_s).Format(money).Hidden()},
        {&F::PRECOSBYUT, Flt(u"PRECOSBYUT"_s).Label(u"Preço St. By Util."_s).Format(money)},
        {&F::PRECOSBYNUT, Flt(u"PRECOSBYNUT"_s).Label(u"Preço St. By Não Util."_s).Format(money)},
        {&F::VRTOTSERVR, Flt(u"VRTOTSERVR"_s).Label(u"Total do Serviço"_s).Format(money)},
        {&F::VRTOTSERVD, Flt(u"VRTOTSERVD"_s).Label(u"Total do Serviço"_s).Format(money).Hidden()},
        {&F::CDFILIAL, Str(u"CDFILIAL"_s, 4).Hidden()},
        {&F::CDCIA, Str(u"CDCIA"_s, 4).Hidden()},
        {&F::NRVOO, Str(u"NRVOO"_s, 5).Hidden()},
        {&F::CDTRECHO, Str(u"CDTRECHO"_s, 4).Hidden()},
        {&F::DTHRPLAVOOPV, Dtm(u"DTHRPLAVOOPV"_s).Hidden()},
        {&F::NRITEMPLANSP, Flt(u"NRITEMPLANSP"_s).Hidden()},
        {&F::CDAGRDECO, Str(u"CDAGRDECO"_s, 4).Hidden()},
        {&F::CDAGRDEDE, Str(u"CDAGRDEDE"_s, 4).Hidden()},
        {&F::CDSERVICO, Str(u"CDSERVICO"_s, 10).Hidden()},
        {&F::CDCLASSE, Str(u"CDCLASSE"_s, 4).Hidden()},
        {&F::CDCICLO, Str(u"CDCICLO"_s, 4).Hidden()},
        {&F::IDSITSERSP, Str(u"IDSITSERSP"_s, 1).Hidden()},
        {&F::VRALTXPORT, Flt(u"VRALTXPORT"_s).Hidden()},
        {&F::IDTIPSCBOSP, Str(u"IDTIPSCBOSP"_s, 1).Hidden()},
        {&F::QTSESOLICSP, Flt(u"QTSESOLICSP"_s).Hidden()},
        {&F::QTSERVFIXSP, Flt(u"QTSERVFIXSP"_s).Hidden()},
        {&F::QTATUAPRODSP, Flt(u"QTATUAPRODSP"_s).Label(u"Qtde. Serviço"_s).Hidden()},
        {&F::NRDELIVERY, Flt(u"NRDELIVERY"_s).Hidden()},
        {&F::VRPESOSESP, Flt(u"VRPESOSESP"_s).Hidden()},
        {&F::IDTIPMANUALSP, Str(u"IDTIPMANUALSP"_s, 1).Hidden()},
        {&F::IDSEREXTSP, Str(u"IDSEREXTSP"_s, 1).Hidden()},
        {&F::IDSTKDTSP, Str(u"IDSTKDTSP"_s, 1).Hidden()},
        {&F::CDUSRRESPSP, Str(u"CDUSRRESPSP"_s, 12).Hidden()},
        {&F::QTANTAPRODSP, Flt(u"QTANTAPRODSP"_s).Hidden()},
        {&F::QTSESBYPRSP, Flt(u"QTSESBYPRSP"_s).Hidden()},
        {&F::QTCORTSERVSP, Flt(u"QTCORTSERVSP"_s).Hidden()},
        {&F::DTHRINCSESP, Dtm(u"DTHRINCSESP"_s).Hidden()},
        {&F::QTREALPROD, Flt(u"QTREALPROD"_s).Hidden()},
        {&F::VRPRUSBYSP, Flt(u"VRPRUSBYSP"_s).Hidden()},
        {&F::SGAGRDEDE, Str(u"SGAGRDEDE"_s, 5).Hidden()},
        {&F::IDTPPRECO, Str(u"IDTPPRECO"_s, 1).Hidden()},
        {&F::VRPRECMANUTSESP, Flt(u"VRPRECMANUTSESP"_s).Label(u"Manutenção de Preço"_s).Format(money)},
    };
}

}  // namespace

std::vector<TFieldDef> ServicoDelFieldDefs() { return DefsOf(Layout()); }

ServicoDelFields DeclareServicoDelFields(TClientDataSet& cds) { return DeclareAll(cds, Layout()); }

}  // namespace ate02700
