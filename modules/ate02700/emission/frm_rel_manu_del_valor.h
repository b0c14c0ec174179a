#pragma once
// TfrmRelManuDelValor: the emission dialog (screen ATE02701, report ATE027). The operator
// gives the emission place ("Tipo Emissão") and prints; the dialog has no delivery data of
// its own and works on the main form's list through Cli_ate02700::frmManuDelValor.
//
// Layout: the base dialog's report choice, and under it Panel1 with the place code
// medCdLocal, its lookup button btpLocal over cdsLocalEmiss and the place's name edtDsLocal.
// Printing is the only output: sbtPreview stays disabled.

#include "modules/ate02700/model/local_emiss_record.h"

#include "framework/forms/frm_dados_ger_rel.h"

class TBtnPesquisa;
class TClientDataSet;
class TfrmManuDelValor;
class TParams;
class TReportDesignerDialog;
class TRdmManuDelValor;
class TDataSource;
class TEdit;
class TMaskEdit;
class TPanel;

class TfrmRelManuDelValor : public TfrmDadosGerRel {
    Q_OBJECT
public:
    explicit TfrmRelManuDelValor(QWidget* parent = nullptr);
    ~TfrmRelManuDelValor() override;

    static constexpr int kClientWidth = 424;
    static constexpr int kClientHeight = 105;

    // ---- components (owned by the dialog)
    TPanel* Panel1 = nullptr;
    TLabel* lblLocEmis = nullptr;
    TMaskEdit* medCdLocal = nullptr;
    TBtnPesquisa* btpLocal = nullptr;
    TEdit* edtDsLocal = nullptr;

    TClientDataSet* cdsLocalEmiss = nullptr;
    TDataSource* dtsLocalEmissao = nullptr;
    ate02700::LocalEmissFields fldLocalEmiss;

    // Validates the place code (fitted to 4 digits) against the server; Local_inf or
    // Local_cad with the focus back in medCdLocal.
    void Vd_LocalEmis();
    // Has the server number the marked deliveries of the main form's list for the place.
    void GeraNovoFatur();

protected:
    void FormActivate(QObject& sender) override;
    void FormClose(QObject& sender, TCloseAction& action) override;
    void FormKeyDown(QObject& sender, QKeyEvent& key) override;
    void sbtPrintClick(QObject& sender) override;

    void medCdLocalExit(QObject& sender);
    void btpLocalBeforePesq(QObject& sender, bool& continueLookup);
    void btpLocalAfterPesq(QObject& sender);
    void rpddPadraoBeforeGetQueryParams(TReportDesignerDialog& sender, TParams& params);

private:
    void BuildPlacePanel();
    void BindHandlers();
    // The main form whose list, branch and connection the dialog works on.
    static TfrmManuDelValor& MainForm();
    static TRdmManuDelValor Rdm();
    static QString Branch();
};
