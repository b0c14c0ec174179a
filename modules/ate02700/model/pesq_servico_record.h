#pragma once
// cdsPesqServico: the candidate services offered by the service lookup, copied into a
// service row when the operator chooses one.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <vector>

namespace ate02700 {

// The persistent fields of cdsPesqServico, in field order.
struct PesqServicoFields {
    TField* CDARVSERV = nullptr;
    TField* CDSERVICO = nullptr;
    TField* DSSERVICO = nullptr;
    TField* SGUNIDADE = nullptr;
    TField* IDSERVICO = nullptr;
    TField* IDSERVESP = nullptr;
    TField* VRPESOSE = nullptr;
    TField* IDFATSE = nullptr;
    TField* IDTIPMANUAL = nullptr;
    TField* SGCLASSE = nullptr;
    TField* IDCICLO = nullptr;
};

std::vector<TFieldDef> PesqServicoFieldDefs();

// Declares the 11 fields on an inactive dataset without fields. The edit mask of CDARVSERV
// is set by the form from the host's configuration.
PesqServicoFields DeclarePesqServicoFields(TClientDataSet& cds);

}  // namespace ate02700
