#pragma once
// Pesquisa: the lookup list over a data source.

#include <QString>

class TDataSource;

namespace Pesquisa {

// Shows the visible fields of the source's dataset under `title` and lets the operator pick
// a row. `allowSort`: a click on a column title sorts the list (and typing then searches
// that column); `incrementalSearch`: typing finds the first row that starts with the text.
// True when a row was picked; it is then the dataset's current row.
bool Pesquisar(TDataSource& source, const QString& title, bool allowSort, bool incrementalSearch);

}  // namespace Pesquisa
