#include "framework/ui/focus_tracker.h"

#include "framework/ui/focus_events.h"
#include "framework/ui/guard.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {

// Bounds the moves processed in a row when handlers keep moving the focus.
constexpr int kMaxChainedMoves = 8;

// Qt's own rule for the widget a click gives the focus to (QApplication does the same just
// after the window has received the press).
QWidget* ClickFocusTarget(QWidget* hit, QPoint pos)
{
    for (QWidget* w = hit; w; w = w->parentWidget()) {
        const QWidget* proxy = w->focusProxy() ? w->focusProxy() : w;
        const bool takesClick = (w->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus
                                && (proxy->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus;
        if (w->isEnabled() && w->rect().contains(pos) && takesClick) return w;
        if (w->isWindow() || proxy->hasFocus()) return nullptr;
        pos += w->pos();
    }
    return nullptr;
}

QWidget* TopLevelOf(const QWindow* window)
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* top : tops) {
        if (top->windowHandle() == window) return top;
    }
    return nullptr;
}

}  // namespace

TFocusTracker& TFocusTracker::Install()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    Q_ASSERT_X(app, "TFocusTracker", "controls need a QApplication");
    if (auto* existing = app->findChild<TFocusTracker*>(QString(), Qt::FindDirectChildrenOnly)) return *existing;
    return *new TFocusTracker(app);  // owned by the application
}

TFocusTracker::TFocusTracker(QObject* parent) : QObject(parent)
{
    auto* app = static_cast<QApplication*>(parent);
    connect(app, &QApplication::focusChanged, this, &TFocusTracker::FocusChanged);
    app->installEventFilter(this);
}

QWidget* TFocusTracker::ScopeOf(QWidget* widget)
{
    QWidget* w = widget;
    while (w && !w->isWindow() && !qobject_cast<QMdiSubWindow*>(w)) w = w->parentWidget();
    return w;
}

TFocusEvents* TFocusTracker::EventsOf(QWidget* widget) { return dynamic_cast<TFocusEvents*>(widget); }

std::vector<QPointer<QWidget>> TFocusTracker::GroupsOf(QWidget* widget, QWidget* scopeWidget)
{
    std::vector<QPointer<QWidget>> groups;
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (EventsOf(w)) groups.insert(groups.begin(), QPointer<QWidget>(w));
        if (w == scopeWidget) break;
    }
    return groups;
}

std::shared_ptr<TFocusTracker::Scope> TFocusTracker::ScopeState(QWidget* scopeWidget)
{
    auto it = scopes_.find(scopeWidget);
    if (it != scopes_.end()) return it->second;
    auto scope = std::make_shared<Scope>();
    scopes_.emplace(scopeWidget, scope);
    connect(scopeWidget, &QObject::destroyed, this, [this, scopeWidget] { scopes_.erase(scopeWidget); });
    return scope;
}

void TFocusTracker::FocusChanged(QWidget* old, QWidget* now)
{
    if (!now) return;  // the application lost the focus, or the focused control vanished
    QWidget* scopeWidget = ScopeOf(now);
    if (!scopeWidget) return;
    // An MDI child's frame (the window itself or its own buttons) takes the focus for a
    // moment while it is activated, restored, maximised or minimised, and hands it on: that
    // is no move between controls of the form (an exit handler refusing it would fight the
    // frame for the focus). It counts as a move to another window, as do the moves made
    // while the window is minimised.
    if (const auto* frame = qobject_cast<QMdiSubWindow*>(scopeWidget)) {
        const QWidget* form = frame->widget();
        if (!form || (now != form && !form->isAncestorOf(now))) return;
        // Minimising hides the form's controls one by one, each passing the focus on.
        if (frame->isMinimized()) return;
    }
    // A control the window shows no more (or not yet) gets the focus only while the frame
    // hides or shows the form to change its state; the operator cannot have moved there.
    if (!now->isVisible()) return;
    const auto scope = ScopeState(scopeWidget);
    if (scope->busy) {
        if (old && ScopeOf(old) == scopeWidget) scope->movedWhileBusy = true;
        return;
    }
    Move(scopeWidget, scope, now);
}

