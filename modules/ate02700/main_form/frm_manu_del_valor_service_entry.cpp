// Entering service rows: the guards before a row is added or changed, the columns that take
// typing, the service-code lookup and the service search, and the fill of a row from the
// chosen service with its class grouping.

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/messages.h"
#include "framework/units/pesquisa.h"
#include "framework/units/showavi.h"

#include <QDateTime>

namespace {

constexpr int kServiceCodeWidth = 10;

bool Editing(const TClientDataSet& dataSet)
{
    return dataSet.State() == TDataSetState::Edit || dataSet.State() == TDataSetState::Insert;
}

}  // namespace

void TfrmManuDelValor::cdsServicoDelBeforeInsert(TClientDataSet& dataSet)
{
    // The limit comes first: an invoiced delivery at its limit still says why.
    const double limit = fldDelivery.NRMAXSERVDEL->AsFloat();  // empty counts as 0
    if (dataSet.RecordCount() >= limit) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("oper_bloq")), true);
    if (!sbtIncluir->Enabled()) Abort();
    if (fldParamComis.IDALTERDELIV->AsString() == QLatin1String("N")) Abort();
    if (!Consiste::EmptyString(fldDelivery.NRDELIVERYFA->AsString())) Abort();
    // CDSERVICO has no column: the grid stays where it is.
    dbgServicoDel->SetSelectedField(fldServicoDel.CDSERVICO);
    Cli_ate02700::stCdAgrDeCo = fldServicoDel.CDAGRDECO->AsString();
}

void TfrmManuDelValor::cdsServicoDelAfterInsert(TClientDataSet& /*dataSet*/)
{
    dbgServicoDel->SetSelectedField(fldServicoDel.CDARVSERV);
}

void TfrmManuDelValor::cdsServicoDelBeforeEdit(TClientDataSet& /*dataSet*/)
{
    if (!Consiste::EmptyString(fldDelivery.NRDELIVERYFA->AsString())) Abort();
}

void TfrmManuDelValor::cdsServicoDelAfterEdit(TClientDataSet& /*dataSet*/)
{
    // The service quantity as it was before this change.
    fldServicoDel.QTANTAPRODSP->SetValue(fldServicoDel.QTATUAPRODSP->Value());
}

void TfrmManuDelValor::dbgServicoDelKeyPress(TDBGrid& sender, QChar& key)
{
    // Enter moves on and Esc drops the edit, whatever the column.
    if (key == QLatin1Char('\r') || key == QChar(27)) return;
    const TField* field = sender.SelectedField();
    const auto& f = fldServicoDel;
    const bool serverColumn = field == f.DSSERVICO || field == f.SGUNIDADE || field == f.SGCLASSE || field == f.IDCICLO
                              || field == f.VRPRURESESP || field == f.VRPRUDOLSESP || field == f.PRECOSBYUT
                              || field == f.PRECOSBYNUT || field == f.VRTOTSERVR || field == f.VRTOTSERVD;
    // A service code is chosen for a new row only; an existing row keeps its service.
    const bool lockedCode = field == f.CDARVSERV && cdsServicoDel->State() != TDataSetState::Insert;
    if (serverColumn || lockedCode) key = QChar();
}

void TfrmManuDelValor::LoadPesqServico(const QString& cdArvServ)
{
    cdsPesqServico->Close();
    Showavi::ActiveShowAvi(Cli_ate02700::frmManuDelValor, 1, msgPadrao->Msg(QStringLiteral("Pesq_Serv")));
    try {
        wire::Value answer = Rdm().GetPesqServico(medCdFilial->Text(), fldDelivery.NRDELIVERY->AsString(),
                                                  astCiaVooTre[0], cdArvServ, fldDelivery.IDTIPNACDEL->AsString());
        cdsPesqServico->SetData(Consiste::CheckResultServ(std::move(answer), true, 0));
    } catch (...) {
        Showavi::DeactiveShowAvi();
        cdsPesqServico->Close();
        throw;
    }
    Showavi::DeactiveShowAvi();
}

void TfrmManuDelValor::dbgServicoDelColExit(TDBGrid& sender)
{
    if (cdsServicoDel->State() != TDataSetState::Insert || sender.SelectedField() != fldServicoDel.CDARVSERV) return;
    // What an untouched masked cell holds (blanks and the mask's literals) is no code either.
    const QString code = fldServicoDel.CDARVSERV->AsString();
    if (Consiste::EmptyString(code)) return;
    LoadPesqServico(Consiste::Ajusta(code, kServiceCodeWidth));
    if (cdsPesqServico->IsEmpty()) {
        sender.SetSelectedField(fldServicoDel.CDSERVICO);
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Serv_Inv")), true);
    }
    IncluiSerClaCic();
    fldServicoDel.SGUNIDADE->SetValue(fldPesqServico.SGUNIDADE->Value());
}

