#pragma once
// Unit Pkg_ate02700: the package entry of module ATE02700 (see framework/ui/package_info.h
// for the contract with the host).
//
// The unit table lists the units of the package with their initialisation and finalisation
// routines, in initialisation order: the package unit itself, the emission dialog's unit
// Cli_ate02701 and, last, the main form's unit Cli_ate02700. Initialize loads the resource
// module for the user's language (when one is next to the library) and then runs the
// initialisations in table order; Finalize runs the finalisations in the reverse order and
// then releases the resource module.

#include "framework/ui/package_info.h"
#include "modules/ate02700/package/module_export.h"

extern "C" {

ATE02700_EXPORT void IniProc();
ATE02700_EXPORT void Initialize();
ATE02700_EXPORT void Finalize();
ATE02700_EXPORT const TPackageInfoTable* GetPackageInfoTable();

}  // extern "C"
