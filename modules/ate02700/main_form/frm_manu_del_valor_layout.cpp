// The components of the main form and how they are laid out and bound.

#include "modules/ate02700/main_form/check_glyphs.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/model/lookup_query_apply.h"
#include "modules/ate02700/model/main_form_messages.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/db/adoibquery.h"
#include "framework/net/netconnection.h"
#include "framework/ui/colors.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tdateeditplus.h"
#include "framework/ui/tdbedit.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tdbtext.h"
#include "framework/ui/tedit.h"
#include "framework/ui/timage.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tnumberedit.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

constexpr int kFilterPanelHeight = 79;
constexpr int kFooterHeight = 29;
// The delivery caption's share of the navigator panel's free width (the panel's own gap
// before the screen code has a share of 1).
constexpr int kFreeWidthShare = 1000;

// The place of a label whose caption changes often: the label lies on it at a fixed size.
// A label sized by its caption lays out its panel, the form and the MDI window around it on
// every change; at a fixed size a new caption only draws the label again.
class TCaptionPlace : public QWidget {
public:
    TCaptionPlace(QWidget& parent, QWidget& label) : QWidget(&parent), label_(label)
    {
        setMinimumHeight(label.sizeHint().height());
        label.raise();
    }

protected:
    void resizeEvent(QResizeEvent* /*event*/) override { Place(); }
    void moveEvent(QMoveEvent* /*event*/) override { Place(); }

private:
    void Place()
    {
        label_.setFixedSize(size());
        label_.move(pos());
    }

    QWidget& label_;
};

// Both grids: titles, resizable columns, column and row lines, Tab between cells, the
// selection kept visible, deletes confirmed; no row indicator.
constexpr TDBGridOptions kGridOptions =
    dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgAlwaysShowSelection | dgConfirmDelete;

// The mark column's title: a check mark (the "4" of a symbol font in the designed form).
const QString kCheckMarkTitle = QStringLiteral("\u2714");

template <class T> T* Named(T* component, const char* name)
{
    component->setObjectName(QString::fromLatin1(name));
    return component;
}

// The house font of grid titles and footer labels: "MS Sans Serif" at 11 pixels, or the
// nearest narrow sans-serif face the desktop has (the footer's row is laid out for it).
QFont HouseFont(bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

int CharsWidth(const QWidget& control, int characters)
{
    // Room for `characters` wide characters plus the frame and margins of a line edit.
    return control.fontMetrics().horizontalAdvance(QLatin1Char('W')) * characters + 12;
}

int DigitsWidth(const QWidget& control, int characters)
{
    // Room for a number of `characters` digits and separators.
    return control.fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters + 10;
}

TLabel* BoldLabel(const QString& caption, QWidget* parent, const char* name)
{
    auto* label = Named(new TLabel(caption, parent), name);
    label->SetBold(true);
    return label;
}

}  // namespace

