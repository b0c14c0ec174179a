#include "framework/forms/frm_padrao.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/ui/application_host.h"
#include "framework/ui/command_glyphs.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid/tdbgrid.h"
#include "framework/ui/guard.h"
#include "framework/ui/tdbnavigator.h"
#include "framework/ui/tlabel.h"
#include "framework/ui/tmenu.h"
#include "framework/ui/tpagecontrol.h"
#include "framework/ui/tpanel.h"
#include "framework/ui/tspeedbutton.h"
#include "framework/units/procurar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace {

const QString kConfirmDelete = QStringLiteral("Confirma exclusão?");

// Watches a widget for one event type and runs an action on it.
class EventWatch : public QObject {
public:
    EventWatch(QEvent::Type type, std::function<void()> action, QObject* parent)
        : QObject(parent), type_(type), action_(std::move(action))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == type_) action_();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

bool Editing(const TClientDataSet& dataSet)
{
    return dataSet.State() == TDataSetState::Edit || dataSet.State() == TDataSetState::Insert;
}

QString WithoutAccelerator(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption;
}

}  // namespace

TfrmPadrao::TfrmPadrao(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPadrao"));
    // The form paints its own background: a control that changes inside it is then drawn
    // again from the form down, not from the MDI window's frame and title bar down.
    setAutoFillBackground(true);
    dtsPadrao = new TDataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));

    formLayout_ = new QVBoxLayout(this);
    formLayout_->setContentsMargins(0, 0, 0, 0);
    formLayout_->setSpacing(0);
    BuildMenu();
    BuildToolbar();
    BuildPages();
    BuildNavigator();
    BindHandlers();
}

TfrmPadrao::~TfrmPadrao()
{
    // The children outlive this destructor; none of them may reach the handlers of a form
    // that is no longer whole.
    dtsPadrao->OnStateChange = nullptr;
    dtsPadrao->disconnect(this);
    pgcPadrao->OnChange = nullptr;
    dbgPadrao->OnKeyDown = nullptr;
    delete printDialog_.data();
    delete pageSetupDialog_.data();
}

// ---------------------------------------------------------------- layout

