#pragma once
// The host's main window: an MDI area for the modules' forms, the menu "Módulos" (the
// modules installed in the modules folder; choosing one opens it), "Janela" (cascade, tile,
// close all, the open windows) and "Sair", and a status line with the connection settings.
// Closing it closes every form first (their close handlers run); a form that refuses keeps
// the host open.

#include <QMainWindow>

class QMdiArea;
class QMenu;
class TModuleLoader;
struct THostConfig;

class THostWindow : public QMainWindow {
    Q_OBJECT
public:
    THostWindow(TModuleLoader& loader, const THostConfig& config);
    ~THostWindow() override;

    QMdiArea& MdiArea() const { return *mdiArea_; }
    QMenu& ModulesMenu() const { return *modulesMenu_; }
    QMenu& WindowMenu() const { return *windowMenu_; }

    // Opens a module as its menu entry does: a failure is shown in the error box; the
    // screen cursor is back to normal afterwards whatever happened. True when it opened.
    bool OpenModule(const QString& module);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillModulesMenu();
    void FillWindowMenu();

    TModuleLoader& loader_;
    QMdiArea* mdiArea_;
    QMenu* modulesMenu_;
    QMenu* windowMenu_;
};
