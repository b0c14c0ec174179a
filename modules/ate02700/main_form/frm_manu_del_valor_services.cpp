// The service list of the current delivery: following the delivery cursor, loading the
// services while their tab shows, the currency of the price columns, the commands by the
// edit state of the list and the situation colours of its rows.

#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/main_form/list_progress.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/colors.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tnumberedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"

#include <QPalette>

namespace {

bool Editing(TDataSetState state) { return state == TDataSetState::Edit || state == TDataSetState::Insert; }

// Font colour of a service row by its situation (IDSITSERSP); none for any other value.
std::optional<QColor> SituationColor(const QString& situation)
{
    bool number = false;
    const int value = situation.trimmed().toInt(&number);
    if (!number) return std::nullopt;
    switch (value) {
    case 1: return QColor(0x00, 0x00, 0xFF);  // blue
    case 2: return QColor(0x00, 0x80, 0x00);  // green
    case 3: return QColor(0xFF, 0x00, 0x00);  // red
    case 4: return QColor(0x80, 0x00, 0x00);  // maroon
    default: return std::nullopt;
    }
}

}  // namespace

void TfrmManuDelValor::BindServices()
{
    cdsDelivery->AfterScroll = [this](TClientDataSet& ds) { cdsDeliveryAfterScroll(ds); };
    // Giving the list's controls back tells its data source the whole list changed.
    connect(dtsDelivery, &TDataSource::dataSetChanged, this, [this] {
        if (deliveryShownLate_ && !cdsDelivery->ControlsDisabled()) ShowCurrentDelivery();
    });
    cdsServicoDel->BeforeInsert = [this](TClientDataSet& ds) { cdsServicoDelBeforeInsert(ds); };
    cdsServicoDel->AfterInsert = [this](TClientDataSet& ds) { cdsServicoDelAfterInsert(ds); };
    cdsServicoDel->BeforeEdit = [this](TClientDataSet& ds) { cdsServicoDelBeforeEdit(ds); };
    cdsServicoDel->AfterEdit = [this](TClientDataSet& ds) { cdsServicoDelAfterEdit(ds); };
    fldServicoDel.QTATUAPRODSP->OnChange = [this](TField& f) { cdsServicoDelQTATUAPRODSPChange(f); };
    dbgServicoDel->OnKeyPress = [this](TDBGrid& g, QChar& key) { dbgServicoDelKeyPress(g, key); };
    dbgServicoDel->OnColExit = [this](TDBGrid& g) { dbgServicoDelColExit(g); };
    dbgServicoDel->OnEditButtonClick = [this](TDBGrid& g) { dbgServicoDelEditButtonClick(g); };
    // The handler paints every cell whole, so the grid's own first pass is spared.
    dbgServicoDel->SetDefaultDrawing(false);
    dbgServicoDel->OnDrawColumnCell = [this](TDBGrid& g, const QRect& rect, int dataCol, TColumn& column,
                                             TGridDrawState state) {
        dbgServicoDelDrawColumnCell(g, rect, dataCol, column, state);
    };
}

void TfrmManuDelValor::LoadServices()
{
    // Without a current delivery there is nothing to ask the server for.
    if (!cdsDelivery->Active() || cdsDelivery->IsEmpty()) {
        if (cdsServicoDel->Active()) cdsServicoDel->EmptyDataSet();
        return;
    }
    const ate02700::TListProgress progress;
    wire::Value answer = Rdm().GetServicoDel(medCdFilial->Text(), fldDelivery.NRDELIVERY->AsString());
    cdsServicoDel->SetData(Consiste::CheckResultServ(std::move(answer), true, 0));
}

void TfrmManuDelValor::cdsDeliveryAfterScroll(TClientDataSet& /*dataSet*/)
{
    if (!deliveryMovesHeld_) FollowCurrentDelivery(pgcPadrao->ActivePage() == tshFormulario);
}

void TfrmManuDelValor::FollowCurrentDelivery(bool loadServices)
{
    astCiaVooTre = {fldDelivery.CDCIA->AsString(), fldDelivery.NRVOO->AsString(), fldDelivery.CDTRECHO->AsString()};
    if (loadServices) LoadServices();
    // A pass over the list (marking, emission) holds its controls: nothing is drawn until it
    // ends, so the screen follows only the row it ends on.
    if (cdsDelivery->ControlsDisabled())
        deliveryShownLate_ = true;
    else
        ShowCurrentDelivery();
}

void TfrmManuDelValor::ShowCurrentDelivery()
{
    deliveryShownLate_ = false;
    dtsPadraoStateChange(*dtsPadrao);
    lblNmCia->SetCaption(fldDelivery.NRDELIVERY->AsString() + QStringLiteral(" - ") + fldDelivery.NMCIA->AsString());
    if (!cdsDelivery->IsEmpty()) SwapCurrencyColumns();
    const bool marked = fldDelivery.IDMARCADO->AsString() == QLatin1String("S");
    btnCancelDel->SetEnabled(marked);
    sbtImprimir->SetEnabled(marked);
    ndeTotalServico->SetNumber(fldDelivery.VRTOTDESC->AsFloat());
}

