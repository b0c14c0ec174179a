#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/packet_query.h"
#include "server/record_layouts.h"

namespace server::method {

// The branch's parameters for valued deliveries, with the branch's own IDALTERDELIV or, when
// it has none, the general one; no row for a branch that does not exist.
wire::Value getParamComis(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GetParamComis"), args, 1);
    const QString branch = branchCode(a.text(0, "filial"));
    PacketQuery q(
        db, QStringLiteral(
                "SELECT COALESCE(P.IDUTDELVALO, 'N'), "
                "COALESCE(P.IDALTERDELIV, (SELECT G.IDALTERDELIV FROM PARAMGERAL G WHERE G.CDPARAMGERAL = 1), 'S'), "
                "COALESCE(P.IDINTATEPCP, 'N') "
                "FROM FILIAL F LEFT JOIN PARAMCOMIS P ON P.CDFILIAL = F.CDFILIAL "
                "WHERE F.CDFILIAL = :F"));
    q.bind(QStringLiteral(":F"), branch);
    return q.packet(layout::branchParams());
}

}  // namespace server::method
