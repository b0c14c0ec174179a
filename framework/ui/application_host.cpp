#include "framework/ui/application_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

#include <algorithm>
#include <memory>

TApplicationHost::TApplicationHost() = default;

TApplicationHost::~TApplicationHost()
{
    // Widgets can only go while the application object exists; the host destroys its forms
    // before it ends, so this only covers a program that forgot to.
    if (QCoreApplication::instance()) DestroyForms();
}

void TApplicationHost::Attach(QMainWindow* mainForm, QMdiArea* mdiArea)
{
    mainForm_ = mainForm;
    mdiArea_ = mdiArea;
}

void TApplicationHost::Detach()
{
    mainForm_.clear();
    mdiArea_.clear();
}

void TApplicationHost::Adopt(QWidget& form)
{
    Place(form);
    Track(form);
    if (MdiWindowOf(form)) FrameOf(form).show();
}

void TApplicationHost::AdoptStandardForm(QWidget& form, TStandardForm& standard)
{
    Place(form);
    Track(form);
    try {
        standard.RunCreate();
    } catch (...) {
        // A form whose creation failed is not left behind half made.
        QWidget* frame = &FrameOf(form);
        delete frame;
        throw;
    }
    if (MdiWindowOf(form)) FrameOf(form).show();  // MDI children are visible once made
}

void TApplicationHost::Place(QWidget& form)
{
    if (qobject_cast<QDialog*>(&form)) {
        // A dialog stays a window of its own, centred over the main window.
        if (mainForm_) form.setParent(mainForm_, form.windowFlags() | Qt::Dialog);
        return;
    }
    if (!mdiArea_) return;  // a top-level form
    // The MDI window is made here (not by addSubWindow) so that closing it does not delete
    // it behind the form's back: the form decides in its close handler.
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWidget(&form);
    window->setWindowIcon(form.windowIcon());
    mdiArea_->addSubWindow(window);
    ActivateOnFocusOnly(*window);
    if (const auto* standard = dynamic_cast<const TStandardForm*>(&form);
        standard && standard->DesignedSize().isValid())
        window->resize(standard->DesignedSize());
}

void TApplicationHost::ActivateOnFocusOnly(QMdiSubWindow& window)
{
    // Qt's MDI window follows every focus move and draws its title bar and border again each
    // time a control of its form gets the focus, although they only change when the window
    // becomes active; drawing them through the style cost as much as the rest of a move
    // between two edits. A move between controls of the active window is left out; every
    // other move is handled by the window as before.
    const bool replaced = QObject::disconnect(qApp, SIGNAL(focusChanged(QWidget*, QWidget*)), &window,
                                              SLOT(_q_processFocusChanged(QWidget*, QWidget*)));
    if (!replaced) return;  // another Qt: its own handling stays
    connect(qApp, &QApplication::focusChanged, &window, [&window](QWidget* old, QWidget* now) {
        const QMdiArea* area = window.mdiArea();
        if (now && now != &window && window.isAncestorOf(now) && area && area->activeSubWindow() == &window) return;
        QMetaObject::invokeMethod(&window, "_q_processFocusChanged", Qt::DirectConnection, Q_ARG(QWidget*, old),
                                  Q_ARG(QWidget*, now));
    });
}

void TApplicationHost::Track(QWidget& form)
{
    forms_.emplace_back(&form);
    connect(&form, &QObject::destroyed, this, &TApplicationHost::Forget);
    emit formAdded(&form);
}

void TApplicationHost::Forget(QObject* form)
{
    const auto alive = std::remove_if(forms_.begin(), forms_.end(),
                                      [form](const QPointer<QWidget>& f) { return f.isNull() || f.data() == form; });
    forms_.erase(alive, forms_.end());
    emit formRemoved(static_cast<QWidget*>(form));
    if (forms_.empty()) emit lastFormGone();
}

std::vector<QWidget*> TApplicationHost::Forms() const
{
    std::vector<QWidget*> result;
    for (const auto& form : forms_) {
        if (form) result.push_back(form.data());
    }
    return result;
}

int TApplicationHost::FormCount() const { return static_cast<int>(Forms().size()); }

bool TApplicationHost::CloseForms()
{
    bool all = true;
    for (QWidget* form : Forms()) {
        QPointer<QWidget> guard(form);
        bool closed = false;
        if (auto* standard = dynamic_cast<TStandardForm*>(form))
            closed = standard->Close();
        else
            closed = FrameOf(*form).close();
        if (guard && !closed) all = false;
    }
    return all;
}

void TApplicationHost::DestroyForms()
{
    // Newest first: a form may refer to the one that opened it.
    std::vector<QPointer<QWidget>> forms(forms_.rbegin(), forms_.rend());
    for (const QPointer<QWidget>& form : forms) {
        if (!form) continue;
        QWidget* frame = &FrameOf(*form);
        delete frame;
    }
    forms_.clear();
}

QMdiSubWindow* TApplicationHost::MdiWindowOf(const QWidget& form)
{
    return qobject_cast<QMdiSubWindow*>(form.parentWidget());
}

QWidget& TApplicationHost::FrameOf(QWidget& form)
{
    if (QMdiSubWindow* window = MdiWindowOf(form)) return *window;
    return form;
}

bool TApplicationHost::NoteActivated(const QWidget& form)
{
    if (lastActivated_.data() == &form) return false;
    lastActivated_ = &form;
    return true;
}

TApplicationHost& Application()
{
    static TApplicationHost host;
    return host;
}

// ---------------------------------------------------------------- screen

int TScreen::Width() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

int TScreen::Height() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_) return;
    cursor_ = cursor;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (cursor == TCursor::HourGlass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}

TScreenCursorScope::TScreenCursorScope(TCursor cursor) : previous_(Screen().Cursor()) { Screen().SetCursor(cursor); }

TScreenCursorScope::~TScreenCursorScope() { Screen().SetCursor(previous_); }
