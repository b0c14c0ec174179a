#include "modules/ate02700/package/pkg_ate02700.h"

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/package/resource_module.h"

#include <array>

namespace {

// In initialisation order; the main form's unit comes last, so it is initialised last and
// finalised first.
constexpr std::array<TPackageUnitInfo, 3> kUnits{{
    {"Pkg_ate02700", nullptr, nullptr},
    {"Cli_ate02701", &Cli_ate02701::Initialization, &Cli_ate02701::Finalization},
    {"Cli_ate02700", &Cli_ate02700::Initialization, &Cli_ate02700::Finalization},
}};

constexpr TPackageInfoTable kPackageInfo{static_cast<int>(kUnits.size()), kUnits.data()};

// The package's own state between Initialize and Finalize.
struct PackageState {
    Pkg_ate02700::TResourceModule resources;
    bool initialized = false;
};

PackageState& State()
{
    static PackageState state;
    return state;
}

}  // namespace

extern "C" {

void IniProc() { Cli_ate02700::CriaManuDelValor(); }

void Initialize()
{
    PackageState& state = State();
    if (state.initialized) return;
    state.resources.LoadForModule();
    state.initialized = true;
    for (const TPackageUnitInfo& unit : kUnits) {
        if (unit.Init) unit.Init();
    }
}

void Finalize()
{
    PackageState& state = State();
    if (!state.initialized) return;
    state.initialized = false;
    for (auto unit = kUnits.rbegin(); unit != kUnits.rend(); ++unit) {
        if (unit->FInit) unit->FInit();
    }
    state.resources.Release();
}

const TPackageInfoTable* GetPackageInfoTable() { return &kPackageInfo; }

}  // extern "C"
