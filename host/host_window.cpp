#include "host/host_window.h"

#include "framework/ui/application_host.h"
#include "framework/ui/guard.h"
#include "host/host_config.h"
#include "host/module_loader.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>

THostWindow::THostWindow(TModuleLoader& loader, const THostConfig& config)
    : loader_(loader), mdiArea_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(config.branch.isEmpty() ? QStringLiteral("ATE - Catering Aéreo")
                                           : QStringLiteral("ATE - Catering Aéreo - Filial %1").arg(config.branch));
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);

    modulesMenu_ = menuBar()->addMenu(QStringLiteral("&Módulos"));
    modulesMenu_->setObjectName(QStringLiteral("mnuModulos"));
    connect(modulesMenu_, &QMenu::aboutToShow, this, &THostWindow::FillModulesMenu);
    FillModulesMenu();

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Janela"));
    windowMenu_->setObjectName(QStringLiteral("mnuJanela"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &THostWindow::FillWindowMenu);
    FillWindowMenu();

    QAction* quit = menuBar()->addAction(QStringLiteral("&Sair"));
    quit->setObjectName(QStringLiteral("mnuSair"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QStringList status;
    status << QStringLiteral("Servidor %1:%2").arg(config.serverHost).arg(config.serverPort);
    if (!config.branch.isEmpty())
        status << QStringLiteral("Filial %1%2")
                      .arg(config.branch, config.branchFixed ? QStringLiteral(" (fixa)") : QString());
    if (!config.operatorCode.isEmpty()) status << QStringLiteral("Operador %1").arg(config.operatorCode);
    auto* settings = new QLabel(status.join(QStringLiteral("   |   ")), this);
    settings->setObjectName(QStringLiteral("lblConfiguracao"));
    statusBar()->addWidget(settings);

    Application().Attach(this, mdiArea_);
}

THostWindow::~THostWindow()
{
    if (Application().MainForm() == this) Application().Detach();
}

bool THostWindow::OpenModule(const QString& module)
{
    const bool opened = Guard::Run([&] { loader_.Open(module); });
    // A module that failed half-way must not leave the hourglass behind.
    Screen().SetCursor(TCursor::Default);
    return opened;
}

void THostWindow::FillModulesMenu()
{
    modulesMenu_->clear();
    const QStringList modules = loader_.Installed();
    if (modules.isEmpty()) {
        QAction* none = modulesMenu_->addAction(QStringLiteral("(nenhum módulo em %1)").arg(loader_.Directory()));
        none->setEnabled(false);
        return;
    }
    for (const QString& module : modules) {
        QAction* action = modulesMenu_->addAction(module);
        action->setObjectName(QStringLiteral("mnuModulo%1").arg(module));
        connect(action, &QAction::triggered, this, [this, module] { OpenModule(module); });
    }
}

void THostWindow::FillWindowMenu()
{
    windowMenu_->clear();
    QAction* cascade = windowMenu_->addAction(QStringLiteral("&Cascata"));
    cascade->setObjectName(QStringLiteral("mnuCascata"));
    connect(cascade, &QAction::triggered, mdiArea_, &QMdiArea::cascadeSubWindows);
    QAction* tile = windowMenu_->addAction(QStringLiteral("&Lado a lado"));
    tile->setObjectName(QStringLiteral("mnuLadoALado"));
    connect(tile, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    QAction* closeAll = windowMenu_->addAction(QStringLiteral("&Fechar todas"));
    closeAll->setObjectName(QStringLiteral("mnuFecharTodas"));
    connect(closeAll, &QAction::triggered, this, [] { Application().CloseForms(); });

    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    bool any = false;
    for (QMdiSubWindow* window : windows) {
        if (!window->isVisible()) continue;
        if (!any) windowMenu_->addSeparator();
        any = true;
        QAction* action = windowMenu_->addAction(window->windowTitle());
        action->setCheckable(true);
        action->setChecked(window == mdiArea_->currentSubWindow());
        connect(action, &QAction::triggered, mdiArea_, [this, w = QPointer<QMdiSubWindow>(window)] {
            if (w) mdiArea_->setActiveSubWindow(w);
        });
    }
    cascade->setEnabled(any);
    tile->setEnabled(any);
    closeAll->setEnabled(any);
}

void THostWindow::closeEvent(QCloseEvent* event)
{
    if (!Application().CloseForms()) {
        event->ignore();  // a form kept itself open
        return;
    }
    event->accept();
}
