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
    const qint64 delivery = a.integerText(1, "delivery");
    const QString airline = a.text(2, "companhia");
    const QString code = a.text(3, "código do serviço");
    const QString kind = a.text(4, "tipo da delivery").trimmed();

    PacketQuery q(db, QStringLiteral("SELECT S.CDARVSERV, S.CDSERVICO, S.DSSERVICO, S.SGUNIDADE, S.IDSERVICO, S.IDSERVESP, "
                             "S.VRPESOSE, S.IDFATSE, S.IDTIPMANUAL, CL.SGCLASSE, S.IDCICLO "
                             "FROM SERVCIA SC JOIN SERVICO S ON S.CDSERVICO = SC.CDSERVICO "
                             "LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE "
                             "WHERE SC.CDFILIAL = :F AND SC.CDCIA = :C AND SC.IDATIVO = 'S' "
                             "AND (S.IDTIPMANUAL = :K OR :K2 = '') "
                             "AND NOT EXISTS (SELECT 1 FROM SERVDEL SD WHERE SD.NRDELIVERY = :N "
                             "AND SD.CDSERVICO = S.CDSERVICO) "
                             "ORDER BY S.CDARVSERV"));
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":C"), airline);
    q.bind(QStringLiteral(":K"), kind).bind(QStringLiteral(":K2"), kind).bind(QStringLiteral(":N"), delivery);
    wire::DataPacket packet = q.packet(layout::serviceSearch());
    if (code.trimmed().isEmpty()) return packet;

    const QString wanted = fitCode(code, kServiceCodeWidth);
    std::erase_if(packet.rows, [&](const wire::Row& row) {
        return row[0].kind() != wire::Value::Kind::Text || fitCode(row[0].text(), kServiceCodeWidth) != wanted;
    });
    return packet;
}

}  // namespace server::method
