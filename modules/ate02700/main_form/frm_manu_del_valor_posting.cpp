// Posting a service row and saving it at once: the checks and derived quantities before the
// post, the price the server calculates for the row, the save of the change log with the
// recalculated delivery coming back, and the commands that go with it (delete guard, cancel,
// Cancelar and Verificar).

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/main_form/list_progress.h"
#include "modules/ate02700/model/null_field_list.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/field.h"
#include "framework/db/adoibquery.h"
#include "framework/ui/application_host.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/units/consiste.h"
#include "framework/units/core/server_error_text.h"
#include "framework/units/larkumo.h"
#include "framework/units/messages.h"
#include "framework/units/showavi.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QScopedValueRollback>

namespace {

constexpr int kQuantityDecimals = 3;

bool Editing(const TClientDataSet& dataSet)
{
    return dataSet.State() == TDataSetState::Edit || dataSet.State() == TDataSetState::Insert;
}

// A quantity rounded to 3 decimals; an empty one stays empty.
void RoundQuantity(TField& field)
{
    if (!field.IsNull()) field.SetAsFloat(Consiste::RoundDec(field.AsFloat(), kQuantityDecimals));
}

// The value at the start of the edit as a number, 0 when it was empty.
double StartNumber(const TField& field)
{
    const wire::Value start = field.OldValue();
    return start.isNumber() ? start.toDouble() : 0.0;
}

}  // namespace

void TfrmManuDelValor::BindPostingHandlers()
{
    cdsServicoDel->BeforePost = [this](TClientDataSet& ds) { cdsServicoDelBeforePost(ds); };
    cdsServicoDel->AfterPost = [this](TClientDataSet& ds) { cdsServicoDelAfterPost(ds); };
    cdsServicoDel->AfterDelete = [this](TClientDataSet& ds) { cdsServicoDelAfterPost(ds); };
    cdsServicoDel->BeforeDelete = [this](TClientDataSet& ds) { cdsServicoDelBeforeDelete(ds); };
    cdsServicoDel->AfterCancel = [this](TClientDataSet& ds) { cdsServicoDelAfterCancel(ds); };
}

void TfrmManuDelValor::FocusServiceColumn(const QString& fieldName)
{
    const int column = Consiste::IndiceCol(*dbgServicoDel, fieldName);
    if (column >= 0) dbgServicoDel->SetSelectedIndex(column);
    if (dbgServicoDel->isVisible()) dbgServicoDel->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- before post

void TfrmManuDelValor::cdsServicoDelBeforePost(TClientDataSet& dataSet)
{
    NormaliseServiceRow();
    // A new row is always checked; a changed one only when a quantity that is charged moved.
    if (dataSet.State() == TDataSetState::Insert || ServiceQuantitiesChanged()) CheckAndDeriveQuantities();

    fldServicoDel.QTREALPROD->SetValue(fldServicoDel.QTATUAPRODSP->Value());
    if (!fldServicoDel.VRPRECMANUTSESP->IsNull() && fldServicoDel.VRPRECMANUTSESP->AsFloat() == 0) {
        FocusServiceColumn(QStringLiteral("VRPRECMANUTSESP"));
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("manutpreco<>Zero")), true);
    }
    PriceServiceRow();
}

void TfrmManuDelValor::NormaliseServiceRow()
{
    fldServicoDel.CDFILIAL->SetAsString(medCdFilial->Text());
    RoundQuantity(*fldServicoDel.QTSERFATSP);
    RoundQuantity(*fldServicoDel.QTSESBYUTSP);
    RoundQuantity(*fldServicoDel.QTSESBYNUTSP);
    fldServicoDel.CDUSRRESPSP->SetAsString(Larkumo::Operador());
}

bool TfrmManuDelValor::ServiceQuantitiesChanged() const
{
    // Compared after rounding; an empty current value reads as 0, and an empty starting
    // value differs from every number.
    for (const TField* field : {fldServicoDel.QTSERFATSP, fldServicoDel.QTSESBYUTSP, fldServicoDel.QTSESBYNUTSP}) {
        if (field->OldValue().isNull() || StartNumber(*field) != field->AsFloat()) return true;
    }
    return false;
}

