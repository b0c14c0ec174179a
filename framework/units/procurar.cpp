#include "framework/units/procurar.h"

#include "framework/ui/dialogs.h"

namespace Procurar {

bool Procura(TClientDataSet& dataSet) { return Dialogs().FindInDataSet(dataSet); }

}  // namespace Procurar
