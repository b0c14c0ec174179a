#pragma once
// Showavi: the busy indicator shown while the module waits for the server.
//
//   Showavi::ActiveShowAvi(this, 1, msgPadrao->Msg("Cal_Preco"));   // over the form, captioned
//   Showavi::ActiveShowAvi(mainWindow, 6, QString());               // over the main window
//   ...
//   Showavi::DeactiveShowAvi();
//
// Rules:
// - There is one indicator. ActiveShowAvi while it shows changes its caption (and moves it
//   to another window when another is given).
// - DeactiveShowAvi hides it at once, however many ActiveShowAvi came before; hiding when
//   nothing shows does nothing. So a handler that shows it twice (to change the caption)
//   and hides it once, on every way out, never leaves it on screen.
// - Code that runs inside an action that already shows the indicator, and must give it
//   back as it was, uses TShowAviScope instead of the two calls.
// - A window destroyed while covered takes the indicator with it.
// - The veil appears once the wait has lasted a short grace period (a quick call shows
//   nothing and repaints nothing), and stays hidden on its window between waits.
// Kind 1 shows the caption; kind 6 shows no text. A null window means the active window.

#include <QPointer>
#include <QString>

class QWidget;

namespace Showavi {

void ActiveShowAvi(QWidget* form, int kind, const QString& text = QString());
void DeactiveShowAvi();

bool IsShowing();
QString Caption();  // empty when nothing shows
QWidget* Target();  // the covered window; nullptr when nothing shows

// Shows the indicator for its lifetime and then puts back what was showing before
// (another caption, another window, or nothing), on every way out.
class TShowAviScope {
public:
    TShowAviScope(QWidget* form, int kind, const QString& text = QString());
    ~TShowAviScope();
    TShowAviScope(const TShowAviScope&) = delete;
    TShowAviScope& operator=(const TShowAviScope&) = delete;

private:
    bool wasShowing_ = false;
    QPointer<QWidget> previousTarget_;
    int previousKind_ = 0;
    QString previousText_;
};

}  // namespace Showavi
