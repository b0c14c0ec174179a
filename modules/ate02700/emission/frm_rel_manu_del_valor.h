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

protected:
    void FormActivate(QObject& sender) override;
    void FormClose(QObject& sender, TCloseAction& action) override;
    void FormKeyDown(QObject& sender, QKeyEvent& key) override;

private:
    void BuildPlacePanel();
};