void TfrmManuDelValor::BuildDataSets()
{
    cdsDelivery = Named(new TClientDataSet(this), "cdsDelivery");
    fldDelivery = ate02700::DeclareDeliveryFields(*cdsDelivery);
    cdsServicoDel = Named(new TClientDataSet(this), "cdsServicoDel");
    fldServicoDel = ate02700::DeclareServicoDelFields(*cdsServicoDel);
    cdsPesqServico = Named(new TClientDataSet(this), "cdsPesqServico");
    fldPesqServico = ate02700::DeclarePesqServicoFields(*cdsPesqServico);
    cdsParamComis = Named(new TClientDataSet(this), "cdsParamComis");
    fldParamComis = ate02700::DeclareParamComisFields(*cdsParamComis);
    cdsCalcPreco = Named(new TClientDataSet(this), "cdsCalcPreco");
    fldCalcPreco = ate02700::DeclareCalcPrecoFields(*cdsCalcPreco);

    qryFilial = Named(new TADOIBQuery(this), "qryFilial");
    ate02700::ApplyLookupQuerySpec(*qryFilial, ate02700::QryFilialSpec());
    fldFilial = ate02700::DeclareQryFilialFields(*qryFilial);
    qryCompanhia = Named(new TADOIBQuery(this), "qryCompanhia");
    ate02700::ApplyLookupQuerySpec(*qryCompanhia, ate02700::QryCompanhiaSpec());
    fldCompanhia = ate02700::DeclareQryCompanhiaFields(*qryCompanhia);
    qryAgrDeDe = Named(new TADOIBQuery(this), "qryAgrDeDe");
    ate02700::ApplyLookupQuerySpec(*qryAgrDeDe, ate02700::QryAgrDeDeSpec());
    fldAgrDeDe = ate02700::DeclareQryAgrDeDeFields(*qryAgrDeDe);

    const auto source = [this](const char* name, TClientDataSet* dataSet) {
        auto* dts = Named(new TDataSource(this), name);
        dts->SetDataSet(dataSet);
        return dts;
    };
    dtsDelivery = source("dtsDelivery", cdsDelivery);
    dtsPesqServico = source("dtsPesqServico", cdsPesqServico);
    dtsFilial = source("dtsFilial", qryFilial);
    dtsCompanhia = source("dtsCompanhia", qryCompanhia);
    dtsAgrDeDe = source("dtsAgrDeDe", qryAgrDeDe);
    // The record commands of the base form act on the services.
    dtsPadrao->SetDataSet(cdsServicoDel);

    msgPadrao = Named(new TMessages(ate02700::MainFormMsgPadraoEntries(), this), "msgPadrao");
    msgMensagensPadroes =
        Named(new TMessages(ate02700::MainFormMsgMensagensPadroesEntries(), this), "msgMensagensPadroes");
}

void TfrmManuDelValor::BuildConnection()
{
    netManuDelValor = Named(new TNetConnection(this), "netManuDelValor");
    netManuDelValor->SetServerName(QStringLiteral("ATE02700.rdmManuDelValor"));
    netManuDelValor->SetThrowException(false);
    netManuDelValor->BeforeConnect = [this](TNetConnection& sender) { netManuDelValorBeforeConnect(sender); };
}

void TfrmManuDelValor::BuildToolbar()
{
    btnCancelDel = Named(new TSpeedButton(panMenu), "btnCancelDel");
    btnCancelDel->SetFlat(true);
    btnCancelDel->SetHint(tr("Cancelar Delivery"));
    btnCancelDel->SetGlyph(ate02700::CancelDeliveryGlyphStrip(), 2);
    btnCancelDel->SetEnabled(false);
    AddToToolbar(btnCancelDel);

    const auto glyph = [this](const char* name, bool checked) {
        auto* image = Named(new TImage(panMenu), name);
        image->SetPicture(ate02700::CheckGlyph(checked));
        image->setFixedSize(ate02700::kCheckGlyphSize, ate02700::kCheckGlyphSize);
        AddToToolbar(image);
        image->setVisible(false);
        return image;
    };
    imgCheck = glyph("imgCheck", true);
    imgUncheck = glyph("imgUncheck", false);
}