void TfrmManuDelValor::CheckAndDeriveQuantities()
{
    const auto refuse = [this](const char* field, const char* key) {
        FocusServiceColumn(QString::fromLatin1(field));
        Consiste::MensErro(msgPadrao->Msg(QString::fromLatin1(key)), true);
    };
    ate02700::ServicoDelFields& f = fldServicoDel;
    if (Consiste::EmptyString(f.CDARVSERV->AsString())) refuse("CDARVSERV", "Serv_Vaz");
    if (f.QTSERFATSP->IsNull()) refuse("QTSERFATSP", "Qtde_Vaz");
    if (f.QTSESBYUTSP->IsNull()) refuse("QTSESBYUTSP", "SBUt_Vaz");
    if (f.QTSESBYNUTSP->IsNull()) refuse("QTSESBYNUTSP", "SBNU_Vaz");
    if (!(f.QTATUAPRODSP->AsFloat() > 0)) refuse("QTATUAPRODSP", "Qtde_Zero");

    f.QTSESBYPRSP->SetAsFloat(f.QTSESBYUTSP->AsFloat() + f.QTSESBYNUTSP->AsFloat());
    if (cdsServicoDel->State() == TDataSetState::Insert) {
        f.QTSERVFIXSP->SetAsFloat(f.QTSERFATSP->AsFloat());
        f.QTSESOLICSP->SetAsFloat(0);
        return;
    }
    // Everything is derived from the values at the start of the edit, so a post tried again
    // after a refusal derives the same. A row loaded without a quantity to invoice starts
    // from 0: the whole new quantity is the change (and so, likewise, for an empty fixed or
    // requested quantity).
    const double delta = f.QTSERFATSP->AsFloat() - StartNumber(*f.QTSERFATSP);
    TField& follows = f.IDTIPSCBOSP->AsString() == QLatin1String("5") ? *f.QTSERVFIXSP : *f.QTSESOLICSP;
    follows.SetAsFloat(StartNumber(follows) + delta);
}

void TfrmManuDelValor::PriceServiceRow()
{
    Showavi::ActiveShowAvi(this, 1, msgPadrao->Msg(QStringLiteral("Cal_Preco")));
    const auto hide = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
    try {
        ate02700::ServicoDelFields& f = fldServicoDel;
        const QDateTime flightDate = fldDelivery.DTHRPLAVOOPV->AsDateTime();
        wire::Value answer =
            Rdm().CalculaPreco(medCdFilial->Text(), astCiaVooTre[0], astCiaVooTre[1], astCiaVooTre[2], flightDate,
                               f.CDCLASSE->AsString(), flightDate, f.CDSERVICO->AsString(), f.QTSERFATSP->AsFloat(),
                               f.IDTIPMANUALSP->AsString(), f.QTSESBYPRSP->AsFloat());
        cdsCalcPreco->SetData(Consiste::CheckResultServ(std::move(answer), true, 0));
        cdsCalcPreco->First();
        f.VRPRURESESP->SetAsFloat(fldCalcPreco.VRPRURESESP->AsFloat());
        f.VRPRUDOLSESP->SetAsFloat(fldCalcPreco.VRPRUDOLSESP->AsFloat());
        f.VRPRUSBYSP->SetAsFloat(fldCalcPreco.VRPRUSBYSP->AsFloat());
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& failure) {
        Showavi::DeactiveShowAvi();
        QCoreApplication::processEvents();
        // A database failure keeps its own words; so does a connection that failed, which
        // is no text of the server.
        if (IsDatabaseErrorText(failure.Message()) || dynamic_cast<const EConnectionError*>(&failure) != nullptr) throw;
        ReportServerErrorText(failure.Message());
        throw;
    }
}

void TfrmManuDelValor::ReportServerErrorText(const QString& text)
{
    const ServerErrorText coded = DecodeServerErrorText(text);
    // A text that names none of the catalogue's messages is not a coded one: shown as it
    // came, rather than as a fragment of itself.
    if (coded.key.isEmpty() || !msgPadrao->Contains(coded.key)) return;
    Consiste::MensErro(FormatServerErrorText(msgPadrao->Msg(coded.key), coded.argument), true);
}

// ---------------------------------------------------------------- the save

void TfrmManuDelValor::cdsServicoDelAfterPost(TClientDataSet& dataSet)
{
    Showavi::ActiveShowAvi(this, 1, msgPadrao->Msg(QStringLiteral("Atual_Dados")));
    const auto hide = qScopeGuard([] { Showavi::DeactiveShowAvi(); });
    if (dataSet.ChangeCount() == 0) return;

    if (cdsErro->Active() && !cdsErro->IsEmpty()) cdsErro->EmptyDataSet();
    Repaint();
    Showavi::ActiveShowAvi(this, 1, msgPadrao->Msg(QStringLiteral("Recal_Del")));

    // After a delete the current row is the one that took the deleted row's place.
    const qint64 nrDelivery = fldDelivery.NRDELIVERY->AsInteger();
    const QString cdArvServ = fldServicoDel.CDARVSERV->AsString();
    const QString nullFields = ate02700::NullFieldList(dataSet);
    bool answerLoaded = false;
    try {
        SendServiceChanges(nrDelivery, nullFields, answerLoaded);
    } catch (...) {
        Showavi::DeactiveShowAvi();
        try {
            RestoreServicePosition(nrDelivery, cdArvServ, answerLoaded);
        } catch (const Exception&) {
            // The operator sees the save's failure; a reload that failed after it is not
            // reported on top of it.
        }
        throw;
    }
    RestoreServicePosition(nrDelivery, cdArvServ, answerLoaded);
}

