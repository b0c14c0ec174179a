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
        const char* airline;
        const char* flight;
        int day;
        const char* kind;
        int passengers;
        const char* number;
        std::vector<SeedLine> lines;
    };
    // The last six are there to add a service to: each is a day and flight whose pricing
    // fails in one documented way, with room for more services.
    const Case cases[] = {
        {"0001", "1010", 25, "1", 110, "009001/2026", {line("SV01", 100, 2, 1)}},
        {"0001", "1010", 26, "1", 110, "009002/2026", {line("SV01", 90, 1, 0), line("SV02", 40, 0, 0)}},
        {"0001", "1010", 27, "1", 110, "009003/2026", {line("SV01", 80, 0, 0), line("SV02", 30, 0, 0)}},
        {"0002", "2201", 12, "1", 145, "009004/2026", {line("SV01", 50, 0, 0)}},  // Evoo_Inter
        {"0001", "1010", 16, "1", 110, "009005/2026", {line("SV01", 60, 0, 0)}},  // Eser_Preco
        {"0001", "1010", 18, "1", 320, "009006/2026", {line("SV01", 60, 0, 0)}},  // Eser_Prepr
        {"0001", "1010", 15, "1", 110, "009007/2026", {line("SV01", 60, 0, 0)}},  // Eser_PreDa
        {"0001", "1010", 21, "1", 110, "009008/2026", {line("SV01", 60, 0, 0)}},  // Eser_IndFi
        {"0003", "3300", 21, "2", 200, "009009/2026", {line("SV21", 40, 0, 0)}},  // Eser_CAdRe
    };
    for (const Case& c : cases) {
        SeedDelivery d;
        d.key = ++key;
        d.branch = QStringLiteral("0001");
        d.airline = QString::fromLatin1(c.airline);
        d.flight = QString::fromLatin1(c.flight);
        d.leg = QStringLiteral("0001");
        d.when = QDateTime(QDate(2026, 11, c.day), QTime(19, 0), Qt::UTC);
        d.kind = QString::fromLatin1(c.kind);
        d.airportTaxPercent = d.kind == QLatin1String("2") ? 5.5 : 3.0;
        d.number = QString::fromLatin1(c.number);
        writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, c.passengers});
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
