#include "server/pricing.h"

#include "server/rounding.h"
#include "server/sql.h"

namespace server {

namespace {

std::optional<double> number(const Sql& q, int column)
{
    if (q.isNull(column)) return std::nullopt;
    return q.value(column).toDouble();
}

// A price that is absent or zero does not count as a price.
bool given(std::optional<double> v) { return v && *v > 0; }

// Runs the statement, which must select exactly one row: `read` takes it; none or more than
// one is the failure given for each case.
template <class Read, class Fail>
void exactlyOne(Sql& q, PricingFailure none, PricingFailure many, const Fail& fail, const Read& read)
{
    q.exec();
    int count = 0;
    while (q.next())
        if (count++ == 0) read(q);
    q.finish();
    if (count > 1) throw fail(many);
    if (count == 0) throw fail(none);
}

}  // namespace

std::variant<PricePair, PricingFailure> convertPrice(std::optional<double> local, std::optional<double> dollar,
                                                     std::optional<double> dollarRate, bool international,
                                                     bool required)
{
    const bool hasLocal = given(local);
    const bool hasDollar = given(dollar);
    const bool hasRate = given(dollarRate);
    if (!hasLocal && !hasDollar) {
        if (required) return PricingFailure::NoPriceForDate;
        return PricePair{};
    }
    PricePair pair;
    pair.local = hasLocal ? roundMoney(*local) : 0.0;
    pair.dollar = hasDollar ? roundMoney(*dollar) : 0.0;
    if (!hasLocal) {
        // A national service is charged in local currency: it cannot do without the index.
        if (hasRate)
            pair.local = roundMoney(*dollar * *dollarRate);
        else if (!international)
            return PricingFailure::NationalOnlyInDollars;
    }
    if (!hasDollar) {
        if (hasRate)
            pair.dollar = roundMoney(*local / *dollarRate);
        else if (international)
            return PricingFailure::InternationalOnlyInLocal;
    }
    return pair;
}

struct Pricing::Statements {
    explicit Statements(Database& db)
        : airline(db, QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA = :C")),
          rate(db, QStringLiteral("SELECT VRINDICE FROM INDICEFIN WHERE DTINDICE = :D")),
          service(db, QStringLiteral("SELECT CDARVSERV, IDTIPMANUAL FROM SERVICO WHERE CDSERVICO = :S")),
          tables(db, QStringLiteral("SELECT CDTABPRECO FROM TABPRECO "
                                    "WHERE CDFILIAL = :F AND CDCIA = :C AND IDATIVO = 'S' "
                                    "AND DTINIVIGEN <= :D1 AND (DTFIMVIGEN IS NULL OR DTFIMVIGEN >= :D2)")),
          items(db, QStringLiteral("SELECT VRPRECO, VRPRECODOL, VRPRECOSBY, VRPRECOSBYDOL, IDPROPORC "
                                   "FROM ITEMTABPRECO WHERE CDTABPRECO = :T AND CDSERVICO = :S "
                                   "AND DTINIVIGEN <= :D1 AND (DTFIMVIGEN IS NULL OR DTFIMVIGEN >= :D2)")),
          passengers(db, QStringLiteral("SELECT QTPAX FROM PLANOVOO WHERE CDFILIAL = :F AND CDCIA = :C "
                                        "AND NRVOO = :V AND CDTRECHO = :T AND DTHRPLAVOOPV = :D")),
          intervals(db, QStringLiteral("SELECT NRFAIXA FROM FAIXAPAX WHERE CDTABPRECO = :T "
                                       "AND QTPAXINI <= :P1 AND QTPAXFIN >= :P2")),
          proportional(db, QStringLiteral("SELECT VRPRECO, VRPRECODOL FROM PRECOPROP "
                                          "WHERE CDTABPRECO = :T AND NRFAIXA = :N AND CDSERVICO = :S"))
    {}
    Sql airline, rate, service, tables, items, passengers, intervals, proportional;
};

Pricing::Pricing(Database& db) : db_(db), st_(std::make_unique<Statements>(db)) {}

Pricing::~Pricing() = default;

QString Pricing::airlineShortCode(const QString& airline)
{
    Sql& q = st_->airline;
    q.bind(QStringLiteral(":C"), airline);
    q.exec();
    const QString code = q.next() ? q.value(0).toString() : airline;
    q.finish();
    return code;
}

std::optional<double> Pricing::dollarRate(QDate day)
{
    Sql& q = st_->rate;
    q.bindDate(QStringLiteral(":D"), day);
    q.exec();
    const std::optional<double> rate = q.next() ? number(q, 0) : std::nullopt;
    q.finish();
    return rate;
}

struct Pricing::Item {
    qint64 table = 0;
    std::optional<double> local, dollar, standbyLocal, standbyDollar;
    bool proportional = false;
};

struct Pricing::Request {
    const PriceRequest& in;
    QDate day;
    QString serviceCode;  // as the operator knows it (CDARVSERV), for messages
    bool international = false;
    Pricing* pricing = nullptr;

