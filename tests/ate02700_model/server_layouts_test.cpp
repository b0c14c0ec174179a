// The application server answers with packets the module's datasets must accept: a packet
// lacking a declared field, or carrying it with another type, is refused at load. Each record
// layout is compared with the server's own, name, type and string size, in order.

#include "modules/ate02700/model/calc_preco_record.h"
#include "modules/ate02700/model/delivery_record.h"
#include "modules/ate02700/model/local_emiss_record.h"
#include "modules/ate02700/model/param_comis_record.h"
#include "modules/ate02700/model/pesq_servico_record.h"
#include "modules/ate02700/model/servico_del_record.h"
#include "server/record_layouts.h"

#include "tests/ate02700_model/qstring_printer.h"

#include <gtest/gtest.h>

using namespace ate02700;

namespace {

void ExpectSameLayout(const std::vector<TFieldDef>& client, const std::vector<wire::FieldDef>& server)
{
    ASSERT_EQ(client.size(), server.size());
    for (size_t i = 0; i < client.size(); ++i) {
        SCOPED_TRACE(client[i].Name.toStdString());
        EXPECT_EQ(client[i].Name, server[i].name);
        EXPECT_EQ(client[i].DataType, server[i].type);
        if (client[i].DataType == TFieldType::String) {
            EXPECT_EQ(client[i].Size, server[i].size);
        }
    }
}

}  // namespace

TEST(ServerLayouts, EveryPacketMatchesItsDataset)
{
    ExpectSameLayout(DeliveryFieldDefs(), server::layout::delivery());
    ExpectSameLayout(ServicoDelFieldDefs(), server::layout::service());
    ExpectSameLayout(PesqServicoFieldDefs(), server::layout::serviceSearch());
    ExpectSameLayout(ParamComisFieldDefs(), server::layout::branchParams());
    ExpectSameLayout(CalcPrecoFieldDefs(), server::layout::prices());
    ExpectSameLayout(LocalEmissFieldDefs(), server::layout::emissionPlace());
}