void TfrmPadrao::BuildMenu()
{
    mnuMenu = new TMainMenu(this);
    formLayout_->setMenuBar(mnuMenu);

    mnuOperacao = mnuMenu->Add(QStringLiteral("mnuOperacao"), QStringLiteral("&Operação"));
    const auto command = [this](const char* name, const QString& caption, const QKeySequence& key) {
        TMenuItem* item = mnuOperacao->Add(QString::fromLatin1(name), caption);
        item->SetShortCut(key);
        return item;
    };
    mnuIncluir = command("mnuIncluir", QStringLiteral("&Incluir"), QKeySequence(Qt::Key_F6));
    mnuAlterar = command("mnuAlterar", QStringLiteral("&Alterar"), QKeySequence(Qt::Key_F7));
    mnuExcluir = command("mnuExcluir", QStringLiteral("&Excluir"), QKeySequence(Qt::Key_F8));
    mnuOperacao->AddSeparator();
    mnuGravar = command("mnuGravar", QStringLiteral("&Gravar"), QKeySequence(Qt::Key_F9));
    mnuCancelar = command("mnuCancelar", QStringLiteral("&Cancelar"), QKeySequence(Qt::Key_F10));
    mnuOperacao->AddSeparator();
    mnuProcurar = command("mnuProcurar", QStringLiteral("&Procurar"), QKeySequence(Qt::Key_F3));
    mnuVerificar = command("mnuVerificar", QStringLiteral("&Verificar"), QKeySequence(Qt::Key_F5));
    mnuOperacao->AddSeparator();
    mnuFolhaDados = command("mnuFolhaDados", QStringLiteral("&Folha de Dados"), QKeySequence());
    mnuFormulario = command("mnuFormulario", QStringLiteral("F&ormulário"), QKeySequence());
    mnuFolhaDados->SetGroupIndex(1);
    mnuFormulario->SetGroupIndex(1);
    mnuOperacao->AddSeparator();
    mnuImprimir = command("mnuImprimir", QStringLiteral("Im&primir"), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuConfigurar = command("mnuConfigurar", QStringLiteral("Co&nfigurar Impressora..."), QKeySequence());
    mnuOperacao->AddSeparator();
    mnuFechar = command("mnuFechar", QStringLiteral("&Fechar"), QKeySequence());

    mnuAjuda = mnuMenu->Add(QStringLiteral("mnuAjuda"), QStringLiteral("A&juda"));
    mnuAjudaTela = mnuAjuda->Add(QStringLiteral("mnuAjudaTela"), QStringLiteral("&Ajuda da Tela"));
    mnuAjudaTela->SetShortCut(QKeySequence(Qt::Key_F1));
}

void TfrmPadrao::BuildToolbar()
{
    panMenu = new TPanel(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    toolbarLayout_ = new QHBoxLayout(panMenu);
    toolbarLayout_->setContentsMargins(2, 2, 2, 2);
    toolbarLayout_->setSpacing(1);
    const auto button = [this](const char* name, TCommandGlyph glyph) {
        auto* b = new TSpeedButton(panMenu);
        b->setObjectName(QString::fromLatin1(name));
        b->SetGlyph(CommandGlyphs::Draw(glyph));
        b->setIconSize(QSize(20, 20));
        toolbarLayout_->addWidget(b);
        return b;
    };
    const auto gap = [this] { toolbarLayout_->addSpacing(8); };
    sbtIncluir = button("sbtIncluir", TCommandGlyph::Incluir);
    sbtAlterar = button("sbtAlterar", TCommandGlyph::Alterar);
    sbtExcluir = button("sbtExcluir", TCommandGlyph::Excluir);
    gap();
    sbtGravar = button("sbtGravar", TCommandGlyph::Gravar);
    sbtCancelar = button("sbtCancelar", TCommandGlyph::Cancelar);
    gap();
    sbtProcurar = button("sbtProcurar", TCommandGlyph::Procurar);
    sbtVerificar = button("sbtVerificar", TCommandGlyph::Verificar);
    gap();
    sbtImprimir = button("sbtImprimir", TCommandGlyph::Imprimir);
    sbtAjuda = button("sbtAjuda", TCommandGlyph::Ajuda);
    toolbarInsertAt_ = toolbarLayout_->count();
    toolbarLayout_->addStretch(1);
    sbtFechar = button("sbtFechar", TCommandGlyph::Fechar);
    formLayout_->addWidget(panMenu);
}

void TfrmPadrao::BuildPages()
{
    pgcPadrao = new TCustomPageControl98(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    tshFolhaDados = new TTabSheet(*pgcPadrao, QStringLiteral("Folha de Dados"));
    tshFolhaDados->setObjectName(QStringLiteral("tshFolhaDados"));
    tshFormulario = new TTabSheet(*pgcPadrao, QStringLiteral("Formulário"));
    tshFormulario->setObjectName(QStringLiteral("tshFormulario"));
    dbgPadrao = new TDBGrid(tshFolhaDados);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    dbgPadrao->SetDataSource(dtsPadrao);
    tshFolhaDados->Layout().addWidget(dbgPadrao);
    formLayout_->addWidget(pgcPadrao, 1);
}

void TfrmPadrao::BuildNavigator()
{
    panNavigator = new TPanel(this);
    panNavigator->setObjectName(QStringLiteral("panNavigator"));
    navigatorLayout_ = new QHBoxLayout(panNavigator);
    navigatorLayout_->setContentsMargins(2, 2, 4, 2);
    navigatorLayout_->setSpacing(6);
    dbnPadrao = new TDBNavigator(panNavigator);
    dbnPadrao->setObjectName(QStringLiteral("dbnPadrao"));
    dbnPadrao->SetDataSource(dtsPadrao);
    navigatorLayout_->addWidget(dbnPadrao);
    navigatorInsertAt_ = navigatorLayout_->count();
    navigatorLayout_->addStretch(1);
    lblCodTela = new TLabel(panNavigator);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    navigatorLayout_->addWidget(lblCodTela);
    formLayout_->addWidget(panNavigator);

    pmnNavegar = new TPopupMenu(this);
    pmnNavegar->setObjectName(QStringLiteral("pmnNavegar"));
    const auto move = [this](const char* name, const QString& caption, TNavigateBtn button) {
        TMenuItem* item = pmnNavegar->Add(QString::fromLatin1(name), caption);
        item->OnClick = [this, button](QObject&) { dbnPadrao->BtnClick(button); };
    };
    move("mnuPrimeiro", QStringLiteral("&Primeiro"), TNavigateBtn::nbFirst);
    move("mnuAnterior", QStringLiteral("&Anterior"), TNavigateBtn::nbPrior);
    move("mnuProximo", QStringLiteral("Pró&ximo"), TNavigateBtn::nbNext);
    move("mnuUltimo", QStringLiteral("Ú&ltimo"), TNavigateBtn::nbLast);
    pmnNavegar->AttachTo(*dbgPadrao);
    pmnNavegar->AttachTo(*dbnPadrao);
}

void TfrmPadrao::PairCommand(TMenuItem* item, TSpeedButton* button, void (TfrmPadrao::*handler)(QObject&))
{
    item->OnClick = [this, handler](QObject& sender) { (this->*handler)(sender); };
    button->OnClick = [this, handler](QObject& sender) { (this->*handler)(sender); };
    item->LinkButton(*button);
    const QString key = item->ShortCut().toString(QKeySequence::NativeText);
    item->SetHint(key.isEmpty() ? WithoutAccelerator(item->Caption())
                                : QStringLiteral("%1 (%2)").arg(WithoutAccelerator(item->Caption()), key));
}

void TfrmPadrao::BindHandlers()
{
    PairCommand(mnuIncluir, sbtIncluir, &TfrmPadrao::sbtIncluirClick);
    PairCommand(mnuAlterar, sbtAlterar, &TfrmPadrao::sbtAlterarClick);
    PairCommand(mnuExcluir, sbtExcluir, &TfrmPadrao::sbtExcluirClick);
    PairCommand(mnuGravar, sbtGravar, &TfrmPadrao::sbtGravarClick);
    PairCommand(mnuCancelar, sbtCancelar, &TfrmPadrao::sbtCancelarClick);
    PairCommand(mnuProcurar, sbtProcurar, &TfrmPadrao::sbtProcurarClick);
    PairCommand(mnuVerificar, sbtVerificar, &TfrmPadrao::sbtVerificarClick);
    PairCommand(mnuImprimir, sbtImprimir, &TfrmPadrao::sbtImprimirClick);
    PairCommand(mnuAjudaTela, sbtAjuda, &TfrmPadrao::sbtAjudaClick);
    PairCommand(mnuFechar, sbtFechar, &TfrmPadrao::sbtFecharClick);
    mnuConfigurar->OnClick = [this](QObject& sender) { mnuConfigurarClick(sender); };

    mnuFolhaDados->OnClick = [this](QObject&) { ChoosePage(tshFolhaDados); };
    mnuFormulario->OnClick = [this](QObject&) { ChoosePage(tshFormulario); };
    // A page's menu item can be chosen exactly when the page can.
    const auto follow = [](TTabSheet* page, TMenuItem* item) {
        page->installEventFilter(new EventWatch(
            QEvent::EnabledChange, [page, item] { item->SetEnabled(page->isEnabled()); }, page));
    };
    follow(tshFolhaDados, mnuFolhaDados);
    follow(tshFormulario, mnuFormulario);

    dtsPadrao->OnStateChange = [this](TDataSource& sender) { dtsPadraoStateChange(sender); };
    for (const auto signal : {&TDataSource::dataSetChanged, &TDataSource::activeChanged, &TDataSource::dataSetAttached})
        connect(dtsPadrao, signal, this, &TfrmPadrao::RowsChanged);
    connect(dtsPadrao, &TDataSource::rowInserted, this, &TfrmPadrao::RowsChanged);
    connect(dtsPadrao, &TDataSource::rowRemoved, this, &TfrmPadrao::RowsChanged);
    pgcPadrao->OnChange = [this](QObject& sender) { pgcPadraoChange(sender); };
    dbgPadrao->OnKeyDown = [this](TDBGrid& sender, int& key, Qt::KeyboardModifiers shift) {
        dbgPadraoKeyDown(sender, key, shift);
    };
}

void TfrmPadrao::AddToToolbar(QWidget* control)
{
    control->setParent(panMenu);
    toolbarLayout_->insertWidget(toolbarInsertAt_++, control);
}

void TfrmPadrao::InsertAbovePages(QWidget* panel)
{
    panel->setParent(this);
    formLayout_->insertWidget(formLayout_->indexOf(pgcPadrao), panel);
}

void TfrmPadrao::AddToNavigator(QWidget* control)
{
    control->setParent(panNavigator);
    navigatorLayout_->insertWidget(navigatorInsertAt_++, control);
}

// ---------------------------------------------------------------- window

QMdiSubWindow* TfrmPadrao::MdiWindow() const { return TApplicationHost::MdiWindowOf(*this); }

QSize TfrmPadrao::FormSize() const
{
    if (const QMdiSubWindow* window = MdiWindow()) return window->size();
    return size();
}

void TfrmPadrao::SetFormSize(int width, int height)
{
    designedSize_ = QSize(width, height);
    TApplicationHost::FrameOf(*this).resize(designedSize_);
}

TfrmPadrao::TWindowState TfrmPadrao::WindowState() const
{
    const Qt::WindowStates state = TApplicationHost::FrameOf(const_cast<TfrmPadrao&>(*this)).windowState();
    if (state & Qt::WindowMinimized) return TWindowState::Minimized;
    if (state & Qt::WindowMaximized) return TWindowState::Maximized;
    return TWindowState::Normal;
}

void TfrmPadrao::SetWindowState(TWindowState state)
{
    QWidget& frame = TApplicationHost::FrameOf(*this);
    if (!frame.isVisible()) {
        Qt::WindowStates flags = frame.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        if (state == TWindowState::Minimized)
            flags |= Qt::WindowMinimized;
        else if (state == TWindowState::Maximized)
            flags |= Qt::WindowMaximized;
        frame.setWindowState(flags);
        return;
    }
    switch (state) {
    case TWindowState::Normal: frame.showNormal(); break;
    case TWindowState::Minimized: frame.showMinimized(); break;
    case TWindowState::Maximized: frame.showMaximized(); break;
    }
}

void TfrmPadrao::Show()
{
    QWidget& frame = TApplicationHost::FrameOf(*this);
    if (&frame != this && !isVisible()) QWidget::show();  // hidden by an earlier close that kept the form
    frame.show();
    frame.raise();
    if (QMdiSubWindow* window = MdiWindow()) {
        if (QMdiArea* area = window->mdiArea()) area->setActiveSubWindow(window);
    } else {
        activateWindow();
    }
}

bool TfrmPadrao::Close() { return TApplicationHost::FrameOf(*this).close(); }

void TfrmPadrao::Repaint()
{
    // The window keeps what it drew last: only what changed since is out of date, so only
    // that is drawn (the whole form again costs more than the wait it precedes).
    if (!isVisible()) return;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window(), &request);
}

void TfrmPadrao::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    // An MDI child minimises unless its handler says otherwise; a plain form hides.
    TCloseAction action = MdiWindow() ? TCloseAction::Minimize : TCloseAction::Hide;
    if (!Guard::Run([this, &action] { FormClose(*this, action); })) {
        event->ignore();  // a close handler that failed keeps the form
        return;
    }
    switch (action) {
    case TCloseAction::None: event->ignore(); return;
    case TCloseAction::Minimize:
        event->ignore();
        SetWindowState(TWindowState::Minimized);
        return;
    case TCloseAction::Hide:
        event->accept();
        if (QMdiSubWindow* window = MdiWindow()) window->hide();
        return;
    case TCloseAction::Free:
        event->accept();
        Release();
        return;
    }
}

void TfrmPadrao::Release()
{
    closing_ = true;
    QWidget& frame = TApplicationHost::FrameOf(*this);
    frame.hide();
    frame.deleteLater();
}

bool TfrmPadrao::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        if (QMdiSubWindow* window = MdiWindow()) {
            connect(window, &QMdiSubWindow::aboutToActivate, this, &TfrmPadrao::ActivationSeen, Qt::UniqueConnection);
            connect(window, &QMdiSubWindow::windowStateChanged, this,
                    [this](Qt::WindowStates before, Qt::WindowStates now) {
                        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive)) ActivationSeen();
                    });
        }
        break;
    case QEvent::WindowActivate:
        if (!MdiWindow()) ActivationSeen();
        break;
    default: break;
    }
    return QWidget::event(event);
}

