#include "server/delivery_queries.h"
#include "server/marked_deliveries.h"
#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/numbering.h"
#include "server/sql.h"
#include "server/transaction.h"

namespace server::method {

// Takes back the invoice numbers of the marked deliveries of the branch that have one (as
// stored now, whatever the packet says), records each cancellation, and answers the
// deliveries of the branch, airline and dates.
wire::Value setCancelDel(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("SetCancelDel"), args, 5);
    const wire::DataPacket packet = a.packetOrEmpty(0, "deliveries");
    const QString branch = branchCode(a.text(1, "filial"));
    const QString airline = a.text(2, "companhia");
    const QDateTime from = a.dateTime(3, "data inicial");
    const QDateTime to = a.dateTime(4, "data final");
    const std::vector<qint64> marked = markedDeliveries(packet, QStringLiteral("SetCancelDel"));

    if (!marked.empty()) {
        WriteTransaction tx(db);
        Numbering numbering(db, tx);
        const QDateTime now = wire::naive(QDateTime::currentDateTime());
        // Locked one by one in key order, as every writer does, so writers never deadlock.
        Sql read(db, QStringLiteral("SELECT CDFILIAL, NRDELIVERYFA, CDLOCALDELIV FROM DELIVERY WHERE NRDELIVERY = :D")
                         + QLatin1String(tx.forUpdate()));
        for (const qint64 delivery : marked) {
            read.bind(QStringLiteral(":D"), delivery);
            read.exec();
            if (!read.next()) continue;
            if (read.value(0).toString() != branch || read.isNull(1)) continue;
            const QString number = read.value(1).toString();
            const QString place = read.value(2).toString();
            read.query().finish();
            numbering.cancel(branch, delivery, place, number, now);
        }
        // Read before the commit: a list too large to answer refuses the cancellation too,
        // rather than reporting a failure for numbers already taken back.
        wire::DataPacket list = deliveriesPacket(db, branch, airline, from, to);
        tx.commit();
        return list;
    }
    return deliveriesPacket(db, branch, airline, from, to);
}

}  // namespace server::method
