#pragma once
// cdsCalcPreco: the prices the server calculates for a service row (one row); copied into the
// service row's fields of the same names.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <vector>

namespace ate02700 {

struct CalcPrecoFields {
    TField* VRPRURESESP = nullptr;
    TField* VRPRUDOLSESP = nullptr;
    TField* VRPRUSBYSP = nullptr;
};

std::vector<TFieldDef> CalcPrecoFieldDefs();

// Declares the 3 fields on an inactive dataset without fields.
CalcPrecoFields DeclareCalcPrecoFields(TClientDataSet& cds);

}  // namespace ate02700