void TfrmManuDelValor::SendServiceChanges(qint64 nrDelivery, const QString& nullFields, bool& answerLoaded)
{
    std::vector<wire::DataPacket> packets;
    try {
        packets = Consiste::CheckResultServPackets(
            Rdm().SetServicoDel(cdsServicoDel->Delta(), medCdFilial->Text(), nrDelivery,
                                fldDelivery.CDLOCAFATCIA->AsString(), fldCompanhia.CDCIA->AsString(),
                                depPlanoVooIni->GetDateTime(), depPlanoVooFin->GetDateTime(), nullFields),
            3, true, 0);
    } catch (const Exception&) {
        // Nothing reached the server, or nothing of its answer can be used: the list goes
        // back to the rows the server last gave, so it never shows a change as saved that
        // was not.
        cdsServicoDel->CancelUpdates();
        throw;
    }
    cdsErro->SetData(std::move(packets[0]));
    {
        // The list is put back on the saved delivery afterwards, and the third packet holds
        // that delivery's services: its first row is not followed meanwhile.
        const QScopedValueRollback held(deliveryMovesHeld_, true);
        cdsDelivery->SetData(std::move(packets[1]));
    }
    cdsServicoDel->SetData(std::move(packets[2]));
    answerLoaded = true;
    Showavi::DeactiveShowAvi();

    cdsErro->First();
    const TField* kind = cdsErro->IsEmpty() ? nullptr : cdsErro->FindField(QStringLiteral("CDERRO"));
    const TField* text = cdsErro->FindField(QStringLiteral("CDOBJETO"));
    const QString errorKind = kind ? kind->AsString() : QString();
    const QString errorText = text && kind ? text->AsString() : QString();
    if (errorKind == QLatin1String("Erro_Mens")) {
        ReportServerErrorText(errorText);
        Consiste::MensErro(errorText, true);
    }
    if (errorKind == QLatin1String("ERRO_ATU")) Consiste::MensErro(errorText, true);
    if (cdsServicoDel->LogChanges()) cdsServicoDel->MergeChangeLog();
}

void TfrmManuDelValor::RestoreServicePosition(qint64 nrDelivery, const QString& cdArvServ, bool servicesCurrent)
{
    const TLocateOptions caseInsensitive{.CaseInsensitive = true};
    const QString delivery = QStringLiteral("NRDELIVERY");
    const wire::Value key(static_cast<double>(nrDelivery));
    if (servicesCurrent) {
        {
            const QScopedValueRollback held(deliveryMovesHeld_, true);
            cdsDelivery->Locate(delivery, key, caseInsensitive);
        }
        // Followed once, on the row the list ended on. The answer's services are those of
        // the saved delivery: fetched again only for a list that no longer holds it, so the
        // services shown are always the current delivery's.
        const bool elsewhere = cdsDelivery->IsEmpty() || fldDelivery.NRDELIVERY->AsInteger() != nrDelivery;
        FollowCurrentDelivery(elsewhere && pgcPadrao->ActivePage() == tshFormulario);
    } else {
        // Nothing of the answer came in: putting the delivery back fetches its services
        // again, which drops what was not sent.
        cdsDelivery->Locate(delivery, key, caseInsensitive);
    }
    if (cdsServicoDel->Active())
        cdsServicoDel->Locate(QStringLiteral("CDARVSERV"), wire::Value(cdArvServ), caseInsensitive);
}

// ---------------------------------------------------------------- delete, cancel, buttons

void TfrmManuDelValor::cdsServicoDelBeforeDelete(TClientDataSet& dataSet)
{
    if (dataSet.RecordCount() == 1) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("NExcl_Serv")), true);
}

void TfrmManuDelValor::cdsServicoDelAfterCancel(TClientDataSet& dataSet) { dataSet.CancelUpdates(); }

void TfrmManuDelValor::sbtCancelarClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (!Editing(dataSet)) return;
    if (msgMensagensPadroes->ShowMsg(QStringLiteral("Canc"), TMsgDlgType::Confirmation, mbYes | mbNo, 0)
        == TModalResult::Yes)
        dataSet.Cancel();
}

void TfrmManuDelValor::sbtVerificarClick(QObject& /*sender*/)
{
    Cli_ate02700::astCdCia = {QStringLiteral("0"), QString(), QString()};
    const ate02700::TListProgress progress;
    if (pgcPadrao->ActivePage() == tshFolhaDados) {
        cdsDelivery->SetData(
            Consiste::CheckResultServ(Rdm().GetDelivery(medCdFilial->Text(), fldCompanhia.CDCIA->AsString(),
                                                        depPlanoVooIni->GetDateTime(), depPlanoVooFin->GetDateTime()),
                                      true, 0));
    } else {
        cdsServicoDel->SetData(Consiste::CheckResultServ(
            Rdm().GetServicoDel(medCdFilial->Text(), fldDelivery.NRDELIVERY->AsString()), true, 0));
    }
}
