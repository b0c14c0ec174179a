#include "modules/ate02700/model/null_field_list.h"

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

namespace ate02700 {

QString NullFieldList(const TClientDataSet& dataSet)
{
    QString list;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField& field = dataSet.Fields(i);
        if (field.IsNull()) list += QLatin1Char('_') + field.FieldName();
    }
    return list;
}

}  // namespace ate02700
