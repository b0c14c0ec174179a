#include "framework/units/pesquisa.h"

#include "framework/ui/dialogs.h"

namespace Pesquisa {

bool Pesquisar(TDataSource& source, const QString& title, bool allowSort, bool incrementalSearch)
{
    TChooseRowOptions options;
    options.AllowSort = allowSort;
    options.IncrementalSearch = incrementalSearch;
    return Dialogs().ChooseRow(source, title, options);
}

}  // namespace Pesquisa
