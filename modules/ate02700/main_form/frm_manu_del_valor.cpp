// The main form's construction and lifecycle: creation, first activation and close.

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "modules/ate02700/main_form/cli_ate02700.h"

#include "framework/data/clientdataset.h"
#include "framework/db/adoibquery.h"
#include "framework/net/netconnection.h"
#include "framework/ui/application_host.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tedit.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmaskedit.h"
#include "framework/units/consiste.h"
#include "framework/units/larkumo.h"

TfrmManuDelValor::TfrmManuDelValor(QWidget* parent) : TfrmPadrao(parent)
{
    setObjectName(QStringLiteral("frmManuDelValor"));
    SetCaption(tr("Emissão de Guia Valorizado"));
    lblCodTela->SetCaption(QStringLiteral("ATE02700"));

    BuildDataSets();
    BuildConnection();
    BuildToolbar();
    BuildFilterPanel();
    BuildDeliveryPage();
    BuildServicesPage();
    BuildNavigator();
    BuildMenu();
    SetFormSize(kDesignWidth, kDesignHeight);
    BindServices();
    BindPostingHandlers();

    BindDeliverySelection();
    BindEmissionCommands();
    // The tab change and the commands' state (pgcPadraoChange, dtsPadraoStateChange) are
    // overrides of the base form.
}

TfrmManuDelValor::~TfrmManuDelValor() = default;

void TfrmManuDelValor::FormCreate(QObject& sender)
{
    TfrmPadrao::FormCreate(sender);
    OrderTabs();
    netManuDelValor->SetConnected(true);
    Cli_ate02700::boPrimeiraVez = true;
    // Each field asks the host for the picture itself.
    fldServicoDel.CDARVSERV->SetEditMask(Larkumo::DBPict(0));
    fldPesqServico.CDARVSERV->SetEditMask(Larkumo::DBPict(0));
    cdsErro = new TClientDataSet(this);
    cdsErro->setObjectName(QStringLiteral("cdsErro"));
}

void TfrmManuDelValor::FormActivate(QObject& sender)
{
    TfrmPadrao::FormActivate(sender);
    Repaint();
    if (!Cli_ate02700::boPrimeiraVez) return;

    if (Screen().Width() == 640 && Screen().Height() == 480) SetWindowState(TWindowState::Maximized);

    lblFilial->setEnabled(!Larkumo::ModuFili());
    medCdFilial->SetEnabled(!Larkumo::ModuFili());
    btpFilial->SetEnabled(!Larkumo::ModuFili());

    // Cleared before anything can fail, so a failed setup is not run again on the next
    // activation.
    Cli_ate02700::boPrimeiraVez = false;
    qryFilial->Open();
    // A branch that is not there leaves the query on its first row.
    qryFilial->Locate(QStringLiteral("CDFILIAL"), wire::Value(Larkumo::FiliProc()));
    medCdFilial->SetText(fldFilial.CDFILIAL->AsString());
    edtNmFilial->SetText(fldFilial.NMFILIAL->AsString());
    qryFilial->Close();
    medCompanhia->SetFocus();

    cdsParamComis->SetData(Consiste::CheckResultServ(Rdm().GetParamComis(medCdFilial->Text()), true, 0));
}

void TfrmManuDelValor::FormClose(QObject& sender, TCloseAction& action)
{
    netManuDelValor->SetConnected(false);
    Cli_ate02700::boIdCriado = false;
    delete cdsErro.data();
    TfrmPadrao::FormClose(sender, action);
}

void TfrmManuDelValor::netManuDelValorBeforeConnect(TNetConnection& sender)
{
    sender.SetHost(Larkumo::WebURL());
    sender.SetPort(Larkumo::WebPort());
}
