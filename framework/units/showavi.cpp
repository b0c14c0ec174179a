#include "framework/units/showavi.h"

#include "framework/ui/busy_overlay.h"

#include <QApplication>
#include <QMainWindow>

namespace Showavi {
namespace {

// The one indicator of the process. Its veil stays (hidden) on the window it last covered
// when it is hidden: adding and removing a child of a window relays out and repaints all of
// it, which a list load on every cursor move cannot afford.
struct Indicator {
    QPointer<TBusyOverlay> overlay;
    bool showing = false;
    int kind = 0;
    QString text;
};

Indicator& Current()
{
    static Indicator indicator;
    return indicator;
}

QWidget* DefaultWindow()
{
    if (QWidget* active = QApplication::activeWindow()) return active;
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* top : tops) {
        if (qobject_cast<QMainWindow*>(top) && top->isVisible()) return top;
    }
    for (QWidget* top : tops) {
        if (top->isVisible()) return top;
    }
    return nullptr;
}

// Hides the indicator; `release` also takes the veil off its window.
void Drop(Indicator& indicator, bool release)
{
    if (indicator.overlay) {
        indicator.overlay->Stop();
        if (release) {
            indicator.overlay->deleteLater();
            indicator.overlay.clear();
        }
    }
    indicator.showing = false;
    indicator.kind = 0;
    indicator.text.clear();
}

}  // namespace

void ActiveShowAvi(QWidget* form, int kind, const QString& text)
{
    Indicator& indicator = Current();
    QWidget* target = form ? form : DefaultWindow();
    if (!target) return;  // no window to cover (no user interface up yet)
    if (indicator.overlay && indicator.overlay->parentWidget() != target) Drop(indicator, true);
    if (!indicator.overlay) indicator.overlay = new TBusyOverlay(*target);  // owned by the covered window
    indicator.showing = true;
    indicator.kind = kind;
    indicator.text = kind == 6 ? QString() : text;
    indicator.overlay->SetCaption(indicator.text);
    indicator.overlay->Start();
}

void DeactiveShowAvi() { Drop(Current(), false); }

bool IsShowing()
{
    const Indicator& indicator = Current();
    return indicator.showing && !indicator.overlay.isNull();
}

QString Caption() { return IsShowing() ? Current().text : QString(); }

QWidget* Target()
{
    const Indicator& indicator = Current();
    return IsShowing() ? indicator.overlay->parentWidget() : nullptr;
}

TShowAviScope::TShowAviScope(QWidget* form, int kind, const QString& text)
{
    const Indicator& indicator = Current();
    wasShowing_ = IsShowing();
    if (wasShowing_) {
        previousTarget_ = indicator.overlay->parentWidget();
        previousKind_ = indicator.kind;
        previousText_ = indicator.text;
    }
    ActiveShowAvi(form, kind, text);
}

TShowAviScope::~TShowAviScope()
{
    if (wasShowing_ && previousTarget_)
        ActiveShowAvi(previousTarget_, previousKind_, previousText_);
    else
        DeactiveShowAvi();
}

}  // namespace Showavi
