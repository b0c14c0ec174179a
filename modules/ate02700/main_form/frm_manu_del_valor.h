#pragma once
// TfrmManuDelValor: the main form of screen ATE02700, "Emissão de Guia Valorizado", an MDI
// child of the host. One instance exists at a time (Cli_ate02700::CriaManuDelValor).
//
// Top to bottom: the base toolbar panMenu (plus btnCancelDel and the hidden mark-column
// glyphs imgCheck/imgUncheck), the filter panel panFiltro (branch, airline, flight-plan
// dates), the page control pgcPadrao with the delivery list dbgPadrao on tshFolhaDados and
// the editable service list dbgServicoDel with its totals footer on tshFormulario, and the
// navigator panel panNavigator (dbnPadrao over the deliveries, lblNmCia).
//
// Data: cdsDelivery (dtsDelivery) feeds the delivery grid, the navigator and the footer;
// cdsServicoDel is the dataset of the inherited dtsPadrao, which the record commands act on;
// cdsPesqServico, cdsParamComis, cdsCalcPreco and cdsErro hold server answers; qryFilial,
// qryCompanhia and qryAgrDeDe are the SQL lookups on the host's shared connection. Every
// server call goes through netManuDelValor (Rdm() gives the typed calls).
//
// Lifecycle: FormCreate connects to the server and sets the service-code masks; the first
// FormActivate sizes the window, sets up the branch controls and the default branch and
// reads the branch parameters; FormClose disconnects and releases the form.
//
// Components are public, as the emission dialog and the form's tests read them.

#include "modules/ate02700/contracts/rdm_manu_del_valor.h"
#include "modules/ate02700/model/calc_preco_record.h"
#include "modules/ate02700/model/delivery_record.h"
#include "modules/ate02700/model/lookup_queries.h"
#include "modules/ate02700/model/param_comis_record.h"
#include "modules/ate02700/model/pesq_servico_record.h"
#include "modules/ate02700/model/servico_del_record.h"

#include "framework/forms/frm_padrao.h"
#include "framework/ui/grid/tdbgrid_types.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <array>

class TADOIBQuery;
class TBtnPesquisa;
class TClientDataSet;
class TColumn;
class TDBEdit;
class TDBGrid;
class TDBText;
class TDataSource;
class TDateEditPlus;
class TEdit;
class TField;
class TImage;
class TLabel;
class TMaskEdit;
class TMessages;
class TNetConnection;
class TNumberEdit;
class TPanel;
class TSpeedButton;

class TfrmManuDelValor : public TfrmPadrao {
    Q_OBJECT
public:
    explicit TfrmManuDelValor(QWidget* parent = nullptr);
    ~TfrmManuDelValor() override;

    // Designed size of the window.
    static constexpr int kDesignWidth = 718;
    static constexpr int kDesignHeight = 455;

    // The typed calls of the remote object, over netManuDelValor.
    TRdmManuDelValor Rdm() const { return TRdmManuDelValor(*netManuDelValor); }

    // ---- toolbar
    TSpeedButton* btnCancelDel = nullptr;
    TImage* imgCheck = nullptr;
    TImage* imgUncheck = nullptr;

    // ---- filter panel
    TPanel* panFiltro = nullptr;
    TLabel* lblFilial = nullptr;
    TMaskEdit* medCdFilial = nullptr;
    TBtnPesquisa* btpFilial = nullptr;
    TEdit* edtNmFilial = nullptr;
    TLabel* lblCompanhia = nullptr;
    TMaskEdit* medCompanhia = nullptr;
    TBtnPesquisa* btpCia = nullptr;
    TEdit* edtNmCia = nullptr;
    TLabel* lblPlanoVoo = nullptr;
    TDateEditPlus* depPlanoVooIni = nullptr;
    TLabel* Label2 = nullptr;  // "Até", between the two dates
    TDateEditPlus* depPlanoVooFin = nullptr;

    // ---- services tab
    TDBGrid* dbgServicoDel = nullptr;
    TPanel* panRodape = nullptr;
    TLabel* lblTotDescontos = nullptr;
    TNumberEdit* ndeTotalServico = nullptr;
    TLabel* lblTxAeroporto = nullptr;
    TDBEdit* dbeVrPeTaxa = nullptr;
    TDBEdit* DBEdit2 = nullptr;
    TLabel* lblTotServicos = nullptr;
    TDBEdit* DBEdit1 = nullptr;
    TLabel* lblTotGeral = nullptr;
    TDBEdit* DBEdit8 = nullptr;