void TfrmManuDelValor::dbgServicoDelEditButtonClick(TDBGrid& sender)
{
    if (sender.SelectedField() != fldServicoDel.CDARVSERV) return;
    LoadPesqServico(QString());
    if (!Pesquisa::Pesquisar(*dtsPesqServico, msgPadrao->Msg(QStringLiteral("Servico")), false, true)) return;
    cdsServicoDel->Edit();  // a new row stays in insert
    IncluiSerClaCic();
    fldServicoDel.SGUNIDADE->SetValue(fldPesqServico.SGUNIDADE->Value());
    sender.SetSelectedField(fldServicoDel.IDCICLO);
}

void TfrmManuDelValor::IncluiSerClaCic()
{
    const auto& f = fldServicoDel;
    const auto& p = fldPesqServico;
    f.NRDELIVERY->SetAsString(fldDelivery.NRDELIVERY->AsString());
    f.CDAGRDECO->SetAsString(Cli_ate02700::stCdAgrDeCo);
    f.CDCIA->SetAsString(astCiaVooTre[0]);
    f.NRVOO->SetAsString(astCiaVooTre[1]);
    f.CDTRECHO->SetAsString(astCiaVooTre[2]);
    f.DTHRPLAVOOPV->SetValue(fldDelivery.DTHRPLAVOOPV->Value());
    f.CDARVSERV->SetAsString(p.CDARVSERV->AsString());
    f.CDSERVICO->SetAsString(p.CDSERVICO->AsString());
    f.DSSERVICO->SetAsString(p.DSSERVICO->AsString());
    f.VRPESOSESP->SetAsString(p.VRPESOSE->AsString());
    f.IDTIPMANUALSP->SetAsString(p.IDTIPMANUAL->AsString());
    f.SGCLASSE->SetAsString(p.SGCLASSE->AsString());
    f.IDCICLO->SetAsString(p.IDCICLO->AsString());
    f.DTHRINCSESP->SetAsDateTime(QDateTime::currentDateTime());
    for (TField* zero : {f.QTANTAPRODSP, f.QTSESBYPRSP, f.QTSESBYUTSP, f.QTSESBYNUTSP, f.VRPRUSBYSP, f.QTCORTSERVSP})
        zero->SetAsFloat(0);
    f.IDTIPSCBOSP->SetAsString(QStringLiteral("5"));
    f.IDSITSERSP->SetAsString(QStringLiteral("2"));
    f.IDSEREXTSP->SetAsString(QStringLiteral("1"));
    f.IDSTKDTSP->SetAsString(QStringLiteral("1"));

    // The grouping found by an earlier fill of this row stays.
    if (!f.SGAGRDEDE->IsNull()) return;
    qryAgrDeDe->Close();
    qryAgrDeDe->ParamByName(u"CDFILIAL").SetAsString(medCdFilial->Text());
    qryAgrDeDe->ParamByName(u"CDCIA").SetAsString(astCiaVooTre[0]);
    // A service without a class is bound as null, never as empty text: the query's NVL then
    // lets every class of the airline through and the first one (by SGCLASSE) is taken. That
    // is what the text does where empty text is null (Oracle), and it is made explicit here
    // because SQLite and PostgreSQL would otherwise compare with '' and find no class.
    const QString serviceClass = f.SGCLASSE->AsString();
    if (serviceClass.isEmpty())
        qryAgrDeDe->ParamByName(u"SGCLASSE").Clear();
    else
        qryAgrDeDe->ParamByName(u"SGCLASSE").SetAsString(serviceClass);
    qryAgrDeDe->Open();
    if (Consiste::EmptyString(fldAgrDeDe.CDCLASSE->AsString()))
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("cl_n_comp")), true);
    f.CDAGRDEDE->SetAsString(fldAgrDeDe.CDCLASSE->AsString());
    f.SGAGRDEDE->SetAsString(fldAgrDeDe.SGCLASSE->AsString());
}

void TfrmManuDelValor::cdsServicoDelQTATUAPRODSPChange(TField& sender)
{
    if (!Editing(*cdsServicoDel)) return;
    // A service priced once per flight is invoiced once, whatever was served.
    if (fldServicoDel.IDTPPRECO->AsString() == QLatin1String("2"))
        fldServicoDel.QTSERFATSP->SetAsFloat(1);
    else
        fldServicoDel.QTSERFATSP->SetValue(sender.Value());
}
