#pragma once
// What a screen module exports to the host that loads it at run time. A module is a shared
// library named after its screen code in lower case (module ATE02700: libate02700.so) that
// exports these plain C entries:
//
//   void Initialize();                                  load hook: the units' initialisation,
//                                                       in the order of the unit table
//   void Finalize();                                    unload hook: their finalisation, in
//                                                       the reverse order
//   void IniProc();                                     opens the module's screen
//   const TPackageInfoTable* GetPackageInfoTable();     the unit table
//
// The host calls Initialize once after loading, IniProc whenever the operator opens the
// screen, and Finalize once after the last form is gone, just before unloading. Entries are
// called on the user-interface thread; a failure they raise reaches the host's error display.

extern "C" {

// One unit of the module: its name and its initialisation and finalisation routines (either
// may be null).
struct TPackageUnitInfo {
    const char* Name;
    void (*Init)();
    void (*FInit)();
};

struct TPackageInfoTable {
    int UnitCount;
    const TPackageUnitInfo* Units;
};

using TPackageProc = void (*)();
using TGetPackageInfoTable = const TPackageInfoTable* (*)();

}  // extern "C"

// The exported names.
inline constexpr const char* kPackageInitialize = "Initialize";
inline constexpr const char* kPackageFinalize = "Finalize";
inline constexpr const char* kPackageIniProc = "IniProc";
inline constexpr const char* kPackageInfoTable = "GetPackageInfoTable";
