#include "server/code_fit.h"
#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/packet_query.h"
#include "server/record_layouts.h"

namespace server::method {

// The emission places of the branch: all of them with "T", otherwise the one whose code
// matches (fitted to 4); none for an empty code.
wire::Value getLocalEmissDel(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GetLocalEmissDel"), args, 3);
    const QString branch = branchCode(a.text(0, "filial"));
    const QString code = a.text(1, "local de emissão").trimmed();
    const bool all = a.text(2, "todos").trimmed() == QLatin1String("T");

    if (all) {
        PacketQuery q(db, QStringLiteral("SELECT CDLOCALDELIV, NMLOCALDELIV FROM LOCALEMISS WHERE CDFILIAL = :F "
                                         "ORDER BY CDLOCALDELIV"));
        q.bind(QStringLiteral(":F"), branch);
        return q.packet(layout::emissionPlace());
    }
    if (code.isEmpty()) return wire::DataPacket{layout::emissionPlace(), {}};
    PacketQuery q(db, QStringLiteral("SELECT CDLOCALDELIV, NMLOCALDELIV FROM LOCALEMISS WHERE CDFILIAL = :F "
                                     "AND CDLOCALDELIV = :L"));
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":L"), fitCode(code, 4));
    return q.packet(layout::emissionPlace());
}

}  // namespace server::method
