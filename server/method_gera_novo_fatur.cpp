#include "server/code_fit.h"
#include "server/marked_deliveries.h"
#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/numbering.h"
#include "server/sql.h"
#include "server/transaction.h"

namespace server::method {

namespace {

// Only a branch set up for valued deliveries numbers them.
void requireValuedDeliveries(Database& db, const QString& branch)
{
    Sql q(db, QStringLiteral("SELECT IDUTDELVALO FROM PARAMCOMIS WHERE CDFILIAL = :F"));
    q.bind(QStringLiteral(":F"), branch);
    q.exec();
    const bool valued = q.next() && q.value(0).toString() == QLatin1String("S");
    q.finish();
    if (!valued)
        throw ServerFailure(QStringLiteral("A filial %1 não utiliza delivery valorizada: suas deliveries não podem "
                                           "ser numeradas.")
                                .arg(branch));
}

}  // namespace

// Gives invoice numbers of the place to the marked deliveries that have none, in NRDELIVERY
// order; all or nothing ("Numeracao" when the ranges cannot cover them). Answers true.
wire::Value geraNovoFatur(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GeraNovoFatur"), args, 2);
    const wire::DataPacket packet = a.packetOrEmpty(0, "deliveries");
    const QString placeTyped = a.text(1, "local de emissão").trimmed();
    const std::vector<qint64> marked = markedDeliveries(packet, QStringLiteral("GeraNovoFatur"));
    if (marked.empty()) return wire::Value(true);
    if (placeTyped.isEmpty()) throw ServerFailure(QStringLiteral("Tipo de emissão deve ser informado."));
    const QString place = fitCode(placeTyped, 4);

    // The branch is the deliveries' own, as stored.
    QString branch;
    {
        Sql q(db, QStringLiteral("SELECT CDFILIAL FROM DELIVERY WHERE NRDELIVERY = :D"));
        for (const qint64 delivery : marked) {
            q.bind(QStringLiteral(":D"), delivery);
            q.exec();
            if (!q.next()) throw ServerFailure(QStringLiteral("Delivery %1 não cadastrada.").arg(delivery));
            const QString own = q.value(0).toString();
            q.query().finish();
            if (!branch.isEmpty() && own != branch)
                throw ServerFailure(QStringLiteral("As deliveries marcadas devem ser de uma mesma filial."));
            branch = own;
        }
    }

    requireValuedDeliveries(db, branch);

    WriteTransaction tx(db);
    Numbering numbering(db, tx);
    numbering.lockPlace(branch, place);  // the place first, then the deliveries: one lock order
    std::vector<qint64> toNumber;
    {
        Sql q(db, QStringLiteral("SELECT CDFILIAL, NRDELIVERYFA FROM DELIVERY WHERE NRDELIVERY = :D")
                      + QLatin1String(tx.forUpdate()));
        for (const qint64 delivery : marked) {
            q.bind(QStringLiteral(":D"), delivery);
            q.exec();
            if (!q.next()) throw ServerFailure(QStringLiteral("Delivery %1 não cadastrada.").arg(delivery));
            if (q.value(0).toString() != branch)
                throw ServerFailure(QStringLiteral("As deliveries marcadas devem ser de uma mesma filial."));
            if (q.isNull(1)) toNumber.push_back(delivery);
            q.query().finish();
        }
    }
    numbering.give(toNumber, wire::naive(QDateTime::currentDateTime()));
    tx.commit();
    return wire::Value(true);
}

}  // namespace server::method
