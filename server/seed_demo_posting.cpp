#include "server/seed_demo_steps.h"

#include "server/seed_writer.h"
#include "server/sql.h"

#include <QDate>

namespace server {

namespace {

SeedLine line(const char* service, double quantity, double standbyUsed, double standbyUnused)
{
    SeedLine l;
    l.service = QString::fromLatin1(service);
    l.quantity = quantity;
    l.standbyUsed = standbyUsed;
    l.standbyUnused = standbyUnused;
    l.classGroup = QStringLiteral("0003");
    return l;
}

}  // namespace

void seedDemoPostingCases(Database& db)
{
    // Keys after every delivery seeded so far; the tour names them by their numbers.
    qint64 key = 0;
    {
        Sql q(db, QStringLiteral("SELECT COALESCE(MAX(NRDELIVERY), 0) FROM DELIVERY"));
        q.exec();
        if (q.next()) key = q.value(0).toLongLong();
    }
    SeedWriter writer(db);
    struct Case {
        int day;
        const char* number;
        std::vector<SeedLine> lines;
    };
    const Case cases[] = {
        {25, "009001/2026", {line("SV01", 100, 2, 1)}},
        {26, "009002/2026", {line("SV01", 90, 1, 0), line("SV02", 40, 0, 0)}},
        {27, "009003/2026", {line("SV01", 80, 0, 0), line("SV02", 30, 0, 0)}},
    };
    for (const Case& c : cases) {
        SeedDelivery d;
        d.key = ++key;
        d.branch = QStringLiteral("0001");
        d.airline = QStringLiteral("0001");
        d.flight = QStringLiteral("1010");
        d.leg = QStringLiteral("0001");
        d.when = QDateTime(QDate(2026, 11, c.day), QTime(19, 0), Qt::UTC);
        d.kind = QStringLiteral("1");
        d.airportTaxPercent = 3.0;
        d.number = QString::fromLatin1(c.number);
        writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, 110});
        writer.flushPlans();
        writer.addDelivery(d, c.lines);
    }
    writer.finish();

    // 009003 keeps a snack added on this screen earlier: kind "5", its fixed quantity the one
    // invoiced.
    Sql(db, QStringLiteral("UPDATE SERVDEL SET IDTIPSCBOSP = '5', QTSERVFIXSP = QTSERFATSP, QTSESOLICSP = 0 "
                           "WHERE CDSERVICO = 'SV02' AND NRDELIVERY = (SELECT NRDELIVERY FROM DELIVERY "
                           "WHERE CDFILIAL = '0001' AND NUMERO = '009003/2026')"))
        .exec();
}

}  // namespace server
