#include "modules/ate02700/model/calc_preco_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = CalcPrecoFields;

std::vector<FieldDecl<F>> Layout()
{
    return {
        {&F::VRPRURESESP, Flt(u"VRPRURESESP"_s)},
        {&F::VRPRUDOLSESP, Flt(u"VRPRUDOLSESP"_s)},
        {&F::VRPRUSBYSP, Flt(u"VRPRUSBYSP"_s)},
    };
}

}  // namespace

std::vector<TFieldDef> CalcPrecoFieldDefs() { return DefsOf(Layout()); }

CalcPrecoFields DeclareCalcPrecoFields(TClientDataSet& cds) { return DeclareAll(cds, Layout()); }

}  // namespace ate02700
