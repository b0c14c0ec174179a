// Delivery selection: the filter panel (branch, airline, flight-plan dates), the loading of
// the deliveries when the panel is left, and the delivery list with its marks and drawing.

#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/main_form/list_progress.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/value_text.h"
#include "framework/db/adoibquery.h"
#include "framework/db/params.h"
#include "framework/ui/application_host.h"
#include "framework/ui/colors.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tedit.h"
#include "framework/ui/timage.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"
#include "framework/units/messages.h"
#include "framework/units/procurar.h"

namespace {

const QString kMarkField = QStringLiteral("IDMARCADO");
const QString kMarked = QStringLiteral("S");
const QString kUnmarked = QStringLiteral("N");
const QColor kBlockedInvoiced{128, 0, 0};  // maroon
const QColor kOpenInvoiced{0, 128, 0};     // green

// A pass over the list: the hourglass and the dataset's controls suspended while it runs,
// both given back (and the list on its first row) whatever happens.
class ListPass {
public:
    explicit ListPass(TClientDataSet& dataSet) : dataSet_(dataSet)
    {
        Screen().SetCursor(TCursor::HourGlass);
        dataSet_.DisableControls();
    }
    ~ListPass()
    {
        try {
            if (dataSet_.Active()) {
                if (dataSet_.State() != TDataSetState::Browse) dataSet_.Cancel();
                dataSet_.First();
            }
        } catch (...) {
            // The pass's own failure is the one the operator sees.
        }
        dataSet_.EnableControls();
        Screen().SetCursor(TCursor::Default);
    }
    ListPass(const ListPass&) = delete;
    ListPass& operator=(const ListPass&) = delete;

private:
    TClientDataSet& dataSet_;
};

bool Invoiced(const TField& invoiceNumber) { return !Consiste::EmptyString(invoiceNumber.AsString()); }

}  // namespace

void TfrmManuDelValor::BindDeliverySelection()
{
    medCdFilial->OnExit = [this](QObject& s) { medCdFilialExit(s); };
    medCdFilial->OnChange = [this](QObject& s) { medCdFilialChange(s); };
    btpFilial->OnBeforePesq = [this](QObject& s, bool& go) { btpFilialBeforePesq(s, go); };
    btpFilial->OnAfterPesq = [this](QObject& s) { btpFilialAfterPesq(s); };
    medCompanhia->OnExit = [this](QObject& s) { medCompanhiaExit(s); };
    medCompanhia->OnChange = [this](QObject& s) { medCompanhiaChange(s); };
    btpCia->OnBeforePesq = [this](QObject& s, bool& go) { btpCiaBeforePesq(s, go); };
    btpCia->OnAfterPesq = [this](QObject& s) { btpCiaAfterPesq(s); };
    depPlanoVooIni->OnExit = [this](QObject& s) { depPlanoVooIniExit(s); };
    depPlanoVooFin->OnExit = [this](QObject& s) { depPlanoVooFinExit(s); };
    panFiltro->OnEnter = [this](QObject& s) { panFiltroEnter(s); };
    panFiltro->OnExit = [this](QObject& s) { panFiltroExit(s); };

    dbgPadrao->OnCellClick = [this](TColumn& c) { dbgPadraoCellClick(c); };
    dbgPadrao->OnTitleClick = [this](TColumn& c) { dbgPadraoTitleClick(c); };
    // The handler paints every cell whole: the grid's own first pass would be wasted.
    dbgPadrao->SetDefaultDrawing(false);
    dbgPadrao->OnDrawColumnCell = [this](TDBGrid& g, const QRect& r, int i, TColumn& c, TGridDrawState st) {
        dbgPadraoDrawColumnCell(g, r, i, c, st);
    };

    fldDelivery.NRDELIVERYFA->OnGetText = [this](TField& f, QString& t, bool d) {
        cdsDeliveryNRDELIVERYFAGetText(f, t, d);
    };
    fldDelivery.VRBACATX->OnGetText = [this](TField& f, QString& t, bool d) { cdsDeliveryVRBACATXGetText(f, t, d); };
    fldDelivery.VRTOTDESC->OnGetText = [this](TField& f, QString& t, bool d) { cdsDeliveryVRTOTDESCGetText(f, t, d); };
    fldDelivery.VRTOTDELIV->OnGetText = [this](TField& f, QString& t, bool d) {
        cdsDeliveryVRTOTDELIVGetText(f, t, d);
    };
    fldDelivery.VRTXAERO->OnGetText = [this](TField& f, QString& t, bool d) { cdsDeliveryVRTXAEROGetText(f, t, d); };
}

