#pragma once
// Procurar: the find dialog over a dataset.

class TClientDataSet;

namespace Procurar {

// The operator picks a column and a value; the dataset moves to the first row that shows
// the value (partial, case ignored). True when a row was found.
bool Procura(TClientDataSet& dataSet);

}  // namespace Procurar
