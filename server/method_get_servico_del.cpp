#include "server/delivery_queries.h"
#include "server/method_args.h"
#include "server/method_impl.h"

namespace server::method {

wire::Value getServicoDel(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GetServicoDel"), args, 2);
    const QString branch = branchCode(a.text(0, "filial"));
    const qint64 delivery = a.key(1, "delivery", true);
    return servicesPacket(db, branch, delivery);
}

}  // namespace server::method