// ---- filter panel

void TfrmManuDelValor::medCdFilialExit(QObject& /*sender*/) { Vd_Filial(true); }

void TfrmManuDelValor::medCdFilialChange(QObject& /*sender*/)
{
    // A new branch asks for the airline again; clearing the code clears its name in turn.
    edtNmFilial->Clear();
    medCompanhia->Clear();
}

void TfrmManuDelValor::btpFilialBeforePesq(QObject& /*sender*/, bool& /*continueLookup*/)
{
    qryFilial->Close();
    qryFilial->Open();
}

void TfrmManuDelValor::btpFilialAfterPesq(QObject& /*sender*/)
{
    medCdFilial->SetText(fldFilial.CDFILIAL->AsString());
    edtNmFilial->SetText(fldFilial.NMFILIAL->AsString());
}

void TfrmManuDelValor::medCompanhiaExit(QObject& /*sender*/) { Vd_Companhia(false); }

void TfrmManuDelValor::medCompanhiaChange(QObject& /*sender*/) { edtNmCia->Clear(); }

void TfrmManuDelValor::btpCiaBeforePesq(QObject& /*sender*/, bool& /*continueLookup*/)
{
    qryCompanhia->Close();
    qryCompanhia->ParamByName(u"P_CDFILIAL").SetAsString(medCdFilial->Text());
    qryCompanhia->ParamByName(u"P_SGCIA").SetAsString(QString());
    qryCompanhia->ParamByName(u"P_TSGCIA").SetAsString(QStringLiteral("T"));
}

void TfrmManuDelValor::btpCiaAfterPesq(QObject& /*sender*/)
{
    medCompanhia->SetText(fldCompanhia.SGCIA->AsString());
    edtNmCia->SetText(fldCompanhia.NMCIA->AsString());
}

void TfrmManuDelValor::depPlanoVooIniExit(QObject& /*sender*/) { depPlanoVooIni->CheckValidDate(); }

void TfrmManuDelValor::depPlanoVooFinExit(QObject& /*sender*/) { depPlanoVooFin->CheckValidDate(); }

void TfrmManuDelValor::Vd_Filial(bool mandatory)
{
    medCdFilial->SetText(Consiste::Ajusta(medCdFilial->Text(), 4));
    if (Consiste::EmptyString(medCdFilial->Text())) {
        if (!mandatory) return;
        medCdFilial->SetFocus();
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("FILIAL_ni")), true);
    }
    qryFilial->Open();
    if (!qryFilial->Locate(QStringLiteral("CDFILIAL"), wire::Value(medCdFilial->Text()))) {
        medCdFilial->SetFocus();
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("FILIAL_nc")), true);
    }
    medCdFilial->SetText(fldFilial.CDFILIAL->AsString());
    edtNmFilial->SetText(fldFilial.NMFILIAL->AsString());
    qryFilial->Close();
}

void TfrmManuDelValor::Vd_Companhia(bool mandatory)
{
    try {
        if (Consiste::EmptyString(medCompanhia->Text())) {
            if (mandatory) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("CIA_ni")), true);
            return;
        }
        qryCompanhia->Close();
        qryCompanhia->ParamByName(u"P_SGCIA").SetAsString(medCompanhia->Text());
        qryCompanhia->ParamByName(u"P_TSGCIA").SetAsString(QString());
        qryCompanhia->ParamByName(u"P_CDFILIAL").SetAsString(medCdFilial->Text());
        qryCompanhia->Open();
        if (qryCompanhia->IsEmpty()) Consiste::MensErro(msgPadrao->Msg(QStringLiteral("cia_n_cad")), true);
        edtNmCia->SetText(fldCompanhia.NMCIA->AsString());
    } catch (...) {
        medCompanhia->SetFocus();
        throw;
    }
}

// ---- loading the deliveries

void TfrmManuDelValor::panFiltroEnter(QObject& /*sender*/)
{
    cdsDelivery->Close();
    lblNmCia->SetCaption(QString());
    pgcPadrao->SetActivePage(tshFolhaDados);
    EnableServicesTab(false);
    Cli_ate02700::astCdCia = {QStringLiteral("0"), QString(), QString()};
}

