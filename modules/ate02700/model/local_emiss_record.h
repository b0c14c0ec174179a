#pragma once
// cdsLocalEmiss of the emission dialog: the emission places of the branch.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <vector>

namespace ate02700 {

struct LocalEmissFields {
    TField* CDLOCALDELIV = nullptr;
    TField* NMLOCALDELIV = nullptr;
};

std::vector<TFieldDef> LocalEmissFieldDefs();

// Declares the 2 fields on an inactive dataset without fields.
LocalEmissFields DeclareLocalEmissFields(TClientDataSet& cds);

}  // namespace ate02700
