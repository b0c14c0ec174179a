#include "server/seed.h"
#include "server/seed_demo_steps.h"

#include "server/batch_insert.h"
#include "server/seed_writer.h"
#include "server/sql.h"

#include <QDate>

#include <cmath>
#include <random>

namespace server {

namespace {

struct Branch {
    const char* code;
    const char* name;
    const char* valued;      // IDUTDELVALO
    const char* integrated;  // IDINTATEPCP
};
const Branch kBranches[] = {
    {"0001", "Guarulhos - SP", "S", "S"},
    {"0002", "Galeão - RJ", "S", "N"},
    {"0003", "Confins - MG", "N", "N"},
};

struct Airline {
    const char* code;
    const char* name;
    const char* shortCode;
};
const Airline kAirlines[] = {
    {"0001", "Companhia Aérea Brasileira", "CAB"},       {"0002", "Transportes Aéreos Paulistas", "TRAPA"},
    {"0003", "Linhas Aéreas do Atlântico", "LAA"},       {"0004", "Viação Aérea Serrana", "VAS"},
    {"0005", "Aerovias Internacionais Cruzeiro", "AIC"},
};

struct Served {
    const char* branch;
    const char* airline;
    const char* billingPlace;
    double discountPercent;
    const char* classes;  // class codes the airline has at the branch, comma separated
};
const Served kServed[] = {
    {"0001", "0001", "SAO PAULO - SP", 0.0, "0002,0003,0004"},
    {"0001", "0002", "SAO PAULO - SP", 2.5, "0003,0004"},
    {"0001", "0003", "LISBOA - PT", 5.0, "0002,0003,0004"},
    {"0001", "0004", "BRASILIA - DF", 0.0, "0003,0004"},
    {"0001", "0005", "MIAMI - US", 3.0, "0001,0002,0003,0004"},
    {"0002", "0001", "RIO DE JANEIRO - RJ", 0.0, "0002,0003,0004"},
    {"0002", "0003", "LISBOA - PT", 5.0, "0002,0003,0004"},
    {"0002", "0005", "MIAMI - US", 3.0, "0001,0002,0003,0004"},
    {"0003", "0002", "SAO PAULO - SP", 2.5, "0003,0004"},
    {"0003", "0004", "BRASILIA - DF", 0.0, "0003,0004"},
};

struct ClassRow {
    const char* code;
    const char* shortCode;
    const char* name;
};
const ClassRow kClasses[] = {
    {"0001", "F", "Primeira Classe"},
    {"0002", "C", "Classe Executiva"},
    {"0003", "Y", "Classe Econômica"},
    {"0004", "TRIP", "Tripulação"},
};

// Prices: local currency, dollars (0 = not given), stand-by in local and dollars.
struct ServiceRow {
    const char* code;
    const char* treeCode;
    const char* description;
    const char* unit;
    const char* nationality;  // "1" national, "2" international
    const char* serviceClass;
    const char* cycle;
    const char* priceKind;  // "2": once per flight
    double weight;
    double local, dollar, standbyLocal, standbyDollar;
    bool proportional;
};
const ServiceRow kServices[] = {
    {"SV01", "01.01.0001", "Refeição quente - econômica", "UN", "1", "0003", "IDA", "1", 0.45, 28.90, 5.40, 17.30, 0,
     false},
    {"SV02", "01.01.0002", "Lanche frio", "UN", "1", "0003", "IDA", "1", 0.25, 14.50, 0, 8.70, 0, false},
    {"SV03", "01.02.0001", "Refeição executiva", "UN", "1", "0002", "IDA", "1", 0.60, 62.00, 0, 37.20, 0, false},
    {"SV04", "01.03.0001", "Kit tripulação", "KIT", "1", "0004", "IDA/VOLTA", "1", 1.20, 45.00, 0, 0, 0, false},
    {"SV05", "02.01.0001", "Bebidas - carrinho completo", "CARRINHO", "1", "0003", "IDA", "2", 38.0, 420.00, 0, 0, 0,
     false},
    {"SV06", "02.02.0001", "Água mineral 500 ml", "UN", "1", "0003", "IDA", "1", 0.52, 2.10, 0, 0, 0, false},
    {"SV07", "03.01.0001", "Gelo em cubos (saco 5 kg)", "SC", "1", "0003", "IDA", "1", 5.00, 9.80, 0, 0, 0, false},
    {"SV08", "04.01.0001", "Montagem de trolley", "VOO", "1", "0003", "IDA", "2", 0, 310.00, 0, 0, 0, false},
    {"SV09", "04.02.0001", "Higienização de louça", "VOO", "1", "0003", "VOLTA", "2", 0, 185.00, 0, 0, 0, false},
    {"SV10", "01.01.0003", "Refeição especial vegetariana", "UN", "1", "0003", "IDA", "1", 0.45, 31.50, 0, 18.90, 0,
     false},
    {"SV11", "02.03.0001", "Vinho importado 750 ml", "GARRAFA", "1", "0002", "IDA", "1", 1.30, 0, 12.00, 0, 0, false},
    {"SV12", "01.04.0001", "Refeição kosher", "UN", "1", "0003", "IDA", "1", 0.45, 0, 0, 0, 0, false},
    {"SV13", "05.01.0001", "Serviço de bordo proporcional", "VOO", "1", "0003", "IDA", "2", 0, 0, 0, 0, 0, true},
    {"SV21", "11.01.0001", "Refeição quente internacional", "UN", "2", "0003", "IDA", "1", 0.50, 0, 7.80, 0, 4.70,
     false},
    {"SV22", "11.02.0001", "Refeição executiva internacional", "UN", "2", "0002", "IDA", "1", 0.70, 0, 19.50, 0, 11.70,
     false},
    {"SV23", "11.03.0001", "Menu degustação primeira classe", "UN", "2", "0001", "IDA", "1", 0.90, 0, 48.00, 0, 28.80,
     false},
    {"SV24", "11.04.0001", "Kit tripulação internacional", "KIT", "2", "0004", "IDA/VOLTA", "1", 1.40, 78.00, 14.50, 0,
     0, false},
    {"SV25", "12.01.0001", "Bebidas internacionais - carrinho", "CARRINHO", "2", "0003", "IDA", "2", 40.0, 0, 96.00, 0,
     0, false},
    {"SV26", "13.01.0001", "Gelo seco (kg)", "KG", "2", "0003", "IDA", "1", 1.00, 18.40, 0, 0, 0, false},
    {"SV27", "14.01.0001", "Amenidades primeira classe", "KIT", "2", "0001", "IDA/VOLTA", "1", 0.35, 0, 22.00, 0, 0,
     false},
    {"SV28", "15.01.0001", "Serviço de bordo proporcional internacional", "VOO", "2", "0003", "IDA", "2", 0, 0, 0, 0, 0,
     true},
};

// Proportional prices per passenger interval: 0-150, 151-300, 301-999.
const double kProportionalLocal[] = {950.00, 1720.00, 2480.00};
const double kProportionalDollar[] = {180.00, 330.00, 470.00};

struct Leg {
    const char* code;
    const char* from;
    const char* to;
};
struct Flight {
    const char* branch;
    const char* airline;
    const char* number;
    const char* nationality;
    int hour, minute;
    const char* weekdays;  // "1234567" Monday..Sunday
    Leg legs[2];
};
const Flight kFlights[] = {
    {"0001", "0001", "1010", "1", 7, 30, "1234567", {{"0001", "GRU", "POA"}, {}}},
    {"0001", "0001", "1012", "1", 13, 15, "135", {{"0001", "GRU", "REC"}, {"0002", "REC", "FOR"}}},
    {"0001", "0002", "2201", "1", 9, 0, "1234567", {{"0001", "GRU", "CWB"}, {}}},
    {"0001", "0002", "2203", "1", 18, 40, "246", {{"0001", "GRU", "FLN"}, {}}},
    {"0001", "0003", "3300", "2", 21, 50, "1234567", {{"0001", "GRU", "LIS"}, {}}},
    {"0001", "0003", "3302", "1", 6, 10, "12345", {{"0001", "GRU", "SSA"}, {}}},
    {"0001", "0004", "4410", "1", 11, 25, "1234567", {{"0001", "GRU", "BSB"}, {}}},
    {"0001", "0005", "5500", "2", 23, 5, "1234567", {{"0001", "GRU", "MIA"}, {}}},
    {"0001", "0005", "5502", "2", 8, 45, "357", {{"0001", "GRU", "EZE"}, {}}},
    {"0002", "0001", "1100", "1", 6, 50, "1234567", {{"0001", "GIG", "GRU"}, {}}},
    {"0002", "0003", "3310", "2", 22, 30, "1357", {{"0001", "GIG", "LIS"}, {}}},
    {"0002", "0005", "5510", "2", 23, 55, "246", {{"0001", "GIG", "MIA"}, {}}},
    {"0003", "0002", "2210", "1", 7, 5, "12345", {{"0001", "CNF", "GRU"}, {}}},
    {"0003", "0004", "4420", "1", 16, 20, "1234567", {{"0001", "CNF", "BSB"}, {}}},
};

// Days without a financial index in 2026 besides weekends (banking holidays).
const char* const kHolidays2026[] = {"2026-01-01", "2026-02-16", "2026-02-17", "2026-04-03",
                                     "2026-04-21", "2026-05-01", "2026-06-04", "2026-09-07",
                                     "2026-10-12", "2026-11-02", "2026-11-20", "2026-12-25"};

constexpr int kYear = 2026;
constexpr int kMonth = 11;

QString s(const char* text) { return QString::fromUtf8(text); }

class Rng {
public:
    explicit Rng(unsigned seed) : g_(seed) {}
    int between(int low, int high) { return low + static_cast<int>(g_() % static_cast<unsigned>(high - low + 1)); }

private:
    std::mt19937 g_;
};

void exec(Database& db, const QString& sql) { Sql(db, sql).exec(); }

void insertReference(Database& db)
{
    BatchInsert branches(db, QStringLiteral("FILIAL"), {QStringLiteral("CDFILIAL"), QStringLiteral("NMFILIAL")});
    BatchInsert params(db, QStringLiteral("PARAMCOMIS"),
                       {QStringLiteral("CDFILIAL"), QStringLiteral("IDUTDELVALO"), QStringLiteral("IDINTATEPCP")});
    for (const Branch& b : kBranches) {
        branches.add({s(b.code), s(b.name)});
        params.add({s(b.code), s(b.valued), s(b.integrated)});
    }
    branches.flush();
    params.flush();
    exec(db, QStringLiteral("INSERT INTO PARAMGERAL (CDPARAMGERAL, IDALTERDELIV) VALUES (1, 'S')"));

    BatchInsert airlines(db, QStringLiteral("COMPANHIA"),
                         {QStringLiteral("CDCIA"), QStringLiteral("NMCIA"), QStringLiteral("SGCIA")});
    for (const Airline& a : kAirlines) airlines.add({s(a.code), s(a.name), s(a.shortCode)});
    airlines.flush();

    BatchInsert classes(db, QStringLiteral("CLASSE"),
                        {QStringLiteral("CDCLASSE"), QStringLiteral("SGCLASSE"), QStringLiteral("NMCLASSE")});
    for (const ClassRow& c : kClasses) classes.add({s(c.code), s(c.shortCode), s(c.name)});
    classes.flush();

    BatchInsert served(db, QStringLiteral("CIAFILI"),
                       {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("CDLOCAFATCIA"),
                        QStringLiteral("VRPEDESCCIA")});
    BatchInsert airlineClasses(db, QStringLiteral("CLASSECIA"),
                               {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("CDCLASSE"),
                                QStringLiteral("DSCLASSECIA")});
    for (const Served& sv : kServed) served.add({s(sv.branch), s(sv.airline), s(sv.billingPlace), sv.discountPercent});
    served.flush();
    for (const Served& sv : kServed) {
        for (const QString& cls : s(sv.classes).split(QLatin1Char(','))) {
            QString name;
            for (const ClassRow& c : kClasses)
                if (cls == QLatin1String(c.code)) name = s(c.name);
            airlineClasses.add({s(sv.branch), s(sv.airline), cls, name});
        }
    }
    airlineClasses.flush();

    BatchInsert services(db, QStringLiteral("SERVICO"),
                         {QStringLiteral("CDSERVICO"), QStringLiteral("CDARVSERV"), QStringLiteral("DSSERVICO"),
                          QStringLiteral("SGUNIDADE"), QStringLiteral("IDSERVICO"), QStringLiteral("IDSERVESP"),
                          QStringLiteral("VRPESOSE"), QStringLiteral("IDFATSE"), QStringLiteral("IDTIPMANUAL"),
                          QStringLiteral("CDCLASSE"), QStringLiteral("IDCICLO"), QStringLiteral("IDTPPRECO")});
    for (const ServiceRow& sv : kServices)
        services.add({s(sv.code), s(sv.treeCode), s(sv.description), s(sv.unit), QStringLiteral("S"),
                      QLatin1String(sv.code) == QLatin1String("SV10") || QLatin1String(sv.code) == QLatin1String("SV12")
                          ? QStringLiteral("S")
                          : QStringLiteral("N"),
                      sv.weight, QStringLiteral("S"), s(sv.nationality), s(sv.serviceClass), s(sv.cycle),
                      s(sv.priceKind)});
    services.flush();

    // Each airline is offered the services of the classes it has at the branch.
    BatchInsert offered(
        db, QStringLiteral("SERVCIA"),
        {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("CDSERVICO"), QStringLiteral("IDATIVO")});
    for (const Served& sv : kServed)
        for (const ServiceRow& service : kServices)
            if (s(sv.classes).split(QLatin1Char(',')).contains(s(service.serviceClass)))
                offered.add({s(sv.branch), s(sv.airline), s(service.code), QStringLiteral("S")});
    offered.flush();

    BatchInsert flights = flightInserts(db);
    BatchInsert legs = legInserts(db);
    for (const Flight& f : kFlights) flights.add({s(f.branch), s(f.airline), s(f.number), s(f.nationality)});
    flights.flush();
    for (const Flight& f : kFlights) {
        for (const Leg& leg : f.legs)
            if (leg.code != nullptr)
                legs.add({s(f.branch), s(f.airline), s(f.number), s(leg.code), s(leg.from), s(leg.to)});
    }
    legs.flush();

    // The financial index: every banking day of 2026.
    BatchInsert index(db, QStringLiteral("INDICEFIN"), {QStringLiteral("DTINDICE"), QStringLiteral("VRINDICE")});
    QStringList holidays;
    for (const char* h : kHolidays2026) holidays << s(h);
    for (QDate d(kYear, 1, 1); d.year() == kYear; d = d.addDays(1)) {
        if (d.dayOfWeek() >= 6 || holidays.contains(dateText(d))) continue;
        const double rate = std::round((5.35 + 0.25 * std::sin(d.dayOfYear() / 40.0)) * 10000.0) / 10000.0;
        index.add({dateText(d), rate});
    }
    index.flush();

    // Emission places: Guarulhos has two, the airport counter with only 3 numbers left.
    exec(db, QStringLiteral("INSERT INTO LOCALEMISS (CDFILIAL, CDLOCALDELIV, NMLOCALDELIV) VALUES "
                            "('0001', '0001', 'Matriz Guarulhos'), ('0001', '0002', 'Balcão Aeroporto'), "
                            "('0002', '0001', 'Galeão Principal'), ('0003', '0001', 'Confins Principal')"));
}

// One price table per airline and branch for 2026, an inactive revision of one of them, the
// passenger intervals and proportional prices.
void insertPrices(Database& db)
{
    BatchInsert tables(db, QStringLiteral("TABPRECO"),
                       {QStringLiteral("CDTABPRECO"), QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"),
                        QStringLiteral("DSTABPRECO"), QStringLiteral("DTINIVIGEN"), QStringLiteral("DTFIMVIGEN"),
                        QStringLiteral("IDATIVO")});
    BatchInsert items(db, QStringLiteral("ITEMTABPRECO"),
                      {QStringLiteral("CDTABPRECO"), QStringLiteral("NRITEMTAB"), QStringLiteral("CDSERVICO"),
                       QStringLiteral("DTINIVIGEN"), QStringLiteral("DTFIMVIGEN"), QStringLiteral("VRPRECO"),
                       QStringLiteral("VRPRECODOL"), QStringLiteral("VRPRECOSBY"), QStringLiteral("VRPRECOSBYDOL"),
                       QStringLiteral("IDPROPORC")});
    BatchInsert intervals(db, QStringLiteral("FAIXAPAX"),
                          {QStringLiteral("CDTABPRECO"), QStringLiteral("NRFAIXA"), QStringLiteral("QTPAXINI"),
                           QStringLiteral("QTPAXFIN")});
    BatchInsert proportional(db, QStringLiteral("PRECOPROP"),
                             {QStringLiteral("CDTABPRECO"), QStringLiteral("NRFAIXA"), QStringLiteral("CDSERVICO"),
                              QStringLiteral("VRPRECO"), QStringLiteral("VRPRECODOL")});
    const QVariant none(QMetaType(QMetaType::Double));
    auto price = [&](double v) { return v > 0 ? QVariant(v) : none; };
    const auto round2 = [](double v) { return std::round(v * 100.0) / 100.0; };

    int table = 0;
    for (const Served& sv : kServed) {
        ++table;
        const QString branch = s(sv.branch);
        const QString airline = s(sv.airline);
        QString shortCode;
        for (const Airline& a : kAirlines)
            if (airline == QLatin1String(a.code)) shortCode = s(a.shortCode);
        tables.add({table, branch, airline, QStringLiteral("Tabela 2026 ") + shortCode, QStringLiteral("2026-01-01"),
                    QStringLiteral("2026-12-31"), QStringLiteral("S")});
        tables.flush();  // items refer to it
        // Each airline's contract differs a little from the next one's.
        const double factor = 1.0 + 0.04 * (table % 4);
        int item = 0;
        for (const ServiceRow& service : kServices) {
            if (QLatin1String(service.code) == QLatin1String("SV12")) continue;  // kosher: never priced
            const bool cabSnackRevision = branch == QLatin1String("0001") && airline == QLatin1String("0001")
                                          && QLatin1String(service.code) == QLatin1String("SV02");
            const bool zeroPriced = branch == QLatin1String("0001") && airline == QLatin1String("0002")
                                    && QLatin1String(service.code) == QLatin1String("SV10");
            const double local = zeroPriced ? 0.0 : round2(service.local * factor);
            const double dollar = zeroPriced ? 0.0 : round2(service.dollar * factor);
            items.add({table, ++item, s(service.code), QStringLiteral("2026-01-01"),
                       cabSnackRevision ? QStringLiteral("2026-11-16") : QStringLiteral("2026-12-31"),
                       zeroPriced ? QVariant(0.0) : price(local), price(dollar),
                       price(round2(service.standbyLocal * factor)), price(round2(service.standbyDollar * factor)),
                       service.proportional ? QStringLiteral("S") : QStringLiteral("N")});
            if (cabSnackRevision)  // the revision starts on the day the old price still holds
                items.add({table, ++item, s(service.code), QStringLiteral("2026-11-16"), QStringLiteral("2026-12-31"),
                           round2(local * 1.08), none, round2(service.standbyLocal * 1.08), none, QStringLiteral("N")});
        }
        // Passenger intervals; TRAPA at Guarulhos has two that overlap (140 to 150).
        const bool overlapping = branch == QLatin1String("0001") && airline == QLatin1String("0002");
        intervals.add({table, 1, 0, 150});
        intervals.add({table, 2, overlapping ? 140 : 151, 300});
        intervals.add({table, 3, 301, 999});
        intervals.flush();  // proportional prices refer to them
        // CAB at Guarulhos has no proportional price above 300 passengers.
        const bool missingTop = branch == QLatin1String("0001") && airline == QLatin1String("0001");
        for (int i = 0; i < 3; ++i) {
            if (missingTop && i == 2) continue;
            proportional.add({table, i + 1, QStringLiteral("SV13"), round2(kProportionalLocal[i] * factor), none});
            proportional.add({table, i + 1, QStringLiteral("SV28"), none, round2(kProportionalDollar[i] * factor)});
        }
    }
    // An inactive revision of LAA's table at Guarulhos, valid all year: never used.
    ++table;
    tables.add({table, QStringLiteral("0001"), QStringLiteral("0003"), QStringLiteral("Tabela 2026 LAA (revisão)"),
                QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"), QStringLiteral("N")});
    tables.flush();
    items.add({table, 1, QStringLiteral("SV01"), QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"), 99.99,
               none, none, none, QStringLiteral("N")});
    items.flush();
    intervals.flush();
    proportional.flush();
}

// VAS at Guarulhos: a second active table from 20 Nov, registered after the deliveries of
// the month were priced, so that pricing those days again finds two active tables.
void insertOverlappingTable(Database& db)
{
    exec(db, QStringLiteral("INSERT INTO TABPRECO (CDTABPRECO, CDFILIAL, CDCIA, DSTABPRECO, DTINIVIGEN, DTFIMVIGEN, "
                            "IDATIVO) VALUES (900, '0001', '0004', 'Tabela promocional fim de ano VAS', "
                            "'2026-11-20', '2026-12-31', 'S')"));
    exec(db, QStringLiteral("INSERT INTO ITEMTABPRECO (CDTABPRECO, NRITEMTAB, CDSERVICO, DTINIVIGEN, DTFIMVIGEN, "
                            "VRPRECO, IDPROPORC) VALUES (900, 1, 'SV01', '2026-11-20', '2026-12-31', 25.90, 'N')"));
}

struct Plan {
    SeedDelivery delivery;
    int passengers = 0;
};

}  // namespace

bool demoSeeded(Database& db)
{
    Sql q(db, QStringLiteral("SELECT COUNT(*) FROM FILIAL"));
    q.exec();
    return q.next() && q.value(0).toInt() > 0;
}

// November's flight plans and deliveries at every branch, the first week at Guarulhos
// invoiced, and the invoice-number ranges that follow from those numbers.
void seedDemoNovember(Database& db)
{
    Rng rng(20261101);
    SeedWriter writer(db);
    std::vector<Plan> plans;
    QHash<QString, int> sequence;  // per branch
    qint64 key = 1000;
    for (int day = 1; day <= QDate(kYear, kMonth, 1).daysInMonth(); ++day) {
        const QDate date(kYear, kMonth, day);
        for (const Flight& f : kFlights) {
            if (!QString::fromLatin1(f.weekdays).contains(QString::number(date.dayOfWeek()))) continue;
            for (const Leg& leg : f.legs) {
                if (leg.code == nullptr) continue;
                Plan p;
                SeedDelivery& d = p.delivery;
                d.key = ++key;
                d.branch = s(f.branch);
                d.airline = s(f.airline);
                d.flight = s(f.number);
                d.leg = s(leg.code);
                d.when = QDateTime(date, QTime(f.hour, f.minute), Qt::UTC);
                if (QLatin1String(leg.code) == QLatin1String("0002")) d.when = d.when.addSecs(95 * 60);
                d.kind = s(f.nationality);
                d.airportTaxPercent = d.kind == QLatin1String("2") ? 5.5 : 3.0;
                d.number = QStringLiteral("%1/%2").arg(++sequence[d.branch], 6, 10, QLatin1Char('0')).arg(kYear);
                p.passengers = d.kind == QLatin1String("2") ? rng.between(160, 290) : rng.between(60, 139);
                // The documented cases: TRAPA 2201 on 12 Nov falls where two intervals
                // overlap; CAB 1010 on 18 Nov has more passengers than CAB has prices for.
                if (d.airline == QLatin1String("0002") && d.flight == QLatin1String("2201") && day == 12)
                    p.passengers = 145;
                if (d.airline == QLatin1String("0001") && d.flight == QLatin1String("1010") && day == 18)
                    p.passengers = 320;
                plans.push_back(p);
                writer.addPlan({d.branch, d.airline, d.flight, d.leg, d.when, p.passengers});
            }
        }
    }
    writer.flushPlans();

    // The first week at Guarulhos is invoiced: the airport counter's first 7 numbers, then
    // the main office's from 1000. Every third invoiced delivery is closed (IDSITDEL "2").
    int counterNumbers = 0;
    qint64 mainNumber = 1000;
    int invoiced = 0;
    for (Plan& p : plans) {
        SeedDelivery& d = p.delivery;
        if (d.branch == QLatin1String("0001") && d.when.date().day() <= 7) {
            if (counterNumbers < 7) {
                d.place = QStringLiteral("0002");
                d.invoice = QString::number(5000 + counterNumbers++);
            } else {
                d.place = QStringLiteral("0001");
                d.invoice = QString::number(mainNumber++);
            }
            if (++invoiced % 3 == 0) d.situation = QStringLiteral("2");
        }
        // One closed delivery without a number (it cannot be marked either).
        if (d.branch == QLatin1String("0001") && d.airline == QLatin1String("0001") && d.flight == QLatin1String("1010")
            && d.when.date().day() == 10)
            d.situation = QStringLiteral("2");

        // The services: 3 to 12 of those offered for the delivery's kind that can be priced
        // that day, in catalogue order.
        Sql offered(db, QStringLiteral("SELECT SC.CDSERVICO, S.CDCLASSE FROM SERVCIA SC JOIN SERVICO S "
                                       "ON S.CDSERVICO = SC.CDSERVICO WHERE SC.CDFILIAL = :F AND SC.CDCIA = :C "
                                       "AND S.IDTIPMANUAL = :K ORDER BY S.CDARVSERV"));
        offered.bind(QStringLiteral(":F"), d.branch).bind(QStringLiteral(":C"), d.airline);
        offered.bind(QStringLiteral(":K"), d.kind);
        offered.exec();
        std::vector<std::pair<QString, QString>> candidates;
        while (offered.next()) {
            const QString service = offered.value(0).toString();
            if (writer.canPrice(d, service)) candidates.emplace_back(service, offered.value(1).toString());
        }
        const int wanted = std::min<int>(rng.between(3, 12), static_cast<int>(candidates.size()));
        std::vector<SeedLine> lines;
        for (int i = 0; i < static_cast<int>(candidates.size()) && static_cast<int>(lines.size()) < wanted; ++i) {
            const int left = static_cast<int>(candidates.size()) - i;
            const int need = wanted - static_cast<int>(lines.size());
            if (rng.between(1, left) > need) continue;  // an even choice of `wanted` services
            SeedLine line;
            line.service = candidates[static_cast<std::size_t>(i)].first;
            line.classGroup = candidates[static_cast<std::size_t>(i)].second;
            const bool meal = line.classGroup != QLatin1String("0004");
            line.quantity = line.classGroup == QLatin1String("0004") ? rng.between(4, 12)
                                                                     : rng.between(p.passengers / 3, p.passengers);
            line.standbyUsed = meal ? rng.between(0, 3) : 0;
            line.standbyUnused = meal ? rng.between(0, 2) : 0;
            line.situation = QString::number(rng.between(1, 4));
            lines.push_back(line);
        }
        d.maxServices = rng.between(1, 5) == 1 ? static_cast<int>(lines.size()) : 12;
        writer.addDelivery(d, lines);
    }
    writer.finish();

    exec(db,
         QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, NRPROXIMO) "
                        "VALUES ('0001', '0002', 1, 5000, 5009, 5007)"));
    Sql range(db, QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, "
                                 "NRPROXIMO) VALUES ('0001', '0001', 1, 1000, 1999, :P)"));
    range.bind(QStringLiteral(":P"), mainNumber);
    range.exec();
    exec(db,
         QStringLiteral("INSERT INTO FAIXANUMFAT (CDFILIAL, CDLOCALDELIV, NRSEQFAIXA, NRINICIAL, NRFINAL, NRPROXIMO) "
                        "VALUES ('0002', '0001', 1, 1, 99999, 1), ('0003', '0001', 1, 1, 99999, 1)"));
}

void seedDemo(Database& db)
{
    // In this order: each step may rely on what the ones before it wrote.
    insertReference(db);
    insertPrices(db);
    seedDemoNovember(db);
    // Topic steps (seed_demo_steps.h), each in a source of its own. They run before the
    // late price table, which must find every November delivery already priced.
    seedDemoDeliverySelection(db);
    seedDemoServiceEntry(db);
    seedDemoPostingCases(db);
    insertOverlappingTable(db);
}

}  // namespace server
