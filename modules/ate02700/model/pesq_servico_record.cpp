#include "modules/ate02700/model/pesq_servico_record.h"

#include "modules/ate02700/model/field_builder.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

namespace {

using namespace detail;
using F = PesqServicoFields;

std::vector<FieldDecl<F>> Layout()
{
    return {
        {&F::CDARVSERV, Str(u"CDARVSERV"_s, 20).Label(u"Código"_s)},
        {&F::CDSERVICO, Str(u"CDSERVICO"_s, 10).Width(13).Hidden()},
        {&F::DSSERVICO, Str(u"DSSERVICO"_s, 50).Label(u"Descrição"_s)},
        {&F::SGUNIDADE, Str(u"SGUNIDADE"_s, 10).Label(u"Unid."_s).Width(6)},
        {&F::IDSERVICO, Str(u"IDSERVICO"_s, 1).Hidden()},
        {&F::IDSERVESP, Str(u"IDSERVESP"_s, 1).Hidden()},
        {&F::VRPESOSE, Flt(u"VRPESOSE"_s).Hidden()},
        {&F::IDFATSE, Str(u"IDFATSE"_s, 1).Hidden()},
        {&F::IDTIPMANUAL, Str(u"IDTIPMANUAL"_s, 1).Label(u"Nacionalidade"_s).Hidden()},
        {&F::SGCLASSE, Str(u"SGCLASSE"_s, 5).Label(u"Classe"_s)},
        {&F::IDCICLO, Str(u"IDCICLO"_s, 10).Label(u"Ciclo"_s)},
    };
}

}  // namespace

std::vector<TFieldDef> PesqServicoFieldDefs() { return DefsOf(Layout()); }

PesqServicoFields DeclarePesqServicoFields(TClientDataSet& cds) { return DeclareAll(cds, Layout()); }

}  // namespace ate02700
