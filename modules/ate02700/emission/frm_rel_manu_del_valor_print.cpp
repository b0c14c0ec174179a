// The emission dialog's work: the emission place (lookup and validation), the numbering
// request and the print loop over the main form's marked deliveries.

#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/db/params.h"
#include "framework/report/report_designer_dialog.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tmaskedit.h"
#include "framework/units/consiste.h"
#include "framework/units/messages.h"
#include "framework/units/qrddlgs.h"

#include <exception>

namespace {

// The server's failure text when the place has no invoice number left for the deliveries.
constexpr QLatin1StringView kNoNumbersLeft{"Numeracao"};
constexpr int kPlaceCodeLength = 4;

}  // namespace

void TfrmRelManuDelValor::BindHandlers()
{
    medCdLocal->OnExit = [this](QObject& sender) { medCdLocalExit(sender); };
    btpLocal->OnBeforePesq = [this](QObject& sender, bool& go) { btpLocalBeforePesq(sender, go); };
    btpLocal->OnAfterPesq = [this](QObject& sender) { btpLocalAfterPesq(sender); };
    rpddPadrao->BeforeGetQueryParams = [this](TReportDesignerDialog& sender, TParams& params) {
        rpddPadraoBeforeGetQueryParams(sender, params);
    };
}

TfrmManuDelValor& TfrmRelManuDelValor::MainForm()
{
    TfrmManuDelValor* form = Cli_ate02700::frmManuDelValor;
    // The dialog is opened from the main form only; without it there is nothing to emit.
    if (!form) throw Exception(QStringLiteral("A tela de emissão de guia valorizado não está aberta."));
    return *form;
}

TRdmManuDelValor TfrmRelManuDelValor::Rdm() { return MainForm().Rdm(); }

QString TfrmRelManuDelValor::Branch() { return MainForm().medCdFilial->Text(); }

void TfrmRelManuDelValor::medCdLocalExit(QObject& /*sender*/) { Vd_LocalEmis(); }

void TfrmRelManuDelValor::btpLocalBeforePesq(QObject& /*sender*/, bool& /*continueLookup*/)
{
    cdsLocalEmiss->SetData(
        Consiste::CheckResultServ(Rdm().GetLocalEmissDel(Branch(), QString(), QStringLiteral("T")), true, 0));
}

void TfrmRelManuDelValor::btpLocalAfterPesq(QObject& /*sender*/)
{
    medCdLocal->SetText(fldLocalEmiss.CDLOCALDELIV->AsString());
    edtDsLocal->SetText(fldLocalEmiss.NMLOCALDELIV->AsString());
}

void TfrmRelManuDelValor::Vd_LocalEmis()
{
    try {
        if (Consiste::EmptyString(medCdLocal->Text())) {
            // A name left from an earlier code would stand beside nothing.
            edtDsLocal->SetText(QString());
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Local_inf")), true);
        }
        medCdLocal->SetText(Consiste::Ajusta(medCdLocal->Text(), kPlaceCodeLength));
        cdsLocalEmiss->SetData(
            Consiste::CheckResultServ(Rdm().GetLocalEmissDel(Branch(), medCdLocal->Text(), QString()), true, 0));
        if (cdsLocalEmiss->IsEmpty()) {
            edtDsLocal->SetText(QString());
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Local_cad")), true);
        }
        edtDsLocal->SetText(fldLocalEmiss.NMLOCALDELIV->AsString());
    } catch (...) {
        medCdLocal->SetFocus();
        throw;
    }
}

void TfrmRelManuDelValor::GeraNovoFatur()
{
    TClientDataSet& deliveries = *MainForm().cdsDelivery;
    std::exception_ptr failure;
    bool noNumbersLeft = false;
    try {
        // The request carries only the marked deliveries.
        deliveries.SetFiltered(true);
        Consiste::CheckResultServ(Rdm().GeraNovoFatur(deliveries.Data(), medCdLocal->Text()), true, 0);
    } catch (const EAbort&) {
        failure = std::current_exception();
    } catch (const Exception& e) {
        if (e.Message() == kNoNumbersLeft)
            noNumbersLeft = true;
        else
            failure = std::current_exception();
    } catch (...) {
        failure = std::current_exception();
    }
    // The list is whole again before anything is shown (switching the filter off cannot leave
    // it on, even when the cursor's handlers fail).
    deliveries.SetFiltered(false);
    if (failure) std::rethrow_exception(failure);
    if (noNumbersLeft) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("Numeracao")), true);
}

void TfrmRelManuDelValor::sbtPrintClick(QObject& sender)
{
    Cli_ate02701::boPrint = false;
    Vd_LocalEmis();
    GeraNovoFatur();

    TfrmManuDelValor& main = MainForm();
    TClientDataSet& deliveries = *main.cdsDelivery;
    deliveries.DisableControls();
    const auto finish = [this, &deliveries] {
        deliveries.EnableControls();
        close();
    };
    try {
        if (!deliveries.Active() || deliveries.IsEmpty())
            Consiste::MensErro(msgPadrao->Msg(QStringLiteral("DELIVERY")), true);
        deliveries.First();
        while (!deliveries.Eof()) {
            // The report asks for its parameters while the list stands on this delivery.
            if (main.fldDelivery.IDMARCADO->AsString() == QLatin1String("S")) TfrmDadosGerRel::sbtPrintClick(sender);
            deliveries.Next();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TfrmRelManuDelValor::rpddPadraoBeforeGetQueryParams(TReportDesignerDialog& /*sender*/, TParams& params)
{
    const ate02700::DeliveryFields& delivery = MainForm().fldDelivery;
    if (Qrddlgs::ExistParam(params, QStringLiteral("P_CDFILIAL")))
        params.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(delivery.CDFILIAL->AsString());
    if (Qrddlgs::ExistParam(params, QStringLiteral("P_NRDELIVERY")))
        params.ParamByName(QStringLiteral("P_NRDELIVERY"))
            .SetAsString(QStringLiteral("_%1_").arg(QString::number(delivery.NRDELIVERY->AsInteger())));
}
