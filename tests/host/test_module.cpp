// A module library for the loader's tests. It exports the module entries (one variant lacks
// IniProc, one fails in its load hook) and writes each call, one line per call, to the file
// named by ATE_TESTMOD_LOG.

#include "framework/ui/package_info.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

void Log(const char* what)
{
    const char* path = std::getenv("ATE_TESTMOD_LOG");
    if (!path) return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s %s\n", TESTMOD_NAME, what);
        std::fclose(file);
    }
}

// A failure whose code lives in this library, as a module's own exception would.
struct UnitFailure : std::exception {
    const char* what() const noexcept override { return "falha ao iniciar a unidade Tst_Dados"; }
};

void InitDados() { Log("init Tst_Dados"); }
void FinitDados() { Log("finit Tst_Dados"); }
void InitTela() { Log("init Tst_Tela"); }
void FinitTela() { Log("finit Tst_Tela"); }

const TPackageUnitInfo kUnits[] = {
    {"Tst_Dados", InitDados, FinitDados},
    {"Tst_Tela", InitTela, FinitTela},
};
const TPackageInfoTable kTable = {2, kUnits};

}  // namespace

extern "C" {

const TPackageInfoTable* GetPackageInfoTable() { return &kTable; }

void Initialize()
{
    Log("Initialize");
#ifdef TESTMOD_FAILING_INITIALIZE
    throw UnitFailure();
#else
    for (const TPackageUnitInfo& unit : kUnits) unit.Init();
#endif
}

void Finalize()
{
    Log("Finalize");
    for (int i = kTable.UnitCount - 1; i >= 0; --i) kUnits[i].FInit();
}

#ifndef TESTMOD_NO_INIPROC
void IniProc() { Log("IniProc"); }
#endif

}  // extern "C"
