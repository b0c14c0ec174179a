#include "server/seed_writer.h"

#include "server/delivery_totals.h"
#include "server/rounding.h"
#include "server/service_line.h"
#include "server/sql.h"

namespace server {

namespace {

constexpr int kDeliveriesPerBatch = 100;

QVariant text(const QString& s) { return s.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(s); }
QVariant stamp(const QDateTime& dt) { return QVariant(timestampText(dt)); }

QStringList lineInsertColumns()
{
    QStringList columns{QStringLiteral("NRDELIVERY")};
    for (const wire::FieldDef& f : serviceLineColumns()) columns << f.name;
    return columns;
}

// The class-cycle code a line carries for the cycle text of its service.
QString cycleCode(const QString& cycle)
{
    if (cycle == QLatin1String("IDA")) return QStringLiteral("0001");
    if (cycle == QLatin1String("VOLTA")) return QStringLiteral("0002");
    return QStringLiteral("0003");
}

}  // namespace

BatchInsert flightInserts(Database& db)
{
    return BatchInsert(
        db, QStringLiteral("VOO"),
        {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("NRVOO"), QStringLiteral("IDTIPNACVOO")});
}

BatchInsert legInserts(Database& db)
{
    return BatchInsert(db, QStringLiteral("TRECHO"),
                       {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("NRVOO"),
                        QStringLiteral("CDTRECHO"), QStringLiteral("SGAEROORI"), QStringLiteral("SGAERODES")});
}

SeedWriter::SeedWriter(Database& db)
    : db_(db),
      pricing_(db),
      plans_(db, QStringLiteral("PLANOVOO"),
             {QStringLiteral("CDFILIAL"), QStringLiteral("CDCIA"), QStringLiteral("NRVOO"), QStringLiteral("CDTRECHO"),
              QStringLiteral("DTHRPLAVOOPV"), QStringLiteral("QTPAX")}),
      deliveries_(
          db, QStringLiteral("DELIVERY"),
          {QStringLiteral("NRDELIVERY"), QStringLiteral("CDFILIAL"), QStringLiteral("NUMERO"), QStringLiteral("CDCIA"),
           QStringLiteral("NRVOO"), QStringLiteral("CDTRECHO"), QStringLiteral("DTHRPLAVOOPV"),
           QStringLiteral("IDSITDEL"), QStringLiteral("IDTIPNACDEL"), QStringLiteral("NRDELIVERYFA"),
           QStringLiteral("CDLOCALDELIV"), QStringLiteral("DTHRFATUR"), QStringLiteral("CDLOCAFATCIA"),
           QStringLiteral("VRPETXAERO"), QStringLiteral("VRBACATX"), QStringLiteral("VRTXAERO"),
           QStringLiteral("VRTOTDESC"), QStringLiteral("VRTOTDELIV"), QStringLiteral("NRMAXSERVDEL")}),
      lines_(db, QStringLiteral("SERVDEL"), lineInsertColumns()),
      register_(db, QStringLiteral("REGNUMFAT"),
                {QStringLiteral("CDFILIAL"), QStringLiteral("CDLOCALDELIV"), QStringLiteral("NRDELIVERYFA"),
                 QStringLiteral("NRDELIVERY"), QStringLiteral("IDOPERACAO"), QStringLiteral("DTHROPERACAO")})
{
    Sql s(db, QStringLiteral("SELECT S.CDSERVICO, S.IDTIPMANUAL, S.IDTPPRECO, S.VRPESOSE, S.CDCLASSE, S.IDCICLO "
                             "FROM SERVICO S"));
    s.exec();
    while (s.next()) {
        Service info;
        info.nationality = s.value(1).toString();
        info.priceKind = s.value(2).toString();
        if (!s.isNull(3)) info.weight = s.value(3).toDouble();
        info.serviceClass = s.value(4).toString();
        info.cycle = s.value(5).toString();
        services_.insert(s.value(0).toString(), info);
    }
    Sql p(db, QStringLiteral("SELECT DISTINCT CDSERVICO FROM ITEMTABPRECO WHERE IDPROPORC = 'S'"));
    p.exec();
    while (p.next()) proportional_.insert(p.value(0).toString());
    Sql d(db, QStringLiteral("SELECT CDFILIAL, CDCIA, VRPEDESCCIA, CDLOCAFATCIA FROM CIAFILI"));
    d.exec();
    while (d.next()) {
        const QString key = d.value(0).toString() + QLatin1Char('|') + d.value(1).toString();
        discounts_.insert(key, d.value(2).toDouble());
        billingPlaces_.insert(key, d.value(3).toString());
    }
}

void SeedWriter::addPlan(const SeedPlan& plan)
{
    plans_.add({plan.branch, plan.airline, plan.flight, plan.leg, stamp(plan.when), plan.passengers});
}

void SeedWriter::flushPlans() { plans_.flush(); }

std::optional<Prices> SeedWriter::pricesFor(const SeedDelivery& delivery, const QString& service)
{
    // Prices depend on the day only, except proportional ones (the leg's passengers).
    const QString& airline = delivery.pricedAs.isEmpty() ? delivery.airline : delivery.pricedAs;
    QString key = delivery.branch + QLatin1Char('|') + airline + QLatin1Char('|') + service + QLatin1Char('|')
                  + delivery.when.date().toString(Qt::ISODate);
    if (proportional_.contains(service))
        key += QLatin1Char('|') + delivery.flight + QLatin1Char('|') + delivery.leg + QLatin1Char('|')
               + timestampText(delivery.when);
    const auto it = memo_.constFind(key);
    if (it != memo_.constEnd()) return *it;

    PriceRequest r;
    r.branch = delivery.branch;
    r.airline = airline;
    r.flight = delivery.flight;
    r.leg = delivery.leg;
    r.flightDate = delivery.when;
    r.priceDate = delivery.when;
    r.service = service;
    r.nationality = services_.value(service).nationality;
    std::optional<Prices> prices;
    try {
        prices = pricing_.price(r);
    } catch (const PricingError&) {
        prices.reset();
    }
    memo_.insert(key, prices);
    return prices;
}

bool SeedWriter::canPrice(const SeedDelivery& delivery, const QString& service)
{
    return services_.contains(service) && pricesFor(delivery, service).has_value();
}

void SeedWriter::addDelivery(const SeedDelivery& d, const std::vector<SeedLine>& lines)
{
    const bool dollars = d.kind == QLatin1String("2");
    std::vector<double> totals;
    int item = 0;
    for (const SeedLine& line : lines) {
        const std::optional<Prices> prices = pricesFor(d, line.service);
        if (!prices)
            throw ServerFailure(QStringLiteral("Carga: o serviço %1 não tem preço em %2.")
                                    .arg(line.service, d.when.toString(Qt::ISODate)));
        const Service& info = services_[line.service];
        const double quantity = roundQuantity(line.quantity);
        const double invoice = info.priceKind == QLatin1String("2") ? 1.0 : quantity;
        const LineValues v =
            calculateLine({invoice, line.standbyUsed, line.standbyUnused}, *prices, line.maintainedPrice);
        totals.push_back(dollars ? v.totalDollar : v.totalLocal);
        ++item;
        const QDateTime chosen = d.when.addDays(-2);
        pendingLines_.push_back({
            d.key,
            item,
            line.service,
            text(QStringLiteral("0003")),
            text(line.classGroup),
            text(info.serviceClass),
            text(cycleCode(info.cycle)),
            text(line.situation),
            0.0,
            QStringLiteral("1"),
            invoice,   // QTSESOLICSP: planned lines are requested quantities
            0.0,       // QTSERVFIXSP
            quantity,  // QTATUAPRODSP
            invoice,   // QTSERFATSP
            line.standbyUsed,
            line.standbyUnused,
            v.standbyTotal,
            quantity,  // QTANTAPRODSP
            0.0,       // QTCORTSERVSP
            quantity,  // QTREALPROD
            info.weight ? QVariant(*info.weight) : QVariant(QMetaType(QMetaType::Double)),
            info.nationality,
            QStringLiteral("0"),
            QStringLiteral("0"),
            QStringLiteral("PLANEJAMENTO"),
            stamp(chosen),
            v.unitLocal,
            v.unitDollar,
            v.standbyUnit,
            v.standbyUsedPrice,
            v.standbyUnusedPrice,
            v.totalLocal,
            v.totalDollar,
            line.maintainedPrice ? QVariant(*line.maintainedPrice) : QVariant(QMetaType(QMetaType::Double)),
            text(info.priceKind),
        });
    }

    const double discount = discounts_.value(d.branch + QLatin1Char('|') + d.airline, 0.0);
    const DeliveryTotals t = calculateDelivery(totals, d.airportTaxPercent, discount);
    const bool invoiced = !d.invoice.isEmpty();
    deliveries_.add({d.key, d.branch, d.number, d.airline, d.flight, d.leg, stamp(d.when), d.situation, d.kind,
                     text(d.invoice), text(invoiced ? d.place : QString()),
                     invoiced ? stamp(d.when.addDays(1)) : QVariant(QMetaType(QMetaType::QString)),
                     text(billingPlaces_.value(d.branch + QLatin1Char('|') + d.airline)), d.airportTaxPercent, t.base,
                     t.airportTax, t.discount, t.total, d.maxServices});
    if (invoiced) register_.add({d.branch, d.place, d.invoice, d.key, QStringLiteral("E"), stamp(d.when.addDays(1))});
    ++deliveryCount_;
    if (++deliveriesInBatch_ >= kDeliveriesPerBatch) sendPendingLines();
}

void SeedWriter::sendPendingLines()
{
    // A delivery needs its plan stored first, a line its delivery (foreign keys).
    plans_.flush();
    deliveries_.flush();
    for (auto& row : pendingLines_) lines_.add(std::move(row));
    pendingLines_.clear();
    deliveriesInBatch_ = 0;
}

void SeedWriter::finish()
{
    plans_.flush();
    sendPendingLines();
    lines_.flush();
    register_.flush();
}

}  // namespace server