void TfrmManuDelValor::SwapCurrencyColumns()
{
    const bool international = fldDelivery.IDTIPNACDEL->AsString() == QLatin1String("2");
    const auto swap = [this](const QString& from, const QString& to) {
        // A column already showing the target is not found, and stays as it is.
        const int index = Consiste::IndiceCol(*dbgServicoDel, from);
        if (index >= 0) dbgServicoDel->Columns()[index].SetFieldName(to);
    };
    const QString totalLocal = QStringLiteral("VRTOTSERVR");
    const QString totalDollar = QStringLiteral("VRTOTSERVD");
    const QString priceLocal = QStringLiteral("VRPRURESESP");
    const QString priceDollar = QStringLiteral("VRPRUDOLSESP");
    if (international) {
        swap(totalLocal, totalDollar);
        swap(priceLocal, priceDollar);
    } else {
        swap(totalDollar, totalLocal);
        swap(priceDollar, priceLocal);
    }
}

void TfrmManuDelValor::pgcPadraoChange(QObject& sender)
{
    TfrmPadrao::pgcPadraoChange(sender);
    if (pgcPadrao->ActivePage() == tshFormulario) LoadServices();
    dtsPadraoStateChange(*dtsPadrao);
}

void TfrmManuDelValor::dtsPadraoStateChange(QObject& /*sender*/)
{
    const TClientDataSet* services = dtsPadrao->DataSet();
    const bool onServices = pgcPadrao->ActivePage() == tshFormulario;                                     // S
    const bool onDeliveries = pgcPadrao->ActivePage() == tshFolhaDados;                                   // D
    const bool editing = Editing(dtsPadrao->State());                                                     // E
    const bool browsing = dtsPadrao->State() == TDataSetState::Browse;                                    // B
    const bool notInvoiced = Consiste::EmptyString(fldDelivery.NRDELIVERYFA->AsString());                 // N
    const bool hasServices = services && services->Active() && !services->IsEmpty();                      // X
    const bool hasDeliveries = dtsDelivery->State() == TDataSetState::Browse && !cdsDelivery->IsEmpty();  // Y

    // The delivery tab stays shut while a service row is being changed.
    tshFolhaDados->SetEnabled(!editing);
    mnuFolhaDados->SetEnabled(!editing);
    mnuGravar->SetEnabled(onServices && editing);
    mnuCancelar->SetEnabled(onServices && editing);
    mnuIncluir->SetEnabled(onServices && browsing && notInvoiced);
    mnuAlterar->SetEnabled(onServices && browsing && hasServices && notInvoiced);
    mnuExcluir->SetEnabled(onServices && browsing && hasServices && notInvoiced);
    mnuProcurar->SetEnabled(browsing && hasServices);
    mnuVerificar->SetEnabled((onServices && browsing && hasServices) || (onDeliveries && hasDeliveries));

    sbtIncluir->SetEnabled(mnuIncluir->Enabled());
    sbtAlterar->SetEnabled(mnuAlterar->Enabled());
    sbtExcluir->SetEnabled(mnuExcluir->Enabled());
    sbtGravar->SetEnabled(mnuGravar->Enabled());
    sbtCancelar->SetEnabled(mnuCancelar->Enabled());
    sbtProcurar->SetEnabled(mnuProcurar->Enabled());
    sbtVerificar->SetEnabled(mnuVerificar->Enabled());

    // An invoiced delivery keeps its services as they were loaded.
    if (!notInvoiced && editing) cdsServicoDel->CancelUpdates();

    const int code = Consiste::IndiceCol(*dbgServicoDel, QStringLiteral("CDARVSERV"));
    if (code >= 0)
        dbgServicoDel->Columns()[code].SetButtonStyle(
            dtsPadrao->State() == TDataSetState::Insert ? TColumnButtonStyle::Ellipsis : TColumnButtonStyle::Auto);

    // Every control of the filter panel is set straight to the state it ends in: enabling
    // them all and disabling some again would repaint those on every move.
    const auto controls = panFiltro->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const bool enabled = FilterControlEnabled(*control, editing);
        // Each control's own setting, whatever its parents' state.
        if (control->testAttribute(Qt::WA_ForceDisabled) == enabled) control->setEnabled(enabled);
    }
}

bool TfrmManuDelValor::FilterControlEnabled(const QWidget& control, bool editing) const
{
    // The names beside the codes only show what the codes found: never typed into.
    if (&control == edtNmFilial || &control == edtNmCia) return false;
    // A branch fixed by the host stays fixed whenever the panel is open again, also before
    // any service was loaded (the list closed).
    const bool branch = &control == lblFilial || &control == medCdFilial || &control == btpFilial;
    if (!editing && branch) return !Larkumo::ModuFili();
    // The rest follows the edit state, as the panel's children all do.
    return !editing;
}

void TfrmManuDelValor::dbgServicoDelDrawColumnCell(TDBGrid& sender, const QRect& rect, int /*dataCol*/, TColumn& column,
                                                   TGridDrawState state)
{
    TCanvas& canvas = sender.Canvas();
    canvas.Brush().SetColor(Colors::InfoBk());
    canvas.FillRect(rect);
    const QString situation = fldServicoDel.IDSITSERSP->AsString();
    if (!Consiste::EmptyString(situation)) {
        if (const std::optional<QColor> color = SituationColor(situation)) canvas.Font().SetColor(*color);
    }
    if (state.Selected) {
        const QPalette& colors = sender.palette();
        canvas.Brush().SetColor(colors.color(QPalette::Highlight));
        canvas.Font().SetColor(colors.color(QPalette::HighlightedText));
    }
    const TField* field = column.Field();
    canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, field ? field->DisplayText() : QString());
    if (state.Focused) canvas.DrawFocusRect(rect);
}
