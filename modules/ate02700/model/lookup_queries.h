#pragma once
// The three read-only lookups of the main form on the host's shared database connection:
// branches (qryFilial), airlines of a branch (qryCompanhia) and the service classes of an
// airline (qryAgrDeDe). Lookups are exact and case-sensitive.

#include "modules/ate02700/model/lookup_query_spec.h"

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

namespace ate02700 {

struct QryFilialFields {
    TField* CDFILIAL = nullptr;
    TField* NMFILIAL = nullptr;
};

// Every airline of the branch when P_TSGCIA is "T"; the one airline whose short code is
// P_SGCIA when P_TSGCIA is empty. CDCIA of the current row is the code sent to the server.
struct QryCompanhiaFields {
    TField* SGCIA = nullptr;
    TField* NMCIA = nullptr;
    TField* CDCIA = nullptr;
};

// The classes of airline CDCIA at branch CDFILIAL; a null SGCLASSE lists them all.
struct QryAgrDeDeFields {
    TField* CDCLASSE = nullptr;
    TField* SGCLASSE = nullptr;
    TField* DSCLASSECIA = nullptr;
};

LookupQuerySpec QryFilialSpec();
LookupQuerySpec QryCompanhiaSpec();
LookupQuerySpec QryAgrDeDeSpec();

// Declare the spec's result fields on an inactive query without fields (the query component
// is a client dataset) and give the form its typed pointers.
QryFilialFields DeclareQryFilialFields(TClientDataSet& qry);
QryCompanhiaFields DeclareQryCompanhiaFields(TClientDataSet& qry);
QryAgrDeDeFields DeclareQryAgrDeDeFields(TClientDataSet& qry);

}  // namespace ate02700
