#include "framework/units/larkumo.h"

namespace Larkumo {

namespace {
// The host's configuration: written once at start-up by the host, read by modules.
THostSettings& settingsStore()
{
    static THostSettings settings;
    return settings;
}
}  // namespace

void Configure(const THostSettings& settings) { settingsStore() = settings; }
const THostSettings& Settings() { return settingsStore(); }

QString WebURL() { return settingsStore().serverHost; }
int WebPort() { return settingsStore().serverPort; }
QString FiliProc() { return settingsStore().defaultBranch; }
bool ModuFili() { return settingsStore().branchFixed; }
QString Operador() { return settingsStore().operatorCode; }

QString DBPict(int kind)
{
    if (kind == 0) return settingsStore().serviceCodeMask;
    return {};
}

}  // namespace Larkumo
