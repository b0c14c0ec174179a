#include "modules/ate02700/model/local_emiss_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = LocalEmissFields;

std::vector<FieldDecl<F>> Layout()
{
    return {
        {&F::CDLOCALDELIV, Str(u"CDLOCALDELIV"_s, 4).Label(u"Código"_s)},
        {&F::NMLOCALDELIV, Str(u"NMLOCALDELIV"_s, 20).Label(u"Descrição"_s)},
    };
}

}  // namespace

std::vector<TFieldDef> LocalEmissFieldDefs() { return DefsOf(Layout()); }

LocalEmissFields DeclareLocalEmissFields(TClientDataSet& cds) { return DeclareAll(cds, Layout()); }

}  // namespace ate02700
