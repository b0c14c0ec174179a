#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/model/emission_messages.h"

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/colors.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>

namespace {

constexpr int kDsLocalWidth = 249;
constexpr int kReportNamesWidth = 351;

template <class T> T* Named(T* component, const char* name)
{
    component->setObjectName(QString::fromLatin1(name));
    return component;
}

}  // namespace

TfrmRelManuDelValor::TfrmRelManuDelValor(QWidget* parent) : TfrmDadosGerRel(parent)
{
    setObjectName(QStringLiteral("frmRelManuDelValor"));
    setWindowTitle(tr("Emissão de Delivery Valorizada"));
    SetScreenCode(QStringLiteral("ATE02701"));
    SetReportCode(QStringLiteral("ATE027"));
    cbbReportNames->setFixedWidth(kReportNamesWidth);

    msgPadrao->SetEntries(ate02700::EmissionMsgPadraoEntries());

    cdsLocalEmiss = Named(new TClientDataSet(this), "cdsLocalEmiss");
    fldLocalEmiss = ate02700::DeclareLocalEmissFields(*cdsLocalEmiss);
    dtsLocalEmissao = Named(new TDataSource(this), "dtsLocalEmissao");
    dtsLocalEmissao->SetDataSet(cdsLocalEmiss);

    BuildPlacePanel();
    sbtPreview->SetEnabled(false);
    resize(kClientWidth, kClientHeight);
    BindHandlers();
}

TfrmRelManuDelValor::~TfrmRelManuDelValor() = default;

void TfrmRelManuDelValor::BuildPlacePanel()
{
    Panel1 = Named(new TPanel(grbDadosRel), "Panel1");
    Panel1->SetBevelOuter(TBevel::None);
    // The caption over the code, so the row fits the dialog's width.
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);

    lblLocEmis = Named(new TLabel(tr("Tipo Emissão"), Panel1), "lblLocEmis");
    lblLocEmis->SetBold(true);

    medCdLocal = Named(new TMaskEdit(Panel1), "medCdLocal");
    medCdLocal->SetEditMask(QStringLiteral("9999;0; "));
    medCdLocal->SetMaxLength(4);
    medCdLocal->SetColor(Colors::InfoBk());
    medCdLocal->setFixedWidth(medCdLocal->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    lblLocEmis->SetFocusControl(medCdLocal);

    btpLocal = Named(new TBtnPesquisa(Panel1), "btpLocal");
    btpLocal->SetHint(tr("Pesquisar"));
    btpLocal->SetTitle(tr("Local de Emissão"));
    btpLocal->SetAssociate(medCdLocal);
    btpLocal->SetDataSource(dtsLocalEmissao);
    btpLocal->SetEmptyError(tr("Não há tipo de emissão cadastrado."));

    edtDsLocal = Named(new TEdit(Panel1), "edtDsLocal");
    edtDsLocal->SetEnabled(false);
    edtDsLocal->setFixedWidth(kDsLocalWidth);

    grid->addWidget(lblLocEmis, 0, 0, 1, 3);
    grid->addWidget(medCdLocal, 1, 0);
    grid->addWidget(btpLocal, 1, 1);
    grid->addWidget(edtDsLocal, 1, 2);
    grid->setColumnStretch(3, 1);

    grbDadosRel->layout()->addWidget(Panel1);
}

void TfrmRelManuDelValor::FormActivate(QObject& sender)
{
    TfrmDadosGerRel::FormActivate(sender);
    // The dialog offers printing only.
    sbtPreview->SetEnabled(false);
}

void TfrmRelManuDelValor::FormClose(QObject& sender, TCloseAction& action)
{
    Cli_ate02701::boIdCriado = false;
    // Each opening makes a new dialog, so a closed one is freed.
    action = TCloseAction::Free;
    TfrmDadosGerRel::FormClose(sender, action);
}

void TfrmRelManuDelValor::FormKeyDown(QObject& /*sender*/, QKeyEvent& /*key*/)
{
    // Deliberately takes no key: the base dialog's form-level keys (Esc closing it) do not
    // apply here, so closing is by the print action or the window frame only.
}
