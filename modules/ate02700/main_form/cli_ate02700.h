#pragma once
// Unit Cli_ate02700: the main form's unit. Its module variables are exported by the package
// under these names and live as long as the loaded module.

#include "modules/ate02700/package/module_export.h"

#include <QPointer>
#include <QString>

#include <array>

class TfrmManuDelValor;

namespace Cli_ate02700 {

// The one main form; null when none exists (it clears itself when the form is destroyed).
extern ATE02700_EXPORT QPointer<TfrmManuDelValor> frmManuDelValor;
// True while a main form exists: set once the form is made, cleared when it closes and when
// the unit is initialised.
extern ATE02700_EXPORT bool boIdCriado;
// True between the creation of a form and its first activation.
extern ATE02700_EXPORT bool boPrimeiraVez;
// Marking state of the delivery list: [0] the mark-all count as decimal text, [1] CDCIA and
// [2] NMCIA of the airline whose deliveries the mark-all command marks.
extern ATE02700_EXPORT std::array<QString, 3> astCdCia;
// Class grouping (CDAGRDECO) of the service row that was current when an insert began.
extern ATE02700_EXPORT QString stCdAgrDeCo;

// Creates the main form when none exists and shows it, restored to its normal size. A second
// call brings the same window forward.
void CriaManuDelValor();

// The unit's initialisation and finalisation, run by the package entry.
void Initialization();
void Finalization();

}  // namespace Cli_ate02700
