#pragma once
// cdsParamComis: the branch parameters (one row) that say whether the branch may use valued
// deliveries and whether service rows may be added.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <vector>

namespace ate02700 {

struct ParamComisFields {
    TField* IDUTDELVALO = nullptr;
    TField* IDALTERDELIV = nullptr;
    TField* IDINTATEPCP = nullptr;  // carried in the packet, read by no handler
};

std::vector<TFieldDef> ParamComisFieldDefs();

// Declares the 3 fields, with their provider origins, on an inactive dataset without fields.
ParamComisFields DeclareParamComisFields(TClientDataSet& cds);

}  // namespace ate02700
