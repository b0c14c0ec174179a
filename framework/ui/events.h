#pragma once
// Handler types of the controls. A form binds them with lambdas that forward to its own
// handler methods: `medCdFilial->OnExit = [this](auto& s){ medCdFilialExit(s); };`.
// Every handler is called through the event guard (guard.h); a handler refuses the action
// under way by raising (Consiste::MensErro, Abort()).

#include <QObject>

#include <functional>

// A plain event: the sender is the control that fired it.
using TNotifyEvent = std::function<void(QObject& sender)>;