void TfrmManuDelValor::panFiltroExit(QObject& /*sender*/)
{
    cdsParamComis->SetData(Consiste::CheckResultServ(Rdm().GetParamComis(medCdFilial->Text()), true, 0));
    if (fldParamComis.IDUTDELVALO->AsString() != kMarked) {
        if (!Larkumo::ModuFili()) medCdFilial->SetFocus();
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("DELVALO_nu")), true);
    }
    Vd_Companhia(true);
    const auto refuseDate = [this](TDateEditPlus* edit, const char* key) {
        edit->SetFocus();
        Consiste::MensErro(msgPadrao->Msg(QString::fromLatin1(key)), true);
    };
    if (Consiste::EmptyString(depPlanoVooIni->EditText())) refuseDate(depPlanoVooIni, "dt_ini");
    if (Consiste::EmptyString(depPlanoVooFin->EditText())) refuseDate(depPlanoVooFin, "dt_fin");
    if (depPlanoVooFin->GetDate() < depPlanoVooIni->GetDate()) refuseDate(depPlanoVooIni, "dtini>dtfin");

    const ate02700::TListProgress progress;
    cdsDelivery->SetData(
        Consiste::CheckResultServ(Rdm().GetDelivery(medCdFilial->Text(), fldCompanhia.CDCIA->AsString(),
                                                    depPlanoVooIni->GetDateTime(), depPlanoVooFin->GetDateTime()),
                                  true, 0));
    if (!cdsDelivery->IsEmpty()) EnableServicesTab(true);
}

void TfrmManuDelValor::EnableServicesTab(bool enabled)
{
    tshFormulario->SetEnabled(enabled);
    mnuFormulario->SetEnabled(tshFormulario->Enabled());
}

void TfrmManuDelValor::sbtProcurarClick(QObject& sender)
{
    if (pgcPadrao->ActivePage() == tshFormulario) {
        TfrmPadrao::sbtProcurarClick(sender);
        return;
    }
    Procurar::Procura(*cdsDelivery);
}

// ---- the delivery list

void TfrmManuDelValor::dbgPadraoCellClick(TColumn& /*column*/)
{
    TField* selected = dbgPadrao->SelectedField();
    if (cdsDelivery->Active() && !cdsDelivery->IsEmpty() && selected && selected->FieldName() == kMarkField
        && fldDelivery.IDSITDEL->AsString() != QLatin1String("2")) {
        TClientDataSet& dataSet = *dbgPadrao->DataSet();
        dataSet.Edit();
        dataSet.DisableControls();
        try {
            fldDelivery.IDMARCADO->SetAsString(fldDelivery.IDMARCADO->AsString() == kMarked ? kUnmarked : kMarked);
            if (dataSet.State() == TDataSetState::Edit || dataSet.State() == TDataSetState::Insert) dataSet.Post();
        } catch (...) {
            dataSet.EnableControls();
            throw;
        }
        dataSet.EnableControls();
    }
    const bool marked = fldDelivery.IDMARCADO->AsString() == kMarked;
    btnCancelDel->SetEnabled(marked);
    sbtImprimir->SetEnabled(marked);
}

void TfrmManuDelValor::dbgPadraoTitleClick(TColumn& column)
{
    if (column.FieldName().compare(kMarkField, Qt::CaseInsensitive) != 0 || !cdsDelivery->Active()) return;
    const ListPass pass(*cdsDelivery);
    cdsDelivery->First();
    const QString& count = Cli_ate02700::astCdCia[0];
    if (count == QLatin1String("0") || count == QLatin1String("1"))
        MarkPass();
    else
        UnmarkPass();
}

void TfrmManuDelValor::MarkPass()
{
    auto& state = Cli_ate02700::astCdCia;
    bool warned = false;
    while (!cdsDelivery->Eof()) {
        cdsDelivery->Edit();
        const bool invoiced = Invoiced(*fldDelivery.NRDELIVERYFA);
        if (state[0] == QLatin1String("0")) {
            state[0] = QStringLiteral("1");
            state[1] = fldDelivery.CDCIA->AsString();
            state[2] = fldDelivery.NMCIA->AsString();
            fldDelivery.IDMARCADO->SetAsString(invoiced ? kUnmarked : kMarked);
        } else if (fldDelivery.CDCIA->AsString() != state[1]) {
            if (!warned) {
                warned = true;
                const QString text = msgPadrao->Msg(QStringLiteral("CIAs_di")) + QLatin1Char('\r')
                                     + msgPadrao->Msg(QStringLiteral("mb_OK")) + state[2] + QLatin1Char('.')
                                     + QLatin1Char('\r');
                Dialogs().MessageDlg(text, TMsgDlgType::Information, mbOK, 0);
            }
        } else if (invoiced) {
            fldDelivery.IDMARCADO->SetAsString(kUnmarked);
        } else if (fldDelivery.IDMARCADO->AsString() != kMarked) {
            state[0] = QString::number(state[0].toInt() + 1);
            fldDelivery.IDMARCADO->SetAsString(kMarked);
        }
        cdsDelivery->Post();
        cdsDelivery->Next();
    }
}