void TfrmManuDelValor::BuildFilterPanel()
{
    panFiltro = Named(new TPanel(this), "panFiltro");
    panFiltro->setFixedHeight(kFilterPanelHeight);
    auto* grid = new QGridLayout(panFiltro);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    // Row 1: the branch.
    lblFilial = BoldLabel(tr("Filial"), panFiltro, "lblFilial");
    medCdFilial = Named(new TMaskEdit(panFiltro), "medCdFilial");
    medCdFilial->SetEditMask(QStringLiteral(">aaaa;0; "));
    medCdFilial->SetMaxLength(4);
    medCdFilial->SetColor(Colors::InfoBk());
    medCdFilial->setFixedWidth(CharsWidth(*medCdFilial, 4));
    btpFilial = Named(new TBtnPesquisa(panFiltro), "btpFilial");
    btpFilial->SetHint(tr("Pesquisar"));
    btpFilial->SetAssociate(medCdFilial);
    btpFilial->SetDataSource(dtsFilial);
    edtNmFilial = Named(new TEdit(panFiltro), "edtNmFilial");
    edtNmFilial->SetEnabled(false);
    edtNmFilial->SetColor(Colors::BtnFace());
    edtNmFilial->setFixedWidth(CharsWidth(*edtNmFilial, 22));
    lblFilial->SetFocusControl(medCdFilial);

    // Row 2: the airline.
    lblCompanhia = BoldLabel(tr("Companhia"), panFiltro, "lblCompanhia");
    medCompanhia = Named(new TMaskEdit(panFiltro), "medCompanhia");
    medCompanhia->SetCharCase(TEditCharCase::UpperCase);
    medCompanhia->SetColor(Colors::InfoBk());
    medCompanhia->setFixedWidth(CharsWidth(*medCompanhia, 5));
    btpCia = Named(new TBtnPesquisa(panFiltro), "btpCia");
    btpCia->SetHint(tr("Pesquisar"));
    btpCia->SetTitle(tr("Companhia"));
    btpCia->SetAssociate(medCompanhia);
    btpCia->SetDataSource(dtsCompanhia);
    edtNmCia = Named(new TEdit(panFiltro), "edtNmCia");
    edtNmCia->SetEnabled(false);
    edtNmCia->SetColor(Colors::BtnFace());
    edtNmCia->setFixedWidth(CharsWidth(*edtNmCia, 22));
    lblCompanhia->SetFocusControl(medCompanhia);

    // Row 3: the flight-plan date range.
    const QStringList weekDays{tr("Domingo"), tr("Segunda"), tr("Terça"), tr("Quarta"),
                               tr("Quinta"),  tr("Sexta"),   tr("Sábado")};
    lblPlanoVoo = BoldLabel(tr("Plano de Vôo"), panFiltro, "lblPlanoVoo");
    const auto dateEdit = [&](const char* name) {
        auto* edit = Named(new TDateEditPlus(panFiltro), name);
        edit->SetValidDateColor(Qt::blue);
        edit->SetWeekDayNames(weekDays);
        edit->SetSaveTime(false);
        edit->SetColor(Colors::InfoBk());
        edit->setFixedWidth(CharsWidth(*edit, 8));  // the whole date beside the calendar button
        return edit;
    };
    depPlanoVooIni = dateEdit("depPlanoVooIni");
    Label2 = BoldLabel(tr("Até"), panFiltro, "Label2");
    depPlanoVooFin = dateEdit("depPlanoVooFin");
    lblPlanoVoo->SetFocusControl(depPlanoVooIni);

    grid->addWidget(lblFilial, 0, 0);
    grid->addWidget(medCdFilial, 0, 1);
    grid->addWidget(btpFilial, 0, 2);
    grid->addWidget(edtNmFilial, 0, 3, 1, 3);
    grid->addWidget(lblCompanhia, 1, 0);
    grid->addWidget(medCompanhia, 1, 1);
    grid->addWidget(btpCia, 1, 2);
    grid->addWidget(edtNmCia, 1, 3, 1, 3);
    grid->addWidget(lblPlanoVoo, 2, 0);
    auto* range = new QHBoxLayout;
    range->setSpacing(6);
    range->addWidget(depPlanoVooIni);
    range->addWidget(Label2);
    range->addWidget(depPlanoVooFin);
    range->addStretch(1);
    grid->addLayout(range, 2, 1, 1, 5);
    grid->setColumnStretch(6, 1);

    InsertAbovePages(panFiltro);
}

