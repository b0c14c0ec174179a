#include "modules/ate02700/emission/cli_ate02701.h"

#include "modules/ate02700/emission/frm_rel_manu_del_valor.h"

#include "framework/ui/application_host.h"

namespace Cli_ate02701 {

QPointer<TfrmRelManuDelValor> frmRelManuDelValor;
bool boIdCriado = false;
bool boPrint = false;
bool boPreview = false;
std::array<QString, 3> astCiaVooTreRel;

void CriaRelManuDelValor()
{
    Screen().SetCursor(TCursor::HourGlass);
    try {
        if (!boIdCriado || !frmRelManuDelValor) {
            frmRelManuDelValor = Application().CreateForm<TfrmRelManuDelValor>();
            boIdCriado = true;
        }
    } catch (...) {
        Screen().SetCursor(TCursor::Default);
        throw;
    }
    // The hourglass covers the making of the dialog only: the operator works in it with the
    // ordinary cursor.
    Screen().SetCursor(TCursor::Default);
    const QPointer<TfrmRelManuDelValor> dialog = frmRelManuDelValor;
    dialog->exec();
    // The dialog frees itself after closing; until the event loop gets to it, it is still here.
    if (dialog) dialog->setWindowState(Qt::WindowNoState);
    Screen().SetCursor(TCursor::Default);
}

void Initialization() { boIdCriado = false; }

void Finalization()
{
    for (QString& text : astCiaVooTreRel) text = QString();
}

}  // namespace Cli_ate02701
