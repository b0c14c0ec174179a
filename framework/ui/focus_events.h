#pragma once
// Enter and exit events of controls and panels, and the rules of focus vetoes.
//
// A widget that derives from TFocusEvents (edits, panels, the grid) has OnEnter and OnExit.
// The rules, applied by the focus tracker to every focus change inside one form:
//
// 1. Scope. Events fire only for focus moves inside one form: a top-level window or an MDI
//    child window. Moving to another window (a message box, a modal dialog, another MDI
//    child) fires nothing; coming back fires the events of the move from the control that
//    was focused in that form when it was left.
// 2. Groups. A control with events counts as a group of itself; a panel as the group of
//    all its children. When the focus moves from A to B, the groups that hold A but not B
//    are exited, innermost first, then the groups that hold B but not A are entered,
//    outermost first. Moving between two children of one panel fires nothing for the panel.
// 3. Veto. An exit handler that raises refuses the move: its failure is shown through the
//    event guard (nothing for a silent abort), the remaining exits and all enters are
//    skipped, and the focus stays where the handler put it: if the handler moved the focus
//    before raising, the focus stays there; otherwise it returns to the control that was
//    left. A mouse press whose focus move was refused is swallowed, so a clicked button
//    does not click.
// 4. No recursion. While the handlers of one move run (and while the focus is restored),
//    further focus moves in that form fire no events; a move made by a handler that
//    completed is processed after it, as a move of its own.
// 5. Enter handlers may fail too: the failure is shown and the remaining enters skipped;
//    the focus is not moved back, and the groups of the focused control count as entered
//    (leaving it later runs all their exits).
// The rules apply to moves made by code (SetFocus) as well as by the operator.

#include "framework/ui/events.h"

class QWidget;

class TFocusEvents {
public:
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    TFocusEvents(const TFocusEvents&) = delete;
    TFocusEvents& operator=(const TFocusEvents&) = delete;

    QWidget& FocusEventsWidget() const { return widget_; }

protected:
    // `widget` is the control itself (the most derived object also derives from QWidget).
    explicit TFocusEvents(QWidget& widget);
    virtual ~TFocusEvents() = default;

    // Called by the focus tracker. They run OnEnter/OnExit with the widget as the sender;
    // controls that check their own input on exit (masked edits) extend DoExit. Raising
    // from DoExit refuses the focus move.
    virtual void DoEnter();
    virtual void DoExit();

private:
    friend class TFocusTracker;
    QWidget& widget_;
};