void TfrmManuDelValor::OrderTabs()
{
    QWidget::setTabOrder(medCdFilial, edtNmFilial);
    QWidget::setTabOrder(edtNmFilial, medCompanhia);
    QWidget::setTabOrder(medCompanhia, edtNmCia);
    QWidget::setTabOrder(edtNmCia, depPlanoVooIni);
    QWidget::setTabOrder(depPlanoVooIni, depPlanoVooFin);
    // The panel comes first in the form's tab order: the tabs and the list the base form made
    // before it follow its last control.
    QWidget::setTabOrder(depPlanoVooFin, &pgcPadrao->Tabs());
    QWidget::setTabOrder(&pgcPadrao->Tabs(), dbgPadrao);
}

void TfrmManuDelValor::BuildDeliveryPage()
{
    tshFolhaDados->SetCaption(tr("Delivery"));
    dbgPadrao->SetDataSource(dtsDelivery);
    dbgPadrao->SetOptions(kGridOptions);
    dbgPadrao->SetReadOnly(true);

    TDBGridColumns& columns = dbgPadrao->Columns();
    TColumn& mark = columns.Add(QStringLiteral("IDMARCADO"));
    mark.SetWidth(17);
    mark.Title().SetCaption(kCheckMarkTitle);
    QFont symbol;
    symbol.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Segoe UI Symbol"), QStringLiteral("Noto Sans Symbols2")});
    symbol.setStyleHint(QFont::SansSerif);
    symbol.setPixelSize(11);
    mark.Title().SetFont(symbol);
    mark.Title().SetAlignment(Qt::AlignHCenter);
    const auto column = [&columns](const char* field, int width) {
        columns.Add(QString::fromLatin1(field)).SetWidth(width);
    };
    column("DTHRPLAVOOPV", 89);
    column("NUMERO", 93);
    column("NMCIA", 226);
    column("NRVOO", 48);
    column("NRDELIVERYFA", 149);

    // The list's clicks, keys, drawing and text handlers are bound by BindDeliverySelection;
    // the delivery cursor's handler (cdsDeliveryAfterScroll) by BindServices.
}

void TfrmManuDelValor::BuildServicesPage()
{
    tshFormulario->SetCaption(tr("Serviços do Vôo"));

    dbgServicoDel = Named(new TDBGrid(tshFormulario), "dbgServicoDel");
    dbgServicoDel->SetDataSource(dtsPadrao);
    dbgServicoDel->SetOptions(kGridOptions | dgEditing);
    dbgServicoDel->SetColor(Colors::InfoBk());
    dbgServicoDel->setFrameShape(QFrame::NoFrame);
    dbgServicoDel->SetTitleFont(HouseFont(false));

    TDBGridColumns& columns = dbgServicoDel->Columns();
    // Width 0: the width that follows from the field's display width.
    const auto column = [&columns](const char* field, int width) {
        TColumn& c = columns.Add(QString::fromLatin1(field));
        if (width > 0) c.SetWidth(width);
    };
    column("CDARVSERV", 95);
    column("DSSERVICO", 0);
    column("SGUNIDADE", 35);
    column("SGCLASSE", 50);
    column("IDCICLO", 40);
    column("QTATUAPRODSP", 0);
    column("QTSERFATSP", 74);
    column("QTSESBYUTSP", 85);
    column("QTSESBYNUTSP", 0);
    column("VRPRURESESP", 85);
    column("VRPRECMANUTSESP", 0);
    column("PRECOSBYUT", 90);
    column("PRECOSBYNUT", 110);
    column("VRTOTSERVR", 0);

    tshFormulario->Layout().addWidget(dbgServicoDel, 1);
    BuildServicesFooter(*tshFormulario);

    // The services tab opens disabled; the layout keeps it as the active page.
    pgcPadrao->SetActivePage(tshFormulario);
    tshFormulario->SetEnabled(false);

    // Row entry and lookup (the cdsServicoDel events, dbgServicoDelColExit,
    // dbgServicoDelEditButtonClick, dbgServicoDelKeyPress) and the situation colours
    // (dbgServicoDelDrawColumnCell) are bound by BindServices; posting and saving come with
    // the work that brings them.
}

