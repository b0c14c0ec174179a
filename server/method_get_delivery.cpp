#include "server/delivery_queries.h"
#include "server/method_args.h"
#include "server/method_impl.h"

namespace server::method {

wire::Value getDelivery(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GetDelivery"), args, 4);
    const QString branch = branchCode(a.text(0, "filial"));
    const QString airline = a.text(1, "companhia");
    const QDateTime from = a.dateTime(2, "data inicial");
    const QDateTime to = a.dateTime(3, "data final");
    return deliveriesPacket(db, branch, airline, from, to);
}

}  // namespace server::method
