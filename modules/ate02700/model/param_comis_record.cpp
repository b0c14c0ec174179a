#include "modules/ate02700/model/param_comis_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = ParamComisFields;

std::vector<FieldDecl<F>> Layout()
{
    return {
        {&F::IDUTDELVALO, Str(u"IDUTDELVALO"_s, 1)},
        {&F::IDALTERDELIV, Str(u"IDALTERDELIV"_s, 1).Origin(u"PARAMGERAL.IDALTERDELIV"_s)},
        {&F::IDINTATEPCP, Str(u"IDINTATEPCP"_s, 1).Origin(u"DBLARKUMO.PARAMCOMIS.IDINTATEPCP"_s)},
    };
}

}  // namespace

std::vector<TFieldDef> ParamComisFieldDefs() { return DefsOf(Layout()); }

ParamComisFields DeclareParamComisFields(TClientDataSet& cds) { return DeclareAll(cds, Layout()); }

}  // namespace ate02700
