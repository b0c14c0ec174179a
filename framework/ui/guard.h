#pragma once
// The event guard: the one door through which the toolkit enters framework or module code
// (an event, a key, a click, a timer).
//
// - A silent abort (EAbort) ends the entry quietly.
// - Any other failure (Exception, std::exception, anything thrown) is shown once, through
//   Dialogs().ShowError, with the failure's own text.
// - Nothing escapes: the event loop never sees an exception.
//
// Controls call their handlers through Guard::Run (or Guard::Fire). Handlers that run
// because code changed a control (SetText firing OnChange) are not a toolkit entry: the
// control catches their failure and raises it again in the caller (see TEdit::SetText).

#include "framework/ui/events.h"

#include <QString>

#include <exception>
#include <functional>
#include <optional>

namespace Guard {

// Runs an entry; true when it completed, false when it raised (after showing the failure,
// unless it was a silent abort).
bool Run(const std::function<void()>& action) noexcept;

// Runs a bound notify handler with its sender; an unbound handler completes at once.
bool Fire(const TNotifyEvent& handler, QObject& sender) noexcept;

// Shows a failure caught elsewhere exactly as Run would (nothing for a silent abort).
void Report(std::exception_ptr failure) noexcept;

// The text an operator sees for a failure; nothing for a silent abort.
std::optional<QString> FailureText(std::exception_ptr failure);

}  // namespace Guard
