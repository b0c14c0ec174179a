// Demo rows for entering services: LAA at Guarulhos is offered services of classes it does
// not fly (first class) and services without a class, its national flight 3390 in the week
// of 16 Nov has a delivery for each limit an operator meets when adding services, and
// Galeão is not allowed to add services to its deliveries.

#include "server/seed_demo_steps.h"

#include "server/batch_insert.h"
#include "server/seed_writer.h"
#include "server/sql.h"

#include <QDate>

namespace server {

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kAirline = QStringLiteral("0003");  // LAA
const QString kFlight = QStringLiteral("3390");

void exec(Database& db, const QString& sql) { Sql(db, sql).exec(); }

// Two services without a class (one of each nationality), offered to LAA at Guarulhos with
// two first-class services LAA has no class for there; all priced in LAA's table.
void insertOfferedServices(Database& db)
{
    exec(db, QStringLiteral("INSERT INTO SERVICO (CDSERVICO, CDARVSERV, DSSERVICO, SGUNIDADE, IDSERVICO, IDSERVESP, "
                            "VRPESOSE, IDFATSE, IDTIPMANUAL, CDCLASSE, IDCICLO, IDTPPRECO) VALUES "
                            "('SV30', '06.01.0001', 'Kit higiene de cabine', 'KIT', 'S', 'N', 0.80, 'S', '1', NULL, "
                            "'IDA', '1'), "
                            "('SV31', '16.01.0001', 'Kit conforto internacional', 'KIT', 'S', 'N', 0.65, 'S', '2', "
                            "NULL, 'IDA', '1')"));
    BatchInsert offered(
        db, QStringLiteral("SERVCIA"),
        {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("CDSERVICO"), QStringLiteral("IDATIVO")});
    for (const char* service : {"SV23", "SV27", "SV30", "SV31"})
        offered.add({kBranch, kAirline, QString::fromLatin1(service), QStringLiteral("S")});
    offered.flush();

    Sql table(db, QStringLiteral("SELECT T.CDTABPRECO, (SELECT MAX(I.NRITEMTAB) FROM ITEMTABPRECO I "
                                 "WHERE I.CDTABPRECO = T.CDTABPRECO) FROM TABPRECO T "
                                 "WHERE T.CDFILIAL = :F AND T.CDCIA = :C AND T.IDATIVO = 'S' ORDER BY T.CDTABPRECO"));
    table.bind(QStringLiteral(":F"), kBranch).bind(QStringLiteral(":C"), kAirline);
    table.exec();
    if (!table.next()) throw ServerFailure(QStringLiteral("Carga demo: LAA sem tabela de preço em Guarulhos."));
    const qint64 tableKey = table.value(0).toLongLong();
    const int lastItem = table.value(1).toInt();
    Sql item(db,
             QStringLiteral("INSERT INTO ITEMTABPRECO (CDTABPRECO, NRITEMTAB, CDSERVICO, DTINIVIGEN, DTFIMVIGEN, "
                            "VRPRECO, VRPRECODOL, IDPROPORC) VALUES (:T, :I, :S, '2026-01-01', '2026-12-31', :R, :D, "
                            "'N')"));
    const struct {
        const char* service;
        double local, dollar;
    } prices[] = {{"SV30", 12.40, 0}, {"SV31", 0, 3.90}};
    int next = lastItem;
    for (const auto& p : prices) {
        item.bind(QStringLiteral(":T"), tableKey).bind(QStringLiteral(":I"), ++next);
        item.bind(QStringLiteral(":S"), QString::fromLatin1(p.service));
        item.bind(QStringLiteral(":R"), p.local > 0 ? QVariant(p.local) : QVariant(QMetaType(QMetaType::Double)));
        item.bind(QStringLiteral(":D"), p.dollar > 0 ? QVariant(p.dollar) : QVariant(QMetaType(QMetaType::Double)));
        item.exec();
    }
}

SeedLine line(const char* service, double quantity, const char* situation)
{
    SeedLine l;
    l.service = QString::fromLatin1(service);
    l.quantity = quantity;
    l.situation = QString::fromLatin1(situation);
    l.classGroup = QStringLiteral("0003");
    return l;
}

}  // namespace

void seedDemoServiceEntry(Database& db)
{
    insertOfferedServices(db);
    // Galeão may not add services to its deliveries (it may still change them).
    exec(db, QStringLiteral("UPDATE PARAMCOMIS SET IDALTERDELIV = 'N' WHERE CDFILIAL = '0002'"));
    exec(db,
         QStringLiteral("INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO, IDTIPNACVOO) VALUES ('0001', '0003', '3390', '1')"));
    exec(db, QStringLiteral("INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, SGAEROORI, SGAERODES) VALUES "
                            "('0001', '0003', '3390', '0001', 'GRU', 'NAT')"));

    // Monday to Friday of the week of 16 Nov, one delivery a day:
    //   16  NRMAXSERVDEL 0: no service can be added
    //   17  three services and a limit of three: at its limit
    //   18  one service of each situation 1 to 4, two of them priced once per flight
    //   19  and 20: room for more services
    struct Day {
        int day;
        int maxServices;
        std::vector<SeedLine> lines;
    };
    const std::vector<Day> days = {
        {16, 0, {line("SV01", 90, "1"), line("SV02", 60, "1"), line("SV06", 120, "2")}},
        {17, 3, {line("SV01", 85, "1"), line("SV07", 14, "2"), line("SV06", 110, "1")}},
        {18, 12, {line("SV01", 95, "1"), line("SV02", 70, "2"), line("SV05", 1, "3"), line("SV08", 1, "4")}},
        {19, 12, {line("SV01", 80, "1"), line("SV06", 100, "1"), line("SV07", 12, "3")}},
        {20, 12, {line("SV02", 75, "2"), line("SV06", 90, "4"), line("SV08", 1, "1")}},
    };

    Sql keys(db, QStringLiteral("SELECT MAX(NRDELIVERY) FROM DELIVERY"));
    keys.exec();
    qint64 key = keys.next() ? keys.value(0).toLongLong() : 0;
    key = std::max<qint64>(key, 9500);
    SeedWriter writer(db);
    std::vector<std::pair<SeedDelivery, const Day*>> planned;
    for (const Day& day : days) {
        SeedDelivery d;
        d.key = ++key;
        d.branch = kBranch;
        d.airline = kAirline;
        d.flight = kFlight;
        d.leg = QStringLiteral("0001");
        d.when = QDateTime(QDate(2026, 11, day.day), QTime(14, 40), Qt::UTC);
        d.kind = QStringLiteral("1");
        d.airportTaxPercent = 3.0;
        d.maxServices = day.maxServices;
        d.number = QStringLiteral("%1/2026").arg(800000 + day.day);
        writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, 120});
        planned.emplace_back(d, &day);
    }
    writer.flushPlans();
    for (const auto& [delivery, day] : planned) writer.addDelivery(delivery, day->lines);
    writer.finish();
}

}  // namespace server
