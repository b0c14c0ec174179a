#include "modules/ate02700/main_form/cli_ate02700.h"

#include "modules/ate02700/main_form/frm_manu_del_valor.h"

#include "framework/ui/application_host.h"

namespace Cli_ate02700 {

namespace {

constexpr std::array<const char*, 3> kAstCdCiaInitial{"0", "", ""};

std::array<QString, 3> InitialAstCdCia()
{
    return {QString::fromLatin1(kAstCdCiaInitial[0]), QString::fromLatin1(kAstCdCiaInitial[1]),
            QString::fromLatin1(kAstCdCiaInitial[2])};
}

// Puts the default cursor back on every way out, a failed creation included.
class TDefaultCursorOnExit {
public:
    TDefaultCursorOnExit() = default;
    ~TDefaultCursorOnExit() { Screen().SetCursor(TCursor::Default); }
    TDefaultCursorOnExit(const TDefaultCursorOnExit&) = delete;
    TDefaultCursorOnExit& operator=(const TDefaultCursorOnExit&) = delete;
};

}  // namespace

QPointer<TfrmManuDelValor> frmManuDelValor;
bool boIdCriado = false;
bool boPrimeiraVez = false;
std::array<QString, 3> astCdCia = InitialAstCdCia();
QString stCdAgrDeCo;

void CriaManuDelValor()
{
    Screen().SetCursor(TCursor::HourGlass);
    const TDefaultCursorOnExit restore;
    // A form destroyed behind the flag's back (the host tearing its windows down) is made
    // again rather than shown from a dangling reference.
    if (!boIdCriado || !frmManuDelValor) {
        frmManuDelValor = Application().CreateForm<TfrmManuDelValor>();
        boIdCriado = true;
    }
    frmManuDelValor->Show();
    frmManuDelValor->SetWindowState(TfrmPadrao::TWindowState::Normal);
}

void Initialization()
{
    boIdCriado = false;
    // A package finalised and initialised again without being unloaded starts from the
    // same marking state as a freshly loaded one.
    astCdCia = InitialAstCdCia();
}

void Finalization()
{
    for (QString& text : astCdCia) text = QString();
    stCdAgrDeCo = QString();
}

}  // namespace Cli_ate02700
