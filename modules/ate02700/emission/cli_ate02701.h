#pragma once
// Unit Cli_ate02701: the emission dialog's unit. Its module variables are exported by the
// package under these names and live as long as the loaded module.

#include "modules/ate02700/package/module_export.h"

#include <QPointer>
#include <QString>

#include <array>

class TfrmRelManuDelValor;

namespace Cli_ate02701 {

// The emission dialog while it exists (it clears itself when the dialog is destroyed).
extern ATE02700_EXPORT QPointer<TfrmRelManuDelValor> frmRelManuDelValor;
// True while a dialog exists: set when it is made, cleared when it closes and when the unit
// is initialised.
extern ATE02700_EXPORT bool boIdCriado;
// Cleared when printing starts.
extern ATE02700_EXPORT bool boPrint;
extern ATE02700_EXPORT bool boPreview;
extern ATE02700_EXPORT std::array<QString, 3> astCiaVooTreRel;

// Creates the dialog when none exists, shows it modally and returns once it has closed.
void CriaRelManuDelValor();

void Initialization();
void Finalization();

}  // namespace Cli_ate02701
