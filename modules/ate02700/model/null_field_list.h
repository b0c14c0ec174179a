#pragma once
// The null-field list sent with every save of the services: for each field of the dataset,
// in field order, whose value in the current row is null, an underscore and the field name
// ("_QTSERFATSP_VRPRECMANUTSESP"); the empty text when no field is null.

#include <QString>

class TClientDataSet;

namespace ate02700 {

QString NullFieldList(const TClientDataSet& dataSet);

}  // namespace ate02700
