#pragma once
// The application object of the host as forms and modules see it: it owns the forms, knows
// the host's main window and its MDI area, and gives the screen's size and cursor.
//
//   auto* form = Application().CreateForm<TfrmManuDelValor>();   // owned by the application
//   Screen().SetCursor(TCursor::HourGlass);
//   if (Screen().Width() == 640 && Screen().Height() == 480) ...
//   Showavi::ActiveShowAvi(Application().MainForm(), 6);
//
// Forms:
// - CreateForm<T>() makes a form the application owns. A dialog (a QDialog) is a window of
//   its own over the main window. Any other form is an MDI child of the main window's MDI
//   area, or a top-level window when the application has no MDI area (tests, tools).
// - A standard form (a TStandardForm, such as TfrmPadrao) runs its creation step once it is
//   built; when that raises, the form is destroyed and the failure reaches the caller, so no
//   half-made form is left.
// - The application keeps guarded pointers: a form that closes and frees itself simply
//   drops out of Forms(). DestroyForms() destroys every form still there (the host does it
//   before unloading the modules whose code the forms run).
//
// The one application object of the process lives in hostfw (one copy for the host and its
// modules).

#include "framework/ui/standard_form.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <type_traits>
#include <utility>
#include <vector>

class QMdiSubWindow;

class TApplicationHost : public QObject {
    Q_OBJECT
public:
    TApplicationHost();
    ~TApplicationHost() override;

    // ---- the host's main window
    // The host attaches its main window and the MDI area forms go into; both outlive the
    // attachment or are detached first. A null area means top-level forms.
    void Attach(QMainWindow* mainForm, QMdiArea* mdiArea);
    void Detach();
    QMainWindow* MainForm() const { return mainForm_; }
    QMdiArea* MdiArea() const { return mdiArea_; }

    // ---- forms
    template <class T, class... Args> T* CreateForm(Args&&... args)
    {
        static_assert(std::is_base_of_v<QWidget, T>, "a form is a widget");
        T* form = new T(std::forward<Args>(args)...);  // owned by Adopt from here on
        if constexpr (std::is_base_of_v<TStandardForm, T>)
            AdoptStandardForm(*form, *form);
        else
            Adopt(*form);
        return form;
    }
    // Takes a form made elsewhere (its parent must be null) as CreateForm does.
    void Adopt(QWidget& form);
    void AdoptStandardForm(QWidget& form, TStandardForm& standard);

    // Forms alive, in creation order.
    std::vector<QWidget*> Forms() const;
    int FormCount() const;
    // Closes every form as the operator would (their close handlers run); false when one
    // refused to close (the others stay closed).
    bool CloseForms();
    // Destroys every form still alive, at once.
    void DestroyForms();

    // The MDI window of a form, nullptr for a top-level form.
    static QMdiSubWindow* MdiWindowOf(const QWidget& form);
    // The window that frames a form: its MDI window, or the form itself.
    static QWidget& FrameOf(QWidget& form);

    // ---- activation of standard forms (used by the standard forms)
    // True when `form` becomes the active form now and was not the last one activated;
    // records it as the last activated.
    bool NoteActivated(const QWidget& form);

signals:
    void formAdded(QWidget* form);
    void formRemoved(QWidget* form);
    void lastFormGone();

private:
    void Place(QWidget& form);
    static void ActivateOnFocusOnly(QMdiSubWindow& window);
    void Track(QWidget& form);
    void Forget(QObject* form);

    QPointer<QMainWindow> mainForm_;
    QPointer<QMdiArea> mdiArea_;
    std::vector<QPointer<QWidget>> forms_;
    QPointer<const QWidget> lastActivated_;
};

// The application object of the process.
TApplicationHost& Application();

// ---- the screen
enum class TCursor { Default, HourGlass };

class TScreen {
public:
    // Size of the primary screen in pixels (0 when there is no screen).
    int Width() const;
    int Height() const;

    // The cursor of the whole application. It is a setting, not a stack: setting the
    // hourglass twice and the default once gives the default.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    TCursor cursor_ = TCursor::Default;
};

TScreen& Screen();

// Shows the hourglass for its lifetime and puts back the cursor that was set before, on
// every way out.
class TScreenCursorScope {
public:
    explicit TScreenCursorScope(TCursor cursor = TCursor::HourGlass);
    ~TScreenCursorScope();
    TScreenCursorScope(const TScreenCursorScope&) = delete;
    TScreenCursorScope& operator=(const TScreenCursorScope&) = delete;

private:
    TCursor previous_;
};
