// The main form's cancellation of invoice numbers and the opening of the emission dialog.

#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/main_form/list_progress.h"

#include "modules/ate02700/emission/cli_ate02701.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/ui/application_host.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/messages.h"
#include "framework/units/showavi.h"

#include <exception>

void TfrmManuDelValor::BindEmissionCommands()
{
    btnCancelDel->OnClick = [this](QObject& sender) { btnCancelDelClick(sender); };
}

void TfrmManuDelValor::btnCancelDelClick(QObject& /*sender*/)
{
    if (msgMensagensPadroes->ShowMsg(QStringLiteral("cancel_del"), TMsgDlgType::Confirmation,
                                     TMsgDlgButtons(mbYes | mbNo), 0)
        != TModalResult::Yes)
        return;

    Showavi::ActiveShowAvi(Application().MainForm(), ate02700::TListProgress::kAnimation);
    TClientDataSet& deliveries = *cdsDelivery;
    const QString current = fldDelivery.NRDELIVERY->AsString();
    deliveries.DisableControls();
    // On every way out: the grid follows the cursor again, back on the delivery the operator
    // was on, and the animation goes.
    const auto finish = [this, &deliveries, &current] {
        deliveries.EnableControls();
        if (deliveries.Active()) deliveries.Locate(QStringLiteral("NRDELIVERY"), wire::Value(current));
        Showavi::DeactiveShowAvi();
    };
    try {
        bool invoicedMarked = false;
        if (deliveries.Active()) {
            deliveries.First();
            while (!deliveries.Eof()) {
                if (fldDelivery.IDMARCADO->AsString() == QLatin1String("S") && !fldDelivery.NRDELIVERYFA->IsNull()) {
                    invoicedMarked = true;
                    break;
                }
                deliveries.Next();
            }
        }
        if (!invoicedMarked) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("n_h_nrfat")), true);
        deliveries.SetData(Consiste::CheckResultServ(
            Rdm().SetCancelDel(deliveries.Data(), medCdFilial->Text(), fldCompanhia.CDCIA->AsString(),
                               depPlanoVooIni->GetDateTime(), depPlanoVooFin->GetDateTime()),
            true, 0));
    } catch (...) {
        std::exception_ptr failure = std::current_exception();
        try {
            finish();
        } catch (...) {
            // The first failure is the one the operator must see.
        }
        std::rethrow_exception(failure);
    }
    finish();
}

void TfrmManuDelValor::sbtImprimirClick(QObject& /*sender*/)
{
    // The list is read again however the dialog ended: printed, closed, or failed.
    std::exception_ptr failure;
    try {
        Cli_ate02701::CriaRelManuDelValor();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        try {
            ReloadDeliveriesAfterEmission();
        } catch (...) {
            // The dialog's own failure is the one the operator must see.
        }
        std::rethrow_exception(failure);
    }
    ReloadDeliveriesAfterEmission();
}

void TfrmManuDelValor::ReloadDeliveriesAfterEmission()
{
    const ate02700::TListProgress progress;
    cdsDelivery->SetData(
        Consiste::CheckResultServ(Rdm().GetDelivery(medCdFilial->Text(), fldCompanhia.CDCIA->AsString(),
                                                    depPlanoVooIni->GetDateTime(), depPlanoVooFin->GetDateTime()),
                                  true, 0));
}