void TFocusTracker::Move(QWidget* scopeWidget, const std::shared_ptr<Scope>& scope, QWidget* now)
{
    const QPointer<QWidget> form(scopeWidget);
    for (int chained = 0; now && chained < kMaxChainedMoves; ++chained) {
        const QPointer<QWidget> left = scope->last;
        const QPointer<QWidget> target(now);
        auto groups = GroupsOf(now, scopeWidget);
        std::size_t common = 0;
        while (common < scope->groups.size() && common < groups.size() && scope->groups[common] == groups[common])
            ++common;

        scope->busy = true;
        scope->movedWhileBusy = false;
        bool refused = false;
        // Exits, innermost first.
        while (scope->groups.size() > common) {
            const QPointer<QWidget> group = scope->groups.back();
            if (group) {
                try {
                    EventsOf(group)->DoExit();
                } catch (...) {
                    Guard::Report(std::current_exception());
                    refused = true;
                }
            }
            if (!form) return;  // a handler closed the form
            if (refused) break;
            scope->groups.pop_back();
        }

        if (refused) {
            ++vetoes_;
            QWidget* focus = scopeWidget->focusWidget();
            const bool handlerMoved = scope->movedWhileBusy || focus != target.data();
            if (!handlerMoved && left && left->isVisible() && left->isEnabled() && ScopeOf(left) == scopeWidget) {
                left->setFocus(Qt::OtherFocusReason);
                focus = left;
            }
            scope->last = focus;
            scope->groups = GroupsOf(focus, scopeWidget);
            scope->busy = false;
            return;
        }

        // Enters, outermost first.
        for (std::size_t i = common; i < groups.size(); ++i) {
            if (!groups[i]) continue;
            scope->groups.push_back(groups[i]);
            bool failed = false;
            try {
                EventsOf(groups[i])->DoEnter();
            } catch (...) {
                Guard::Report(std::current_exception());
                failed = true;
            }
            if (!form) return;
            if (failed) {
                // The focus is in the new control all the same: its groups count as
                // entered, so leaving it runs their exits (and their checks).
                scope->groups = groups;
                break;
            }
        }

        scope->busy = false;
        scope->last = target;
        QWidget* focus = scopeWidget->focusWidget();
        if (!focus || focus == target.data()) return;
        now = focus;  // a handler moved the focus: that is a move of its own
    }
    // Handlers kept moving the focus: stop firing and follow where it ended.
    if (form) {
        QWidget* focus = scopeWidget->focusWidget();
        scope->last = focus;
        scope->groups = GroupsOf(focus, scopeWidget);
    }
}

bool TFocusTracker::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: return PressRefused(watched, event);
    case QEvent::MouseButtonRelease:
        if (swallowWindow_ && watched == swallowWindow_.data()
            && static_cast<QMouseEvent*>(event)->button() == swallowButton_) {
            swallowWindow_.clear();
            return true;
        }
        return false;
    default: return false;
    }
}

// The press reaches the window before QApplication gives the focus to the clicked control;
// giving it here first lets a refused move swallow the press.
bool TFocusTracker::PressRefused(QObject* watched, QEvent* event)
{
    if (!watched->isWindowType() || QApplication::activePopupWidget()) return false;
    auto* window = static_cast<QWindow*>(watched);
    if (!window->isActive()) return false;
    QWidget* top = TopLevelOf(window);
    if (!top) return false;
    const auto* press = static_cast<QMouseEvent*>(event);
    const QPoint pos = press->position().toPoint();
    QWidget* hit = top->childAt(pos);
    if (!hit) hit = top;
    QWidget* target = ClickFocusTarget(hit, hit->mapFrom(top, pos));
    if (!target || target == QApplication::focusWidget()
        || (target->focusProxy() && target->focusProxy() == QApplication::focusWidget()))
        return false;
    const quint64 before = vetoes_;
    target->setFocus(Qt::MouseFocusReason);
    if (vetoes_ == before) return false;
    swallowWindow_ = watched;
    swallowButton_ = press->button();
    return true;
}
