#include "framework/units/consiste.h"

#include "framework/core/exceptions.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid/tdbgrid.h"

#include <QWidget>

namespace Consiste {

void MensErro(const QString& text, bool abort)
{
    Dialogs().ShowError(text);
    if (abort) Abort();
}

void SetChildEnabled(QWidget* panel, bool enabled)
{
    if (!panel) return;
    const auto children = panel->findChildren<QWidget*>();
    for (QWidget* child : children) child->setEnabled(enabled);
}

}  // namespace Consiste

int Consiste::IndiceCol(const TDBGrid& grid, const QString& fieldName)
{
    return grid.Columns().IndexOfField(fieldName);
}
