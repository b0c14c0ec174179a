#include "modules/ate02700/model/lookup_query_apply.h"

#include "framework/db/adoibquery.h"

namespace ate02700 {

void ApplyLookupQuerySpec(TADOIBQuery& query, const LookupQuerySpec& spec)
{
    query.SetSQL(spec.sql);
    query.SetSQL_ORACLE(spec.sqlOracle);
    query.SetSQL_IB(spec.sqlIb);
    for (const ParamSpec& param : spec.params) query.ParamByName(param.name).SetDataType(param.type);
}

}  // namespace ate02700
