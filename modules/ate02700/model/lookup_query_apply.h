#pragma once
// Puts a lookup described as data on the query component that runs it.

#include "modules/ate02700/model/lookup_query_spec.h"

class TADOIBQuery;

namespace ate02700 {

// Sets the generic and dialect texts and the declared parameter types of an inactive query.
// The result fields are declared separately (DeclareQry...Fields) so the form gets its typed
// pointers. A parameter the texts do not use raises EDatabaseError.
void ApplyLookupQuerySpec(TADOIBQuery& query, const LookupQuerySpec& spec);

}  // namespace ate02700