void TfrmPadrao::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ActivationSeen();
}

void TfrmPadrao::ActivationSeen()
{
    if (activationQueued_) return;
    activationQueued_ = true;
    // Activation handlers run once the code that showed the form has returned.
    QMetaObject::invokeMethod(this, &TfrmPadrao::RunActivation, Qt::QueuedConnection);
}

void TfrmPadrao::RunActivation()
{
    activationQueued_ = false;
    // A window made current while the form is still being created or not yet shown (the
    // application became active while FormCreate waited for its server) is looked at
    // again once it is created and once it shows.
    if (!created_ || closing_ || !TApplicationHost::FrameOf(*this).isVisible()) return;
    bool active = false;
    if (QMdiSubWindow* window = MdiWindow())
        active = window->mdiArea() && window->mdiArea()->currentSubWindow() == window;
    else
        active = isActiveWindow();
    if (!active || !Application().NoteActivated(*this)) return;
    Guard::Run([this] { FormActivate(*this); });
}

void TfrmPadrao::RunCreate()
{
    if (created_) return;
    FormCreate(*this);
    created_ = true;
    ActivationSeen();
}

// ---------------------------------------------------------------- base handlers

void TfrmPadrao::FormCreate(QObject& /*sender*/)
{
    // The commands start as the state of dtsPadrao says, whatever a derived form's own rule
    // would need of data it has not loaded yet.
    UpdateRecordCommands();
    ShowActivePageInMenu();
}