    // ---- navigator panel
    TLabel* lblNmCia = nullptr;
    TDBText* dbtNome = nullptr;

    // ---- datasets, queries and their data sources
    TClientDataSet* cdsDelivery = nullptr;
    TClientDataSet* cdsServicoDel = nullptr;
    TClientDataSet* cdsPesqServico = nullptr;
    TClientDataSet* cdsParamComis = nullptr;
    TClientDataSet* cdsCalcPreco = nullptr;
    // Made by FormCreate and freed by FormClose; its fields come with SetServicoDel's answer.
    QPointer<TClientDataSet> cdsErro;
    TADOIBQuery* qryFilial = nullptr;
    TADOIBQuery* qryCompanhia = nullptr;
    TADOIBQuery* qryAgrDeDe = nullptr;

    TDataSource* dtsDelivery = nullptr;
    TDataSource* dtsPesqServico = nullptr;
    TDataSource* dtsFilial = nullptr;
    TDataSource* dtsCompanhia = nullptr;
    TDataSource* dtsAgrDeDe = nullptr;

    // The persistent fields of each dataset and query.
    ate02700::DeliveryFields fldDelivery;
    ate02700::ServicoDelFields fldServicoDel;
    ate02700::PesqServicoFields fldPesqServico;
    ate02700::ParamComisFields fldParamComis;
    ate02700::CalcPrecoFields fldCalcPreco;
    ate02700::QryFilialFields fldFilial;
    ate02700::QryCompanhiaFields fldCompanhia;
    ate02700::QryAgrDeDeFields fldAgrDeDe;

    // ---- server connection and message tables
    TNetConnection* netManuDelValor = nullptr;
    TMessages* msgPadrao = nullptr;
    TMessages* msgMensagensPadroes = nullptr;

    // CDCIA, NRVOO and CDTRECHO of the current delivery.
    std::array<QString, 3> astCiaVooTre;

    // ---- flight services of the current delivery
    // The service list (frm_manu_del_valor_services.cpp): the delivery cursor, the services
    // tab, the commands by the edit state and the situation colours.
    void cdsDeliveryAfterScroll(TClientDataSet& dataSet);
    void pgcPadraoChange(QObject& sender) override;
    void dtsPadraoStateChange(QObject& sender) override;
    void dbgServicoDelDrawColumnCell(TDBGrid& sender, const QRect& rect, int dataCol, TColumn& column,
                                     TGridDrawState state);
    // Row entry and the service lookup (frm_manu_del_valor_service_entry.cpp).
    void cdsServicoDelBeforeInsert(TClientDataSet& dataSet);
    void cdsServicoDelAfterInsert(TClientDataSet& dataSet);
    void cdsServicoDelBeforeEdit(TClientDataSet& dataSet);
    void cdsServicoDelAfterEdit(TClientDataSet& dataSet);
    void dbgServicoDelKeyPress(TDBGrid& sender, QChar& key);
    void dbgServicoDelColExit(TDBGrid& sender);
    void dbgServicoDelEditButtonClick(TDBGrid& sender);
    void cdsServicoDelQTATUAPRODSPChange(TField& sender);
    // Fills the current service row (in insert or edit) from the current row of
    // cdsPesqServico and resolves its class grouping.
    void IncluiSerClaCic();

private:
    // Flight services: binds their handlers (called once by the constructor).
    void BindServices();
    // GetServicoDel of the current delivery into cdsServicoDel.
    void LoadServices();
    // What follows the current delivery (the key, the caption, the currency columns, the
    // buttons, the footer), its services loaded first when `loadServices`.
    void FollowCurrentDelivery(bool loadServices);
    // The part of it that is only shown: the commands, the caption, the currency columns,
    // the buttons and the footer.
    void ShowCurrentDelivery();
    // The price and total columns in the currency of the current delivery.
    void SwapCurrencyColumns();
    // Whether a control of the filter panel is enabled while the service list is (or is
    // not) being edited.
    bool FilterControlEnabled(const QWidget& control, bool editing) const;
    // GetPesqServico into cdsPesqServico for the service code given (empty: every service).
    void LoadPesqServico(const QString& cdArvServ);

protected:
    void FormCreate(QObject& sender) override;
    void FormActivate(QObject& sender) override;
    void FormClose(QObject& sender, TCloseAction& action) override;
    void netManuDelValorBeforeConnect(TNetConnection& sender);

    // Cancellation and emission (frm_manu_del_valor_emission.cpp).
    void btnCancelDelClick(QObject& sender);
    void sbtImprimirClick(QObject& sender) override;

