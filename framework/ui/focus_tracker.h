#pragma once
// The focus tracker: one per application, created by the first control with focus events.
// It watches QApplication::focusChanged and fires the enter and exit events of controls and
// panels by the rules written in focus_events.h. Qt moves the focus before it tells anyone,
// so a refused move is undone here by giving the focus back.

#include <QObject>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class QWidget;
class TFocusEvents;

class TFocusTracker : public QObject {
    Q_OBJECT
public:
    // Creates the tracker (a child of the application) if there is none yet.
    static TFocusTracker& Install();

    // Number of focus moves refused so far (tests and the click filter use it).
    quint64 VetoCount() const { return vetoes_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TFocusTracker(QObject* parent);

    struct Scope {
        QPointer<QWidget> last;                 // focused control of the form, as last seen
        std::vector<QPointer<QWidget>> groups;  // groups entered, outermost first
        bool busy = false;                      // handlers of a move are running
        bool movedWhileBusy = false;            // a handler moved the focus inside the form
    };

    void FocusChanged(QWidget* old, QWidget* now);
    void Move(QWidget* scopeWidget, const std::shared_ptr<Scope>& scope, QWidget* now);
    std::shared_ptr<Scope> ScopeState(QWidget* scopeWidget);
    static QWidget* ScopeOf(QWidget* widget);
    static std::vector<QPointer<QWidget>> GroupsOf(QWidget* widget, QWidget* scopeWidget);
    static TFocusEvents* EventsOf(QWidget* widget);
    bool PressRefused(QObject* window, QEvent* event);

    std::map<QWidget*, std::shared_ptr<Scope>> scopes_;
    quint64 vetoes_ = 0;
    QPointer<QObject> swallowWindow_;  // window whose next release belongs to a refused press
    Qt::MouseButton swallowButton_ = Qt::NoButton;
};