void TfrmPadrao::FormActivate(QObject& sender)
{
    if (OnActivate) OnActivate(sender);
}

void TfrmPadrao::FormClose(QObject& /*sender*/, TCloseAction& action) { action = TCloseAction::Free; }

void TfrmPadrao::pgcPadraoChange(QObject& /*sender*/) { ShowActivePageInMenu(); }

void TfrmPadrao::dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift)
{
    // Enter on a list that is only browsed opens the record's page.
    const auto* grid = qobject_cast<TDBGrid*>(&sender);
    const bool browsed = grid && (grid->ReadOnly() || !(grid->Options() & dgEditing));
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!browsed || !enter || (shift & ~Qt::KeypadModifier) != Qt::NoModifier) return;
    if (pgcPadrao->ActivePage() != tshFolhaDados || !TCustomPageControl98::Selectable(*tshFormulario)) return;
    key = 0;
    pgcPadrao->SetActivePage(tshFormulario);
}

void TfrmPadrao::dtsPadraoStateChange(QObject& /*sender*/)
{
    baseCommandRule_ = true;
    UpdateRecordCommands();
}

void TfrmPadrao::RowsChanged()
{
    // Rows replaced, added or removed while browsing change no state; the base rule still
    // depends on them. A form with rules of its own decides when to apply them.
    if (baseCommandRule_) UpdateRecordCommands();
}

