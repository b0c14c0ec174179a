#include "server/code_fit.h"
#include "server/method_args.h"
#include "server/method_impl.h"
#include "server/packet_query.h"
#include "server/record_layouts.h"

namespace server::method {

namespace {

constexpr int kServiceCodeWidth = 10;

}  // namespace

// The services offered to the airline at the branch for the delivery's kind, without those
// already in the delivery; with a code, only the service whose code matches it.
wire::Value getPesqServico(Database& db, wire::Array& args)
{
    const MethodArgs a(QStringLiteral("GetPesqServico"), args, 5);
    const QString branch = branchCode(a.text(0, "filial"));
    const qint64 delivery = a.key(1, "delivery", true);
    const QString airline = a.text(2, "companhia");
    const QString code = a.text(3, "código do serviço");
    const QString kind = a.text(4, "tipo da delivery").trimmed();

    // Without a kind every kind is listed; a kind condition with an empty parameter would
    // compare with NULL on PostgreSQL, where an empty text is bound as NULL. The delivery's
    // services are left out only when the delivery is the branch's own: another branch's
    // delivery is answered as an unknown one.
    static const QString select = QStringLiteral(
        "SELECT S.CDARVSERV, S.CDSERVICO, S.DSSERVICO, S.SGUNIDADE, S.IDSERVICO, S.IDSERVESP, "
        "S.VRPESOSE, S.IDFATSE, S.IDTIPMANUAL, CL.SGCLASSE, S.IDCICLO "
        "FROM SERVCIA SC JOIN SERVICO S ON S.CDSERVICO = SC.CDSERVICO "
        "LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE "
        "WHERE SC.CDFILIAL = :F AND SC.CDCIA = :C AND SC.IDATIVO = 'S' ");
    static const QString notInDelivery = QStringLiteral(
        "AND NOT EXISTS (SELECT 1 FROM SERVDEL SD JOIN DELIVERY D ON D.NRDELIVERY = SD.NRDELIVERY "
        "WHERE SD.NRDELIVERY = :N AND D.CDFILIAL = :F2 AND SD.CDSERVICO = S.CDSERVICO) "
        "ORDER BY S.CDARVSERV");
    static const QString ofKind = select + QStringLiteral("AND S.IDTIPMANUAL = :K ") + notInDelivery;
    static const QString ofAnyKind = select + notInDelivery;

    PacketQuery q(db, kind.isEmpty() ? ofAnyKind : ofKind);
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":C"), airline);
    if (!kind.isEmpty()) q.bind(QStringLiteral(":K"), kind);
    q.bind(QStringLiteral(":N"), delivery).bind(QStringLiteral(":F2"), branch);
    wire::DataPacket packet = q.packet(layout::serviceSearch());
    if (code.trimmed().isEmpty()) return packet;

    const QString wanted = fitCode(code, kServiceCodeWidth);
    std::erase_if(packet.rows, [&](const wire::Row& row) {
        return row[0].kind() != wire::Value::Kind::Text || fitCode(row[0].text(), kServiceCodeWidth) != wanted;
    });
    return packet;
}

}  // namespace server::method
