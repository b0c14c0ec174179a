#pragma once
// Consiste: the checks and helpers forms share. This header brings the whole unit: the text
// helpers (Ajusta, EmptyString, RoundDec), the server result check (CheckResultServ) and
// the parts that reach the operator or the controls.

#include "framework/units/core/check_result.h"
#include "framework/units/core/consiste_text.h"

#include <QString>

class QWidget;
class TDBGrid;

namespace Consiste {

// Shows `text` as an error through the dialogs service; then, when `abort` is true, raises
// the silent abort, so the action under way stops without a second message.
void MensErro(const QString& text, bool abort);

// Enables or disables every control inside `panel`, at any depth (the panel itself is left
// as it is).
void SetChildEnabled(QWidget* panel, bool enabled);

// The index of the grid column that shows the field `fieldName` (case-insensitive); negative
// when no column shows it.
int IndiceCol(const TDBGrid& grid, const QString& fieldName);

}  // namespace Consiste
