#pragma once
// TfrmPadrao: the base of the standard MDI forms. A derived form adds its own controls and
// datasets in its constructor, binds dtsPadrao to the dataset its record commands act on,
// and extends the handlers below (calling the base where the order says).
//
// Layout, top to bottom (every component carries its name as its object name):
//   mnuMenu        menu bar: mnuOperacao (record commands, pages, print, close) and mnuAjuda
//   panMenu        toolbar: sbtIncluir sbtAlterar sbtExcluir | sbtGravar sbtCancelar |
//                  sbtProcurar sbtVerificar | sbtImprimir sbtAjuda ... sbtFechar
//                  (AddToToolbar puts a form's own buttons after the base ones)
//   (InsertAbovePages puts a form's panels here, such as a filter panel)
//   pgcPadrao      tshFolhaDados (with the grid dbgPadrao) and tshFormulario (empty)
//   panNavigator   dbnPadrao, the form's own controls (AddToNavigator), lblCodTela at the right
// Non-visual: dtsPadrao (the record commands' data source; dbgPadrao and dbnPadrao start
// bound to it), pmnNavegar (first/prior/next/last popup of dbgPadrao and the navigator),
// prdImprimir and psdConfigurar (print and page-setup dialogs, made on first use).
//
// Record commands: each is a toolbar button and a menu item sharing one state (setting
// either's Enabled shows on both), with a key:
//   Incluir F6, Alterar F7, Excluir F8, Gravar F9, Cancelar F10, Procurar F3, Verificar F5,
//   Imprimir Ctrl+P, Ajuda F1; Ctrl+PgDn and Ctrl+PgUp choose the next and previous page.
// The base handlers act on dtsPadrao's dataset: insert, edit, delete after "Confirma
// exclusão?", post, cancel, the find dialog (Procurar::Procura) and refresh. Every handler
// runs through the event guard when the operator starts it.
//
// Handler order a derived form keeps:
//   FormCreate           base first (the base sets the commands' initial state)
//   FormActivate         runs OnActivate; on each activation as the active form
//   FormClose            derived steps first, base last: the base sets the action to Free
//   pgcPadraoChange      base first
//   dbgPadraoKeyDown     base first
//   dtsPadraoStateChange the base enables the commands by the state of dtsPadrao (and, once
//                        it has run, follows rows loaded, added or removed while browsing);
//                        a derived form with its own rules replaces it without calling it
//   sbt...Click          base or replaced, as the form needs
//
// Lifecycle: the application object makes the form (Application().CreateForm<T>()), runs
// FormCreate once the derived constructor is done, and shows an MDI child at once.
// FormActivate runs from the event loop right after the form became the active form
// (after the code that showed it has returned), and again each time the operator comes
// back to it from another form. Closing runs FormClose: Free hides the window and
// destroys the form (deleteLater); Hide hides it; Minimize minimises it; None keeps it.

#include "framework/ui/events.h"
#include "framework/ui/standard_form.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <memory>

class QCloseEvent;
class QShowEvent;
class QHBoxLayout;
class QMdiSubWindow;
class QPageSetupDialog;
class QPrintDialog;
class QPrinter;
class QVBoxLayout;
class TClientDataSet;
class TCustomPageControl98;
class TDBGrid;
class TDBNavigator;
class TDataSource;
class TLabel;
class TMainMenu;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TSpeedButton;
class TTabSheet;

class TfrmPadrao : public QWidget, public TStandardForm {
    Q_OBJECT
public:
    enum class TCloseAction { None, Hide, Free, Minimize };
    enum class TWindowState { Normal, Minimized, Maximized };

    explicit TfrmPadrao(QWidget* parent = nullptr);
    ~TfrmPadrao() override;

