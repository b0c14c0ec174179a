// Consiste::IndiceCol lives with the grid it inspects.

#include "framework/ui/grid/tdbgrid.h"
#include "framework/units/consiste.h"

int Consiste::IndiceCol(const TDBGrid& grid, const QString& fieldName)
{
    return grid.Columns().IndexOfField(fieldName);
}
