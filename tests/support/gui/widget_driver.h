#pragma once
// Helpers for widget tests on the offscreen platform.

class QWidget;

namespace WidgetDriver {

// Shows a window and makes it the active one, so focus moves are real (focusChanged fires
// only inside the active window). False when the platform did not activate it.
bool ShowActive(QWidget& window);

// Gives the focus to a control as a click would, and lets pending events run.
void Focus(QWidget& control);

}  // namespace WidgetDriver
