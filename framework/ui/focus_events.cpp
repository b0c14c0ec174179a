#include "framework/ui/focus_events.h"

#include "framework/ui/focus_tracker.h"

#include <QWidget>

TFocusEvents::TFocusEvents(QWidget& widget) : widget_(widget) { TFocusTracker::Install(); }

void TFocusEvents::DoEnter()
{
    if (OnEnter) OnEnter(widget_);
}

void TFocusEvents::DoExit()
{
    if (OnExit) OnExit(widget_);
}