void TfrmManuDelValor::BuildServicesFooter(QWidget& page)
{
    panRodape = Named(new TPanel(&page), "panRodape");
    panRodape->setFixedHeight(kFooterHeight);
    auto* row = new QHBoxLayout(panRodape);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(3);

    const auto label = [this, row](const QString& caption, const char* name) {
        auto* l = Named(new TLabel(caption, panRodape), name);
        l->setFont(HouseFont(true));
        row->addWidget(l);
        return l;
    };
    const auto total = [this, row](TEdit* edit, int characters) {
        // A bound edit keeps a read-only flag of its own, besides the field's.
        if (auto* bound = qobject_cast<TDBEdit*>(edit))
            bound->SetReadOnly(true);
        else
            edit->SetReadOnly(true);
        edit->SetColor(Colors::BtnFace());
        edit->setFont(HouseFont(edit->font().bold()));
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(DigitsWidth(*edit, characters));
        row->addWidget(edit);
    };
    const auto bound = [this](const char* name, const char* field) {
        auto* edit = Named(new TDBEdit(panRodape), name);
        edit->SetDataSource(dtsDelivery);
        edit->SetDataField(QString::fromLatin1(field));
        return edit;
    };

    lblTotDescontos = label(tr("Tot. de Descontos"), "lblTotDescontos");
    ndeTotalServico = Named(new TNumberEdit(panRodape), "ndeTotalServico");
    ndeTotalServico->SetDecimals(2);
    ndeTotalServico->SetThousandSeparator(false);
    ndeTotalServico->SetCurrency(false);
    ndeTotalServico->SetEnabled(false);
    ndeTotalServico->SetTabStop(false);
    total(ndeTotalServico, 8);

    lblTxAeroporto = label(tr("Tx. Aeroporto"), "lblTxAeroporto");
    dbeVrPeTaxa = bound("dbeVrPeTaxa", "VRPETXAERO");
    total(dbeVrPeTaxa, 6);
    DBEdit2 = bound("DBEdit2", "VRTXAERO");
    DBEdit2->SetEnabled(false);
    total(DBEdit2, 8);

    lblTotServicos = label(tr("Tot. de Serviços"), "lblTotServicos");
    DBEdit1 = bound("DBEdit1", "VRBACATX");
    total(DBEdit1, 10);

    lblTotGeral = label(tr("Tot. Geral"), "lblTotGeral");
    DBEdit8 = bound("DBEdit8", "VRTOTDELIV");
    DBEdit8->SetBold(true);
    total(DBEdit8, 10);
    row->addStretch(1);

    page.layout()->addWidget(panRodape);
}

void TfrmManuDelValor::BuildNavigator()
{
    dbnPadrao->SetDataSource(dtsDelivery);

    lblNmCia = Named(new TLabel(panNavigator), "lblNmCia");
    lblNmCia->SetBold(true);
    // The caption changes on every move of the delivery: the label takes the panel's free
    // width at a fixed size.
    auto* place = new TCaptionPlace(*panNavigator, *lblNmCia);
    AddToNavigator(place);
    if (auto* row = qobject_cast<QBoxLayout*>(panNavigator->layout())) row->setStretchFactor(place, kFreeWidthShare);

    dbtNome = Named(new TDBText(panNavigator), "dbtNome");
    dbtNome->SetDataSource(dtsDelivery);
    dbtNome->SetDataField(QStringLiteral("NMCIA"));
    AddToNavigator(dbtNome);
    dbtNome->setVisible(false);
}

void TfrmManuDelValor::BuildMenu()
{
    mnuFolhaDados->SetCaption(tr("&Delivery"));
    mnuFormulario->SetCaption(tr("&Serviços do Vôo"));
}
