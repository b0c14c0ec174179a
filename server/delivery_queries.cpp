#include "server/delivery_queries.h"

#include "server/packet_query.h"
#include "server/record_layouts.h"

namespace server {

wire::DataPacket deliveriesPacket(Database& db, const QString& branch, const QString& airline, const QDateTime& from,
                                  const QDateTime& to)
{
    // Half-open on the day after the end: every moment of the last day is in. The last day
    // the protocol carries (9999-12-31) has no day after it that both engines read as a date
    // (SQLite would compare the text "10000-01-01" and put it first): no upper bound then.
    // The airline's own deliveries and those of the partner airlines it invoices for there,
    // as one list of airlines: an OR beside the list would keep both engines off the
    // (branch, airline, date) index and read the whole branch from the first day on.
    static const QString select = QStringLiteral(
        "SELECT 'N', D.CDFILIAL, D.CDCIA, C.NMCIA, D.NRDELIVERY, D.NRVOO, D.CDTRECHO, D.NRDELIVERYFA, "
        "D.DTHRPLAVOOPV, D.VRTOTDESC, D.VRTXAERO, D.IDSITDEL, D.NUMERO, D.VRPETXAERO, D.IDTIPNACDEL, "
        "D.VRTOTDELIV, D.CDLOCAFATCIA, D.CDLOCALDELIV, D.VRBACATX, D.NRMAXSERVDEL "
        "FROM DELIVERY D JOIN COMPANHIA C ON C.CDCIA = D.CDCIA "
        "WHERE D.CDFILIAL = :F AND D.DTHRPLAVOOPV >= :D1 "
        "AND D.CDCIA IN (SELECT CAST(:C AS VARCHAR) UNION ALL SELECT P.CDCIAPARC FROM CIAPARCEIRA P "
        "WHERE P.CDFILIAL = :PF AND P.CDCIA = :PC) ");
    static const QString bounded = select + QStringLiteral("AND D.DTHRPLAVOOPV < :D2 ORDER BY D.NRDELIVERY");
    static const QString unbounded = select + QStringLiteral("ORDER BY D.NRDELIVERY");

    const QDate dayAfter = to.date().addDays(1);
    const bool hasDayAfter = dayAfter.isValid() && dayAfter.year() <= 9999;
    PacketQuery q(db, hasDayAfter ? bounded : unbounded);
    q.bind(QStringLiteral(":F"), branch).bind(QStringLiteral(":C"), airline);
    q.bind(QStringLiteral(":PF"), branch).bind(QStringLiteral(":PC"), airline);
    q.refuseOver(QStringLiteral("A lista de deliveries de %1 a %2 passa do limite de %3 bytes por mensagem do "
                                "servidor. Informe um período menor.")
                     .arg(from.date().toString(QStringLiteral("dd/MM/yyyy")),
                          to.date().toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("%1")));
    q.bindTimestamp(QStringLiteral(":D1"), QDateTime(from.date(), QTime(0, 0), Qt::UTC));
    if (hasDayAfter) q.bindTimestamp(QStringLiteral(":D2"), QDateTime(dayAfter, QTime(0, 0), Qt::UTC));
    return q.packet(layout::delivery());
}

wire::DataPacket servicesPacket(Database& db, const QString& branch, qint64 delivery)
{
    PacketQuery q(
        db, QStringLiteral(
                "SELECT S.CDARVSERV, S.DSSERVICO, S.SGUNIDADE, CL.SGCLASSE, S.IDCICLO, SD.QTSERFATSP, "
                "SD.QTSESBYUTSP, SD.QTSESBYNUTSP, SD.VRPRURESESP, SD.VRPRUDOLSESP, SD.PRECOSBYUT, SD.PRECOSBYNUT, "
                "SD.VRTOTSERVR, SD.VRTOTSERVD, D.CDFILIAL, D.CDCIA, D.NRVOO, D.CDTRECHO, D.DTHRPLAVOOPV, "
                "SD.NRITEMPLANSP, SD.CDAGRDECO, SD.CDAGRDEDE, SD.CDSERVICO, SD.CDCLASSE, SD.CDCICLO, SD.IDSITSERSP, "
                "SD.VRALTXPORT, SD.IDTIPSCBOSP, SD.QTSESOLICSP, SD.QTSERVFIXSP, SD.QTATUAPRODSP, SD.NRDELIVERY, "
                "SD.VRPESOSESP, SD.IDTIPMANUALSP, SD.IDSEREXTSP, SD.IDSTKDTSP, SD.CDUSRRESPSP, SD.QTANTAPRODSP, "
                "SD.QTSESBYPRSP, SD.QTCORTSERVSP, SD.DTHRINCSESP, SD.QTREALPROD, SD.VRPRUSBYSP, AG.SGCLASSE, "
                "SD.IDTPPRECO, SD.VRPRECMANUTSESP "
                "FROM SERVDEL SD "
                "JOIN DELIVERY D ON D.NRDELIVERY = SD.NRDELIVERY "
                "JOIN SERVICO S ON S.CDSERVICO = SD.CDSERVICO "
                "LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE "
                "LEFT JOIN CLASSE AG ON AG.CDCLASSE = SD.CDAGRDEDE "
                "WHERE SD.NRDELIVERY = :N AND D.CDFILIAL = :F "
                "ORDER BY SD.NRITEMPLANSP"));
    q.bind(QStringLiteral(":N"), delivery).bind(QStringLiteral(":F"), branch);
    return q.packet(layout::service());
}

}  // namespace server
