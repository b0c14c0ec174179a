#pragma once
// TfrmDadosGerRel: the base of the report dialogs. It shows the report code, lets the
// operator choose one of the definitions of that code by title, and prints, previews or saves
// a copy of the chosen definition under a new title. A derived dialog adds its own controls
// below the report choice (in grbDadosRel's layout), fills msgPadrao with its entries and
// binds rpddPadrao->BeforeGetQueryParams to fill the report's parameters.
//
// Handlers a derived dialog extends (calling the base first or last) or replaces:
//   FormActivate   on every showing: lists the definitions of the code, selects the first
//   FormClose      on every way of closing (button, Esc, window frame, code); derived steps
//                  first, base last: the base sets the action to Free, so the dialog is
//                  destroyed once control returns to the event loop (make it with new, as
//                  forms are made); a derived dialog sets None before calling the base to
//                  stay open, or Hide after it to be kept
//   FormKeyDown    keys no control took: Esc closes the dialog
//   sbtPrintClick  runs the chosen report once per call (printer, PDF or preview as the
//                  report settings say)
//   sbtSaveClick   asks a title (NovoCaption, NovoPrompt) and saves a copy under it
//   sbtPreviewClick runs the chosen report into the on-screen preview
// The base looks up Arq_Rel_Err, NovoCaption and NovoPrompt in msgPadrao, and uses the
// framework's own texts for those the derived dialog did not give.

#include "framework/report/report_catalog.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class TLabel;
class TMessages;
class TReportDesignerDialog;
class TSpeedButton;

class TfrmDadosGerRel : public QDialog {
    Q_OBJECT
public:
    enum class TCloseAction { None, Hide, Free };

    explicit TfrmDadosGerRel(QWidget* parent = nullptr);
    ~TfrmDadosGerRel() override;

    // The report code the dialog prints ("ATE027"), shown by lblCodRel.
    QString ReportCode() const;
    void SetReportCode(const QString& code);
    // The screen code ("ATE02701"), shown by lblCodTela.
    void SetScreenCode(const QString& code);

    // The definitions listed in cbbReportNames, in its order, and the chosen one.
    const std::vector<TReportEntry>& Reports() const { return reports_; }
    std::optional<TReportEntry> ChosenReport() const;

    // Components, owned by the dialog.
    TLabel* lblCodTela = nullptr;
    TLabel* lblCodRel = nullptr;
    QGroupBox* grbDadosRel = nullptr;
    QComboBox* cbbReportNames = nullptr;
    TSpeedButton* sbtPrint = nullptr;
    TSpeedButton* sbtSave = nullptr;
    TSpeedButton* sbtPreview = nullptr;
    TMessages* msgPadrao = nullptr;
    TMessages* msgMensagens = nullptr;
    TReportDesignerDialog* rpddPadrao = nullptr;

    // Runs the print action as the print button does, failures included (for code that
    // drives the dialog, such as the derived dialog's own print loop).
    void Print();

    void done(int result) override;

protected:
    virtual void FormActivate(QObject& sender);
    virtual void FormClose(QObject& sender, TCloseAction& action);
    virtual void FormKeyDown(QObject& sender, QKeyEvent& key);
    virtual void sbtPrintClick(QObject& sender);
    virtual void sbtSaveClick(QObject& sender);
    virtual void sbtPreviewClick(QObject& sender);

    // The chosen definition; the Arq_Rel_Err error when the code has none.
    TReportEntry ChosenOrFail();
    // Lists the definitions of the code again and selects the one at `filePath` (the first
    // when empty or gone).
    void ListReports(const QString& filePath = QString());
    // An entry of msgPadrao, or the framework's text for the keys the base uses.
    QString Text(const QString& key) const;

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<TReportEntry> reports_;
    bool closing_ = false;
};