void TfrmManuDelValor::UnmarkPass()
{
    while (!cdsDelivery->Eof()) {
        cdsDelivery->Edit();
        fldDelivery.IDMARCADO->SetAsString(kUnmarked);
        Cli_ate02700::astCdCia = {QStringLiteral("0"), QString(), QString()};
        cdsDelivery->Post();
        cdsDelivery->Next();
    }
}

void TfrmManuDelValor::dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift)
{
    TfrmPadrao::dbgPadraoKeyDown(sender, key, shift);
    TField* selected = dbgPadrao->SelectedField();
    if (key != Qt::Key_Space || !selected || selected->FieldName() != kMarkField || dbgPadrao->Columns().Count() == 0)
        return;
    TColumn& first = dbgPadrao->Columns()[0];
    if (shift & Qt::ControlModifier)
        dbgPadraoTitleClick(first);
    else
        dbgPadraoCellClick(first);
}

void TfrmManuDelValor::dbgPadraoDrawColumnCell(TDBGrid& sender, const QRect& rect, int /*dataCol*/, TColumn& column,
                                               TGridDrawState state)
{
    TCanvas& canvas = sender.Canvas();
    canvas.Brush().SetColor(Colors::InfoBk());
    canvas.FillRect(rect);
    if (!fldDelivery.NRDELIVERYFA->IsNull()) {
        const QString situation = fldDelivery.IDSITDEL->AsString();
        if (situation == QLatin1String("2"))
            canvas.Font().SetColor(kBlockedInvoiced);
        else if (situation == QLatin1String("1"))
            canvas.Font().SetColor(kOpenInvoiced);
    }
    if (state.Selected) {
        canvas.Brush().SetColor(sender.palette().color(QPalette::Highlight));
        canvas.FillRect(rect);
        canvas.Font().SetColor(Qt::white);
    }
    TField* field = column.Field();
    canvas.TextRect(rect, rect.left() + 2, rect.top() + 2, field ? field->Text() : QString());
    if (state.Focused) canvas.DrawFocusRect(rect);
    if (!cdsDelivery->IsEmpty() && field && field->FieldName() == kMarkField) {
        const QPixmap glyph = (field->AsString() == kMarked ? imgCheck : imgUncheck)->Picture();
        canvas.FillRect(rect);
        const QRect dest(rect.left() + 1, rect.top(), glyph.width(), rect.height());
        canvas.BrushCopy(dest, glyph, QRect(0, 0, glyph.width(), rect.height()), QColor(128, 128, 0));
    }
}

void TfrmManuDelValor::cdsDeliveryNRDELIVERYFAGetText(TField& sender, QString& text, bool /*displayText*/)
{
    text = Consiste::Ajusta(sender.AsString(), 7);
}

namespace {

// Dollar deliveries show cents; the others whole amounts (still with two zero decimals).
QString MoneyText(const TField& amount, const TField& kind)
{
    const int decimals = kind.AsString() == QLatin1String("2") ? 2 : 0;
    return datatext::formatFloat(Consiste::RoundDec(amount.AsFloat(), decimals), u"#,##0.00", QLocale());
}

}  // namespace

void TfrmManuDelValor::cdsDeliveryVRBACATXGetText(TField& sender, QString& text, bool /*displayText*/)
{
    text = MoneyText(sender, *fldDelivery.IDTIPNACDEL);
}

void TfrmManuDelValor::cdsDeliveryVRTOTDESCGetText(TField& sender, QString& text, bool /*displayText*/)
{
    text = MoneyText(sender, *fldDelivery.IDTIPNACDEL);
}

void TfrmManuDelValor::cdsDeliveryVRTOTDELIVGetText(TField& sender, QString& text, bool /*displayText*/)
{
    text = MoneyText(sender, *fldDelivery.IDTIPNACDEL);
}

void TfrmManuDelValor::cdsDeliveryVRTXAEROGetText(TField& sender, QString& text, bool /*displayText*/)
{
    text = MoneyText(sender, *fldDelivery.IDTIPNACDEL);
}
