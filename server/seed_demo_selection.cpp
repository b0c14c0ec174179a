// Demo rows for the delivery list: Conexão Regional Paulista (CRP), a regional carrier that
// flies under CAB's contract at Guarulhos and is invoiced with CAB. CAB's list at Guarulhos
// therefore holds deliveries of two airlines on the same days.

#include "server/seed_demo_steps.h"

#include "server/batch_insert.h"
#include "server/seed_writer.h"
#include "server/sql.h"

#include <QDate>

#include <random>

namespace server {

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kContractor = QStringLiteral("0001");  // CAB
const QString kPartner = QStringLiteral("0006");     // CRP

struct PartnerFlight {
    const char* number;
    int hour, minute;
    const char* weekdays;  // "1234567" Monday..Sunday
    const char* from;
    const char* to;
};
const PartnerFlight kPartnerFlights[] = {
    {"6601", 10, 20, "1234567", "GRU", "SJP"},
    {"6603", 17, 5, "246", "GRU", "RAO"},
};

// National services of the economy and crew classes, as CAB's contract prices them.
struct PartnerPrice {
    const char* service;
    double local;
    double standby;
};
const PartnerPrice kPartnerPrices[] = {
    {"SV01", 27.45, 16.35}, {"SV02", 13.90, 8.15}, {"SV04", 43.20, 0},
    {"SV06", 1.95, 0},      {"SV07", 9.35, 0},     {"SV08", 297.60, 0},
};

void exec(Database& db, const QString& sql) { Sql(db, sql).exec(); }

void insertPartnerAirline(Database& db)
{
    exec(db, QStringLiteral("INSERT INTO COMPANHIA (CDCIA, NMCIA, SGCIA) VALUES "
                            "('0006', 'Conexão Regional Paulista', 'CRP')"));
    exec(db, QStringLiteral("INSERT INTO CIAFILI (CDFILIAL, CDCIA, CDLOCAFATCIA, VRPEDESCCIA) VALUES "
                            "('0001', '0006', 'SAO PAULO - SP', 0)"));
    exec(db, QStringLiteral("INSERT INTO CLASSECIA (CDFILIAL, CDCIA, CDCLASSE, DSCLASSECIA) VALUES "
                            "('0001', '0006', '0003', 'Classe Econômica'), ('0001', '0006', '0004', 'Tripulação')"));
    exec(db, QStringLiteral("INSERT INTO CIAPARCEIRA (CDFILIAL, CDCIA, CDCIAPARC) VALUES ('0001', '0001', '0006')"));

    BatchInsert offered(
        db, QStringLiteral("SERVCIA"),
        {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("CDSERVICO"), QStringLiteral("IDATIVO")});
    for (const PartnerPrice& p : kPartnerPrices)
        offered.add({kBranch, kPartner, QString::fromLatin1(p.service), QStringLiteral("S")});
    offered.flush();

    exec(db, QStringLiteral("INSERT INTO TABPRECO (CDTABPRECO, CDFILIAL, CDCIA, DSTABPRECO, DTINIVIGEN, DTFIMVIGEN, "
                            "IDATIVO) VALUES (600, '0001', '0006', 'Tabela 2026 CRP (contrato CAB)', '2026-01-01', "
                            "'2026-12-31', 'S')"));
    BatchInsert items(db, QStringLiteral("ITEMTABPRECO"),
                      {QStringLiteral("CDTABPRECO"), QStringLiteral("NRITEMTAB"), QStringLiteral("CDSERVICO"),
                       QStringLiteral("DTINIVIGEN"), QStringLiteral("DTFIMVIGEN"), QStringLiteral("VRPRECO"),
                       QStringLiteral("VRPRECOSBY"), QStringLiteral("IDPROPORC")});
    int item = 0;
    for (const PartnerPrice& p : kPartnerPrices)
        items.add({600, ++item, QString::fromLatin1(p.service), QStringLiteral("2026-01-01"),
                   QStringLiteral("2026-12-31"), p.local, p.standby, QStringLiteral("N")});
    items.flush();

    BatchInsert flights = flightInserts(db);
    BatchInsert legs = legInserts(db);
    for (const PartnerFlight& f : kPartnerFlights) {
        flights.add({kBranch, kPartner, QString::fromLatin1(f.number), QStringLiteral("1")});
        legs.add({kBranch, kPartner, QString::fromLatin1(f.number), QStringLiteral("0001"), QString::fromLatin1(f.from),
                  QString::fromLatin1(f.to)});
    }
    flights.flush();
    legs.flush();
}

}  // namespace

void seedDemoDeliverySelection(Database& db)
{
    insertPartnerAirline(db);

    std::mt19937 rng(20261106);
    const auto between = [&rng](int low, int high) {
        return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
    };
    SeedWriter writer(db);
    qint64 key = 9000;
    int number = 700000;
    std::vector<SeedDelivery> deliveries;
    for (int day = 1; day <= 30; ++day) {
        const QDate date(2026, 11, day);
        for (const PartnerFlight& f : kPartnerFlights) {
            if (!QString::fromLatin1(f.weekdays).contains(QString::number(date.dayOfWeek()))) continue;
            SeedDelivery d;
            d.key = ++key;
            d.branch = kBranch;
            d.airline = kPartner;
            d.flight = QString::fromLatin1(f.number);
            d.leg = QStringLiteral("0001");
            d.when = QDateTime(date, QTime(f.hour, f.minute), Qt::UTC);
            d.kind = QStringLiteral("1");
            d.airportTaxPercent = 3.0;
            d.number = QStringLiteral("%1/2026").arg(++number);
            writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, between(40, 70)});
            deliveries.push_back(d);
        }
    }
    writer.flushPlans();
    for (const SeedDelivery& d : deliveries) {
        std::vector<SeedLine> lines;
        for (const PartnerPrice& p : kPartnerPrices) {
            const QString service = QString::fromLatin1(p.service);
            // A meal, water and the crew kit on every flight; the others now and then.
            const bool always = service == QLatin1String("SV01") || service == QLatin1String("SV04")
                                || service == QLatin1String("SV06");
            if ((!always && between(1, 2) == 1) || !writer.canPrice(d, service)) continue;
            SeedLine line;
            line.service = service;
            line.classGroup = service == QLatin1String("SV04") ? QStringLiteral("0004") : QStringLiteral("0003");
            line.quantity = line.classGroup == QLatin1String("0004") ? between(3, 6) : between(20, 60);
            line.standbyUsed = p.standby > 0 ? between(0, 2) : 0;
            line.situation = QString::number(between(1, 4));
            lines.push_back(line);
        }
        writer.addDelivery(d, lines);
    }
    writer.finish();
}

}  // namespace server