    // ---- the window
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    // Size of the window with its frame (the MDI window of an MDI child).
    QSize FormSize() const;
    void SetFormSize(int width, int height);
    // The size given by SetFormSize (invalid when never given).
    QSize DesignedSize() const override { return designedSize_; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    // Shows the window and makes it the active form.
    void Show();
    // Closes as the operator would (FormClose decides); true when the form closed.
    bool Close() override;
    // Brings the form on screen up to date now, before a wait that runs no event loop
    // for it: what changed since it was last drawn is drawn.
    void Repaint();
    // The MDI window of an MDI child, nullptr for a top-level form.
    QMdiSubWindow* MdiWindow() const;
    // True once FormCreate has completed.
    bool Created() const { return created_; }
    // Runs FormCreate (the application object does it; forms made by hand call it once).
    void RunCreate() override;

    // ---- layout helpers for derived forms
    void AddToToolbar(QWidget* control);
    void InsertAbovePages(QWidget* panel);
    void AddToNavigator(QWidget* control);

    // Renders the form onto a printer (what the base print command prints).
    void PrintForm(QPrinter& printer);
    QPrintDialog& prdImprimir();
    QPageSetupDialog& psdConfigurar();

    // ---- components (owned by the form)
    TMainMenu* mnuMenu = nullptr;
    TMenuItem* mnuOperacao = nullptr;
    TMenuItem* mnuIncluir = nullptr;
    TMenuItem* mnuAlterar = nullptr;
    TMenuItem* mnuExcluir = nullptr;
    TMenuItem* mnuGravar = nullptr;
    TMenuItem* mnuCancelar = nullptr;
    TMenuItem* mnuProcurar = nullptr;
    TMenuItem* mnuVerificar = nullptr;
    TMenuItem* mnuFolhaDados = nullptr;
    TMenuItem* mnuFormulario = nullptr;
    TMenuItem* mnuImprimir = nullptr;
    TMenuItem* mnuConfigurar = nullptr;
    TMenuItem* mnuFechar = nullptr;
    TMenuItem* mnuAjuda = nullptr;
    TMenuItem* mnuAjudaTela = nullptr;

    TPanel* panMenu = nullptr;
    TSpeedButton* sbtIncluir = nullptr;
    TSpeedButton* sbtAlterar = nullptr;
    TSpeedButton* sbtExcluir = nullptr;
    TSpeedButton* sbtGravar = nullptr;
    TSpeedButton* sbtCancelar = nullptr;
    TSpeedButton* sbtProcurar = nullptr;
    TSpeedButton* sbtVerificar = nullptr;
    TSpeedButton* sbtImprimir = nullptr;
    TSpeedButton* sbtAjuda = nullptr;
    TSpeedButton* sbtFechar = nullptr;

    TCustomPageControl98* pgcPadrao = nullptr;
    TTabSheet* tshFolhaDados = nullptr;
    TTabSheet* tshFormulario = nullptr;
    TDBGrid* dbgPadrao = nullptr;

    TPanel* panNavigator = nullptr;
    TDBNavigator* dbnPadrao = nullptr;
    TLabel* lblCodTela = nullptr;

    TDataSource* dtsPadrao = nullptr;
    TPopupMenu* pmnNavegar = nullptr;

    // Bound by forms that prefer an event to overriding FormActivate.
    TNotifyEvent OnActivate;

protected:
    virtual void FormCreate(QObject& sender);
    virtual void FormActivate(QObject& sender);
    virtual void FormClose(QObject& sender, TCloseAction& action);
    virtual void pgcPadraoChange(QObject& sender);
    virtual void dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift);
    virtual void dtsPadraoStateChange(QObject& sender);

    virtual void sbtIncluirClick(QObject& sender);
    virtual void sbtAlterarClick(QObject& sender);
    virtual void sbtExcluirClick(QObject& sender);
    virtual void sbtGravarClick(QObject& sender);
    virtual void sbtCancelarClick(QObject& sender);
    virtual void sbtProcurarClick(QObject& sender);
    virtual void sbtVerificarClick(QObject& sender);
    virtual void sbtImprimirClick(QObject& sender);
    virtual void sbtAjudaClick(QObject& sender);
    virtual void sbtFecharClick(QObject& sender);
    virtual void mnuConfigurarClick(QObject& sender);

    // The dataset of dtsPadrao; the silent abort when there is none or it is closed.
    TClientDataSet& PadraoDataSet() const;

    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenu();
    void BuildToolbar();
    void BuildPages();
    void BuildNavigator();
    void BindHandlers();
    void PairCommand(TMenuItem* item, TSpeedButton* button, void (TfrmPadrao::*handler)(QObject&));
    void ShowActivePageInMenu();
    void UpdateRecordCommands();
    void RowsChanged();
    void ChoosePage(TTabSheet* page);
    void ActivationSeen();
    void RunActivation();
    void Release();
    std::unique_ptr<QPrinter>& Printer();

    QHBoxLayout* toolbarLayout_ = nullptr;
    QHBoxLayout* navigatorLayout_ = nullptr;
    QVBoxLayout* formLayout_ = nullptr;
    int toolbarInsertAt_ = 0;
    int navigatorInsertAt_ = 0;
    QSize designedSize_;
    std::unique_ptr<QPrinter> printer_;
    QPointer<QPrintDialog> printDialog_;
    QPointer<QPageSetupDialog> pageSetupDialog_;
    bool created_ = false;
    bool baseCommandRule_ = false;
    bool closing_ = false;
    bool activationQueued_ = false;
};