void TfrmPadrao::UpdateRecordCommands()
{
    const TClientDataSet* dataSet = dtsPadrao->DataSet();
    const TDataSetState state = dtsPadrao->State();
    const bool browse = state == TDataSetState::Browse;
    const bool editing = state == TDataSetState::Edit || state == TDataSetState::Insert;
    const bool rows = dataSet && dataSet->Active() && !dataSet->IsEmpty();
    mnuIncluir->SetEnabled(browse);
    mnuAlterar->SetEnabled(browse && rows);
    mnuExcluir->SetEnabled(browse && rows);
    mnuGravar->SetEnabled(editing);
    mnuCancelar->SetEnabled(editing);
    mnuProcurar->SetEnabled(browse && rows);
    mnuVerificar->SetEnabled(browse);
}

TClientDataSet& TfrmPadrao::PadraoDataSet() const
{
    TClientDataSet* dataSet = dtsPadrao->DataSet();
    if (!dataSet || !dataSet->Active()) Abort();
    return *dataSet;
}

void TfrmPadrao::sbtIncluirClick(QObject& /*sender*/) { PadraoDataSet().Insert(); }

void TfrmPadrao::sbtAlterarClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (dataSet.IsEmpty()) Abort();
    dataSet.Edit();
}

void TfrmPadrao::sbtExcluirClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (dataSet.IsEmpty()) Abort();
    if (Dialogs().MessageDlg(kConfirmDelete, TMsgDlgType::Confirmation, mbYes | mbNo, 0) != TModalResult::Yes) Abort();
    dataSet.Delete();
}

