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

struct Item {
    qint64 table = 0;
    std::optional<double> local, dollar, standbyLocal, standbyDollar;
    bool proportional = false;
};

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
    {
    }
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

Prices Pricing::price(const PriceRequest& r)
{
    const QDate day = r.priceDate.date();

    // The service: its code as the operator knows it (for messages) and its nationality.
    QString serviceCode = r.service;
    QString nationality = r.nationality.trimmed();
    {
        Sql& q = st_->service;
        q.bind(QStringLiteral(":S"), r.service);
        q.exec();
        if (q.next()) {
            serviceCode = q.value(0).toString();
            if (nationality.isEmpty()) nationality = q.value(1).toString();
        }
        q.finish();
    }
    const bool international = nationality == QLatin1String("2");
    auto fail = [&](PricingFailure f) -> PricingError {
        const bool airline = f == PricingFailure::MoreThanOneActiveTable || f == PricingFailure::MoreThanOneInterval;
        return PricingError(f, airline ? airlineShortCode(r.airline) : serviceCode);
    };

    // The active table valid that day.
    qint64 table = 0;
    {
        Sql& q = st_->tables;
        q.bind(QStringLiteral(":F"), r.branch).bind(QStringLiteral(":C"), r.airline);
        q.bindDate(QStringLiteral(":D1"), day).bindDate(QStringLiteral(":D2"), day);
        q.exec();
        int count = 0;
        while (q.next()) {
            table = q.value(0).toLongLong();
            ++count;
        }
        if (count > 1) throw fail(PricingFailure::MoreThanOneActiveTable);
        if (count == 0) throw fail(PricingFailure::NoPriceForDate);
    }

    // The item of the service valid that day.
    Item item;
    {
        Sql& q = st_->items;
        q.bind(QStringLiteral(":T"), table).bind(QStringLiteral(":S"), r.service);
        q.bindDate(QStringLiteral(":D1"), day).bindDate(QStringLiteral(":D2"), day);
        q.exec();
        int count = 0;
        while (q.next()) {
            item = Item{table, number(q, 0), number(q, 1), number(q, 2), number(q, 3),
                        q.value(4).toString() == QLatin1String("S")};
            ++count;
        }
        if (count > 1) throw fail(PricingFailure::TwoPricesForDay);
        if (count == 0) throw fail(PricingFailure::NoPriceForDate);
    }

    // A proportional item is priced by the interval holding the leg's passenger count.
    if (item.proportional) {
        std::optional<qint64> passengers;
        {
            Sql& q = st_->passengers;
            q.bind(QStringLiteral(":F"), r.branch).bind(QStringLiteral(":C"), r.airline);
            q.bind(QStringLiteral(":V"), r.flight).bind(QStringLiteral(":T"), r.leg);
            q.bindTimestamp(QStringLiteral(":D"), r.flightDate);
            q.exec();
            if (q.next()) passengers = q.value(0).toLongLong();
            q.finish();
        }
        if (!passengers) throw fail(PricingFailure::NoProportionalPrice);
        qint64 interval = 0;
        {
            Sql& q = st_->intervals;
            q.bind(QStringLiteral(":T"), table).bind(QStringLiteral(":P1"), *passengers);
            q.bind(QStringLiteral(":P2"), *passengers);
            q.exec();
            int count = 0;
            while (q.next()) {
                interval = q.value(0).toLongLong();
                ++count;
            }
            if (count > 1) throw fail(PricingFailure::MoreThanOneInterval);
            if (count == 0) throw fail(PricingFailure::NoProportionalPrice);
        }
        Sql& q = st_->proportional;
        q.bind(QStringLiteral(":T"), table).bind(QStringLiteral(":N"), interval).bind(QStringLiteral(":S"), r.service);
        q.exec();
        const bool found = q.next();
        if (found) {
            item.local = number(q, 0);
            item.dollar = number(q, 1);
        }
        q.finish();
        if (!found) throw fail(PricingFailure::NoProportionalPrice);
        if (!given(item.local) && !given(item.dollar)) throw fail(PricingFailure::NoProportionalPrice);
    }

    // The index is read only when some price is in one currency only.
    std::optional<double> rate;
    const bool needRate = given(item.local) != given(item.dollar) ||
                          given(item.standbyLocal) != given(item.standbyDollar);
    if (needRate) rate = dollarRate(day);

    Prices prices;
    prices.international = international;
    const auto unit = convertPrice(item.local, item.dollar, rate, international, true);
    if (const auto* f = std::get_if<PricingFailure>(&unit)) throw fail(*f);
    prices.unitLocal = std::get<PricePair>(unit).local;
    prices.unitDollar = std::get<PricePair>(unit).dollar;
    const auto standby = convertPrice(item.standbyLocal, item.standbyDollar, rate, international, false);
    if (const auto* f = std::get_if<PricingFailure>(&standby)) throw fail(*f);
    prices.standbyLocal = std::get<PricePair>(standby).local;
    prices.standbyDollar = std::get<PricePair>(standby).dollar;
    return prices;
}

}  // namespace server
