#include "server/seed.h"

#include "server/batch_insert.h"
#include "server/seed_scale_airlines.h"
#include "server/seed_writer.h"
#include "server/sql.h"

#include <QDate>
#include <QHash>
#include <QStringList>

#include <random>

namespace server {

namespace {

constexpr int kYear = 2026;
constexpr int kFirstFlight = 70000;  // scale flights: 70000 and up, after any demo flight

constexpr int kPerAirlineSet = 10000;  // deliveries a set of airlines holds in the year

struct Pair {
    QString branch, airline, kind;
    QString pricedAs;     // the demo airline a copy was made from; empty for a demo airline
    int firstFlight = 0;  // first new flight number
    std::vector<std::pair<QString, QString>> services;  // offered, of the pair's kind: code, class
};

// Every airline served at a branch gets its own new flights, alternately national and
// international, and the services it is offered of that kind.
// The demo's airlines, or (with `copies`) one set of copied airlines, which then take the
// kinds of the demo pairs they copy.
std::vector<Pair> scalePairs(Database& db, const std::vector<CopiedAirline>& copies = {})
{
    std::vector<Pair> pairs;
    {
        Sql q(db, QStringLiteral("SELECT CDFILIAL, CDCIA FROM CIAFILI WHERE CDCIA < :FIRST ORDER BY CDFILIAL, CDCIA"));
        q.bind(QStringLiteral(":FIRST"), QString::number(kFirstCopiedAirline));
        q.exec();
        while (q.next()) {
            Pair p;
            p.branch = q.value(0).toString();
            p.airline = q.value(1).toString();
            p.kind = pairs.size() % 2 == 0 ? QStringLiteral("1") : QStringLiteral("2");
            pairs.push_back(p);
        }
    }
    if (!copies.empty()) {
        std::vector<Pair> copied;
        for (const Pair& demo : pairs)
            for (const CopiedAirline& c : copies)
                if (c.original == demo.airline) {
                    Pair p = demo;
                    p.airline = c.code;
                    p.pricedAs = c.original;
                    copied.push_back(p);
                }
        pairs = std::move(copied);
    }
    if (pairs.empty()) throw ServerFailure(QStringLiteral("Carga scale: nenhuma companhia atendida por filial."));
    for (Pair& p : pairs) {
        Sql used(db,
                 QStringLiteral("SELECT COUNT(*) FROM VOO WHERE CDFILIAL = :F AND CDCIA = :C AND NRVOO >= '70000'"));
        used.bind(QStringLiteral(":F"), p.branch).bind(QStringLiteral(":C"), p.airline);
        used.exec();
        p.firstFlight = kFirstFlight + (used.next() ? used.value(0).toInt() : 0);
        Sql offered(db, QStringLiteral("SELECT SC.CDSERVICO, S.CDCLASSE FROM SERVCIA SC JOIN SERVICO S "
                                       "ON S.CDSERVICO = SC.CDSERVICO WHERE SC.CDFILIAL = :F AND SC.CDCIA = :C "
                                       "AND SC.IDATIVO = 'S' AND S.IDTIPMANUAL = :K ORDER BY S.CDARVSERV"));
        offered.bind(QStringLiteral(":F"), p.branch).bind(QStringLiteral(":C"), p.airline);
        offered.bind(QStringLiteral(":K"), p.kind);
        offered.exec();
        while (offered.next()) p.services.emplace_back(offered.value(0).toString(), offered.value(1).toString());
    }
    return pairs;
}

qint64 lastDeliveryKey(Database& db)
{
    Sql q(db, QStringLiteral("SELECT COALESCE(MAX(NRDELIVERY), 0) FROM DELIVERY"));
    q.exec();
    return q.next() ? q.value(0).toLongLong() : 0;
}

// The pairs' new flights, each with one leg from the branch's airport to one of the
// destinations its airlines fly to.
void addFlights(Database& db, const std::vector<Pair>& pairs, int flightsPerPair)
{
    BatchInsert flights = flightInserts(db);
    BatchInsert legs = legInserts(db);
    const QHash<QString, QString> airports = {{QStringLiteral("0001"), QStringLiteral("GRU")},
                                              {QStringLiteral("0002"), QStringLiteral("GIG")},
                                              {QStringLiteral("0003"), QStringLiteral("CNF")}};
    const QStringList national = {QStringLiteral("POA"), QStringLiteral("REC"), QStringLiteral("SSA"),
                                  QStringLiteral("BSB"), QStringLiteral("CWB"), QStringLiteral("FOR")};
    const QStringList international = {QStringLiteral("LIS"), QStringLiteral("MIA"), QStringLiteral("EZE"),
                                       QStringLiteral("SCL"), QStringLiteral("MAD")};
    for (const Pair& p : pairs)
        for (int f = 0; f < flightsPerPair; ++f)
            flights.add({p.branch, p.airline, QString::number(p.firstFlight + f), p.kind});
    flights.flush();  // legs refer to them
    for (const Pair& p : pairs)
        for (int f = 0; f < flightsPerPair; ++f) {
            const QString number = QString::number(p.firstFlight + f);
            const QStringList& destinations = p.kind == QLatin1String("2") ? international : national;
            legs.add({p.branch, p.airline, number, QStringLiteral("0001"),
                      airports.value(p.branch, QStringLiteral("GRU")), destinations[f % destinations.size()]});
        }
    legs.flush();
}

// Random numbers of a scale load, reproducible for a given database.
class ScaleRandom {
public:
    explicit ScaleRandom(unsigned seed) : rng_(seed) {}
    int between(int low, int high) { return low + static_cast<int>(rng_() % static_cast<unsigned>(high - low + 1)); }

private:
    std::mt19937 rng_;
};

// The lines of one delivery: some of the pair's services that can be priced that day, at
// least one. Proportional services are left out: their price needs each leg's plan first.
std::vector<SeedLine> scaleLines(SeedWriter& writer, const SeedDelivery& d, const Pair& p, int passengers,
                                 ScaleRandom& random)
{
    std::vector<SeedLine> lines;
    const int wanted = random.between(3, 12);
    QString fallback;
    QString fallbackClass;
    for (const auto& [service, serviceClass] : p.services) {
        if (static_cast<int>(lines.size()) >= wanted) break;
        if (writer.isProportional(service) || !writer.canPrice(d, service)) continue;
        if (fallback.isEmpty()) {
            fallback = service;
            fallbackClass = serviceClass;
        }
        if (random.between(0, 2) == 0) continue;
        SeedLine line;
        line.service = service;
        line.classGroup = serviceClass;
        line.quantity =
            serviceClass == QLatin1String("0004") ? random.between(4, 12) : random.between(passengers / 3, passengers);
        line.standbyUsed = random.between(0, 2);
        lines.push_back(line);
    }
    if (lines.empty() && !fallback.isEmpty()) {
        SeedLine line;
        line.service = fallback;
        line.classGroup = fallbackClass;
        line.quantity = 1;
        lines.push_back(line);
    }
    return lines;
}

// Slot i goes to pair i % pairs, on day (i / pairs) % days of the year, on that pair's flight
// i / (pairs * days): one flight plan per delivery. A slot where no service can be priced that
// day (a gap in an airline's tables) is passed over, so a spare flight per pair is made.
void seedPairs(Database& db, SeedWriter& writer, const std::vector<Pair>& pairs, int deliveries, qint64& key,
               ScaleRandom& random)
{
    const int days = QDate(kYear, 1, 1).daysInYear();
    const int pairCount = static_cast<int>(pairs.size());
    const int flightsPerPair = (deliveries + pairCount * days - 1) / (pairCount * days) + 1;
    addFlights(db, pairs, flightsPerPair);

    const qint64 slotCount = static_cast<qint64>(flightsPerPair) * pairCount * days;
    int written = 0;
    for (qint64 i = 0; i < slotCount && written < deliveries; ++i) {
        const Pair& p = pairs[static_cast<std::size_t>(i % pairCount)];
        const int day = static_cast<int>((i / pairCount) % days);
        const int flight = static_cast<int>(i / (static_cast<qint64>(pairCount) * days));
        SeedDelivery d;
        d.branch = p.branch;
        d.airline = p.airline;
        d.pricedAs = p.pricedAs;
        d.flight = QString::number(p.firstFlight + flight);
        d.leg = QStringLiteral("0001");
        d.when = QDateTime(QDate(kYear, 1, 1).addDays(day), QTime(5 + (flight * 7) % 18, (flight * 13) % 60), Qt::UTC);
        d.kind = p.kind;
        d.airportTaxPercent = p.kind == QLatin1String("2") ? 5.5 : 3.0;
        const int passengers = p.kind == QLatin1String("2") ? random.between(160, 290) : random.between(60, 139);

        const std::vector<SeedLine> lines = scaleLines(writer, d, p, passengers, random);
        if (lines.empty()) continue;
        d.key = ++key;
        // Seven digits: the demo's own numbers have six, and a million keys must not meet them.
        d.number = QStringLiteral("%1/%2").arg(d.key, 7, 10, QLatin1Char('0')).arg(kYear);
        writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, passengers});
        writer.addDelivery(d, lines);
        ++written;
    }
    if (written < deliveries)
        throw ServerFailure(QStringLiteral("Carga scale: só foi possível precificar %1 de %2 deliveries.")
                                .arg(written)
                                .arg(deliveries));
}

}  // namespace

// The first 10,000 deliveries of a load go to the demo's airlines; every further 10,000 to a
// new set of copies of them. Each airline's month then holds about as many deliveries on a
// database of a million as on one of ten thousand, as a caterer's growth in airlines (rather
// than in flights per airline) would have it.
void seedScale(Database& db, int deliveries)
{
    if (deliveries <= 0) return;
    if (!demoSeeded(db)) seedDemo(db);

    std::vector<std::vector<Pair>> sets{scalePairs(db)};
    const int firstSet = copiedAirlineSets(db) + 1;
    const int copySets = (deliveries - 1) / kPerAirlineSet;
    for (int s = 0; s < copySets; ++s) sets.push_back(scalePairs(db, addCopiedAirlines(db, firstSet + s)));

    qint64 key = lastDeliveryKey(db);
    ScaleRandom random(20260101u + static_cast<unsigned>(key));
    SeedWriter writer(db);  // after the copies: it reads every airline's discount and billing place
    int left = deliveries;
    for (const std::vector<Pair>& pairs : sets) {
        const int share = std::min(left, kPerAirlineSet);
        seedPairs(db, writer, pairs, share, key, random);
        left -= share;
    }
    writer.finish();
}

}  // namespace server
