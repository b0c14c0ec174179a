#include "framework/ui/dataset_search.h"

#include "framework/data/clientdataset.h"

namespace DataSetSearch {

int FindRow(const TClientDataSet& dataSet, const TField& field, const QString& value, int fromRow)
{
    if (value.isEmpty() || !dataSet.Active()) return -1;
    const int count = dataSet.RecordCount();
    for (int row = fromRow < 0 ? 0 : fromRow; row < count; ++row) {
        bool match = false;
        dataSet.ReadRow(row, [&] {
            match = field.DisplayText().contains(value, Qt::CaseInsensitive)
                    || field.Text().contains(value, Qt::CaseInsensitive);
        });
        if (match) return row;
    }
    return -1;
}

}  // namespace DataSetSearch