    // ---- delivery selection (frm_manu_del_valor_selecao.cpp): the filter panel, the
    // loading of the deliveries and the delivery list.
    void medCdFilialExit(QObject& sender);
    void medCdFilialChange(QObject& sender);
    void btpFilialBeforePesq(QObject& sender, bool& continueLookup);
    void btpFilialAfterPesq(QObject& sender);
    void medCompanhiaExit(QObject& sender);
    void medCompanhiaChange(QObject& sender);
    void btpCiaBeforePesq(QObject& sender, bool& continueLookup);
    void btpCiaAfterPesq(QObject& sender);
    void depPlanoVooIniExit(QObject& sender);
    void depPlanoVooFinExit(QObject& sender);
    // Each makes its edit hold a valid code or refuses with the focus on it; `mandatory`
    // decides whether an empty edit is refused.
    void Vd_Filial(bool mandatory);
    void Vd_Companhia(bool mandatory);
    void panFiltroEnter(QObject& sender);
    void panFiltroExit(QObject& sender);
    void sbtProcurarClick(QObject& sender) override;
    void dbgPadraoCellClick(TColumn& column);
    void dbgPadraoTitleClick(TColumn& column);
    void dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift) override;
    void dbgPadraoDrawColumnCell(TDBGrid& sender, const QRect& rect, int dataCol, TColumn& column,
                                 TGridDrawState state);
    void cdsDeliveryNRDELIVERYFAGetText(TField& sender, QString& text, bool displayText);
    void cdsDeliveryVRBACATXGetText(TField& sender, QString& text, bool displayText);
    void cdsDeliveryVRTOTDESCGetText(TField& sender, QString& text, bool displayText);
    void cdsDeliveryVRTOTDELIVGetText(TField& sender, QString& text, bool displayText);
    void cdsDeliveryVRTXAEROGetText(TField& sender, QString& text, bool displayText);

    // ---- posting and saving service rows (frm_manu_del_valor_posting.cpp)
public:
    void cdsServicoDelBeforePost(TClientDataSet& dataSet);
    void cdsServicoDelAfterPost(TClientDataSet& dataSet);
    void cdsServicoDelBeforeDelete(TClientDataSet& dataSet);
    void cdsServicoDelAfterCancel(TClientDataSet& dataSet);

protected:
    void sbtCancelarClick(QObject& sender) override;
    void sbtVerificarClick(QObject& sender) override;

private:
    void BindPostingHandlers();
    // Puts the services grid on the column of `fieldName` and gives it the focus.
    void FocusServiceColumn(const QString& fieldName);
    void NormaliseServiceRow();
    bool ServiceQuantitiesChanged() const;
    void CheckAndDeriveQuantities();
    void PriceServiceRow();
    // Shows a server error text as the catalogue message it names (raises the silent abort);
    // returns when the text names no message of the catalogue.
    void ReportServerErrorText(const QString& text);
    // SetServicoDel and the loading of its three packets; the error packet reported.
    // `answerLoaded` tells the caller, also when it raises, that the answer's services are in.
    void SendServiceChanges(qint64 nrDelivery, const QString& nullFields, bool& answerLoaded);
    // `servicesCurrent`: the service list already holds the saved delivery's services.
    void RestoreServicePosition(qint64 nrDelivery, const QString& cdArvServ, bool servicesCurrent);
    // While set, moves of the delivery list are not followed: the save's answer is being
    // loaded and the list put back, and what the screen shows follows the row it ends on.
    bool deliveryMovesHeld_ = false;
    // Moves made while a pass held the list's controls: what shows the current delivery is
    // brought up to date once, when the controls are given back.
    bool deliveryShownLate_ = false;

private:
    // Layout (frm_manu_del_valor_layout.cpp).
    void BuildDataSets();
    void BuildConnection();
    void BuildToolbar();
    void BuildFilterPanel();
    void BuildDeliveryPage();
    void BuildServicesPage();
    void BuildServicesFooter(QWidget& page);
    void BuildNavigator();
    void BuildMenu();
    // The focus chain: the filter panel first. Run once the form is in its window, as
    // placing the form there rebuilds the chain.
    void OrderTabs();
    void BindEmissionCommands();
    // Reads the deliveries of the filter again after the emission dialog.
    void ReloadDeliveriesAfterEmission();

    // Delivery selection: binds its handlers (called once by the constructor).
    void BindDeliverySelection();
    // The mark pass and the unmark pass of the mark-all command.
    void MarkPass();
    void UnmarkPass();
    // The services tab and its menu item follow whether a non-empty list is loaded.
    void EnableServicesTab(bool enabled);
};
