#pragma once
// Finding a row of a dataset by the text the operator sees, without moving its cursor:
// shared by the find dialog and by the scripted dialogs of the tests.

#include <QString>

class TClientDataSet;
class TField;

namespace DataSetSearch {

// The first view row, from `fromRow` on, whose field shows `value` anywhere in its display
// text or its edit text, without regard to case; -1 when there is none or `value` is empty.
int FindRow(const TClientDataSet& dataSet, const TField& field, const QString& value, int fromRow = 0);

}  // namespace DataSetSearch