    // The failure, naming the airline or the service as its code requires.
    PricingError operator()(PricingFailure f) const
    {
        const bool airline = f == PricingFailure::MoreThanOneActiveTable || f == PricingFailure::MoreThanOneInterval;
        return PricingError(f, airline ? pricing->airlineShortCode(in.airline) : serviceCode);
    }
};

Prices Pricing::price(const PriceRequest& in)
{
    Request r{in, in.priceDate.date(), in.service, false, this};
    // The service: its code as the operator knows it and its nationality (when not given).
    QString nationality = in.nationality.trimmed();
    {
        Sql& q = st_->service;
        q.bind(QStringLiteral(":S"), in.service);
        q.exec();
        if (q.next()) {
            r.serviceCode = q.value(0).toString();
            if (nationality.isEmpty()) nationality = q.value(1).toString();
        }
        q.finish();
    }
    r.international = nationality == QLatin1String("2");

    const qint64 table = activeTable(r);
    Item item = tableItem(r, table);
    if (item.proportional) {
        priceByPassengers(r, item);
        if (!given(item.local) && !given(item.dollar)) throw r(PricingFailure::NoProportionalPrice);
    }
    return converted(r, item);
}

// The airline's active table valid that day: exactly one.
qint64 Pricing::activeTable(const Request& r)
{
    Sql& q = st_->tables;
    q.bind(QStringLiteral(":F"), r.in.branch).bind(QStringLiteral(":C"), r.in.airline);
    q.bindDate(QStringLiteral(":D1"), r.day).bindDate(QStringLiteral(":D2"), r.day);
    qint64 table = 0;
    exactlyOne(q, PricingFailure::NoPriceForDate, PricingFailure::MoreThanOneActiveTable, r,
               [&](const Sql& row) { table = row.value(0).toLongLong(); });
    return table;
}

// The table's item for the service valid that day: exactly one.
Pricing::Item Pricing::tableItem(const Request& r, qint64 table)
{
    Sql& q = st_->items;
    q.bind(QStringLiteral(":T"), table).bind(QStringLiteral(":S"), r.in.service);
    q.bindDate(QStringLiteral(":D1"), r.day).bindDate(QStringLiteral(":D2"), r.day);
    Item item;
    exactlyOne(q, PricingFailure::NoPriceForDate, PricingFailure::TwoPricesForDay, r, [&](const Sql& row) {
        item = Item{table,          number(row, 0), number(row, 1),
                    number(row, 2), number(row, 3), row.value(4).toString() == QLatin1String("S")};
    });
    return item;
}

// A proportional item's price: that of the interval holding the leg's passenger count.
void Pricing::priceByPassengers(const Request& r, Item& item)
{
    Sql& plan = st_->passengers;
    plan.bind(QStringLiteral(":F"), r.in.branch).bind(QStringLiteral(":C"), r.in.airline);
    plan.bind(QStringLiteral(":V"), r.in.flight).bind(QStringLiteral(":T"), r.in.leg);
    plan.bindTimestamp(QStringLiteral(":D"), r.in.flightDate);
    qint64 passengers = 0;
    exactlyOne(plan, PricingFailure::NoProportionalPrice, PricingFailure::NoProportionalPrice, r,
               [&](const Sql& row) { passengers = row.value(0).toLongLong(); });

    Sql& intervals = st_->intervals;
    intervals.bind(QStringLiteral(":T"), item.table).bind(QStringLiteral(":P1"), passengers);
    intervals.bind(QStringLiteral(":P2"), passengers);
    qint64 interval = 0;
    exactlyOne(intervals, PricingFailure::NoProportionalPrice, PricingFailure::MoreThanOneInterval, r,
               [&](const Sql& row) { interval = row.value(0).toLongLong(); });

    Sql& price = st_->proportional;
    price.bind(QStringLiteral(":T"), item.table).bind(QStringLiteral(":N"), interval);
    price.bind(QStringLiteral(":S"), r.in.service);
    exactlyOne(price, PricingFailure::NoProportionalPrice, PricingFailure::NoProportionalPrice, r, [&](const Sql& row) {
        item.local = number(row, 0);
        item.dollar = number(row, 1);
    });
}

// Both currencies of the unit and stand-by prices; the index is read only when some price is
// in one currency only.
Prices Pricing::converted(const Request& r, const Item& item)
{
    std::optional<double> rate;
    const bool needRate =
        given(item.local) != given(item.dollar) || given(item.standbyLocal) != given(item.standbyDollar);
    if (needRate) rate = dollarRate(r.day);

    Prices prices;
    prices.international = r.international;
    const auto unit = convertPrice(item.local, item.dollar, rate, r.international, true);
    if (const auto* f = std::get_if<PricingFailure>(&unit)) throw r(*f);
    prices.unitLocal = std::get<PricePair>(unit).local;
    prices.unitDollar = std::get<PricePair>(unit).dollar;
    const auto standby = convertPrice(item.standbyLocal, item.standbyDollar, rate, r.international, false);
    if (const auto* f = std::get_if<PricingFailure>(&standby)) throw r(*f);
    prices.standbyLocal = std::get<PricePair>(standby).local;
    prices.standbyDollar = std::get<PricePair>(standby).dollar;
    return prices;
}

}  // namespace server