void TfrmPadrao::sbtGravarClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (Editing(dataSet)) dataSet.Post();
}

void TfrmPadrao::sbtCancelarClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (Editing(dataSet)) dataSet.Cancel();
}

void TfrmPadrao::sbtProcurarClick(QObject& /*sender*/) { Procurar::Procura(PadraoDataSet()); }

void TfrmPadrao::sbtVerificarClick(QObject& /*sender*/)
{
    TClientDataSet& dataSet = PadraoDataSet();
    if (Editing(dataSet)) Abort();  // a refresh would have to drop the edit
    // The controls read the rows again (one notification once controls are enabled).
    dataSet.DisableControls();
    dataSet.EnableControls();
}

void TfrmPadrao::sbtImprimirClick(QObject& /*sender*/)
{
    if (prdImprimir().exec() != QDialog::Accepted) Abort();
    PrintForm(*Printer());
}

void TfrmPadrao::mnuConfigurarClick(QObject& /*sender*/) { psdConfigurar().exec(); }

void TfrmPadrao::sbtAjudaClick(QObject& /*sender*/)
{
    QString text =
        lblCodTela->text().isEmpty() ? Caption() : QStringLiteral("%1 - %2").arg(lblCodTela->text(), Caption());
    text += QStringLiteral("\n\nTeclas:");
    for (int i = 0; i < mnuOperacao->Count(); ++i) {
        const TMenuItem* item = mnuOperacao->Items(i);
        if (item->IsSeparator() || !item->Visible() || item->ShortCut().isEmpty()) continue;
        text += QStringLiteral("\n%1\t%2")
                    .arg(item->ShortCut().toString(QKeySequence::NativeText), WithoutAccelerator(item->Caption()));
    }
    text += QStringLiteral("\nCtrl+PgDn / Ctrl+PgUp\tPróxima / anterior página");
    Dialogs().MessageDlg(text, TMsgDlgType::Information, mbOK, 0);
}

void TfrmPadrao::sbtFecharClick(QObject& /*sender*/) { Close(); }

// ---------------------------------------------------------------- pages

void TfrmPadrao::ChoosePage(TTabSheet* page)
{
    if (TCustomPageControl98::Selectable(*page)) pgcPadrao->SetActivePage(page);
    ShowActivePageInMenu();
}

void TfrmPadrao::ShowActivePageInMenu()
{
    const TTabSheet* active = pgcPadrao->ActivePage();
    mnuFolhaDados->SetChecked(active == tshFolhaDados);
    mnuFormulario->SetChecked(active == tshFormulario);
}

// ---------------------------------------------------------------- printing

std::unique_ptr<QPrinter>& TfrmPadrao::Printer()
{
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer_;
}

QPrintDialog& TfrmPadrao::prdImprimir()
{
    if (!printDialog_) {
        printDialog_ = new QPrintDialog(Printer().get(), this);
        printDialog_->setObjectName(QStringLiteral("prdImprimir"));
    }
    return *printDialog_;
}

QPageSetupDialog& TfrmPadrao::psdConfigurar()
{
    if (!pageSetupDialog_) {
        pageSetupDialog_ = new QPageSetupDialog(Printer().get(), this);
        pageSetupDialog_->setObjectName(QStringLiteral("psdConfigurar"));
    }
    return *pageSetupDialog_;
}

void TfrmPadrao::PrintForm(QPrinter& printer)
{
    const QPixmap image = grab();
    QPainter painter;
    if (!painter.begin(&printer)) throw Exception(QStringLiteral("Não foi possível iniciar a impressão."));
    const QRect page = painter.viewport();
    const QSize fitted = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), fitted), image);
    painter.end();
}
