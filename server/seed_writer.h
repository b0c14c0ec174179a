#pragma once
// Writes seeded flight plans, deliveries and their service lines in batches. Every line is
// priced by the same Pricing the methods use and every delivery's totals are calculated
// from its lines, so seeded data is exactly what the server itself would have stored.

#include "server/batch_insert.h"
#include "server/database.h"
#include "server/line_totals.h"
#include "server/pricing.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace server {

struct SeedPlan {
    QString branch, airline, flight, leg;
    QDateTime when;
    int passengers = 0;
};

struct SeedDelivery {
    qint64 key = 0;
    QString branch, number, airline, flight, leg;
    QDateTime when;
    QString kind;  // IDTIPNACDEL
    QString situation = QStringLiteral("1");
    double airportTaxPercent = 0;
    int maxServices = 12;
    QString invoice;   // empty: not invoiced
    QString place;     // emission place of the invoice
    QString pricedAs;  // an airline with the same price tables (a cheaper memo key); empty: its own
};

struct SeedLine {
    QString service;
    double quantity = 0;  // QTATUAPRODSP
    double standbyUsed = 0;
    double standbyUnused = 0;
    std::optional<double> maintainedPrice;
    QString situation = QStringLiteral("1");
    QString classGroup;  // CDAGRDEDE (a class of the airline)
};

// Seeded flights (VOO: branch, airline, number, kind) and their legs (TRECHO: branch,
// airline, number, leg, from, to), in that column order.
BatchInsert flightInserts(Database& db);
BatchInsert legInserts(Database& db);

class SeedWriter {
public:
    explicit SeedWriter(Database& db);

    // Plans are sent before the deliveries that refer to them.
    void addPlan(const SeedPlan& plan);
    // Sends the plans now: needed before pricing a proportional service of their legs.
    void flushPlans();

    // Whether the line can be priced for this delivery today (the lines that cannot are
    // left out of seeded deliveries).
    bool canPrice(const SeedDelivery& delivery, const QString& service);
    // Proportional services are priced by the leg's passengers: their plan must be sent.
    bool isProportional(const QString& service) const { return proportional_.contains(service); }
    // The delivery with its lines (each priced); the lines must be priceable.
    void addDelivery(const SeedDelivery& delivery, const std::vector<SeedLine>& lines);
    void finish();

    qint64 deliveriesWritten() const { return deliveryCount_; }

private:
    struct Service {
        QString nationality;
        QString priceKind;
        std::optional<double> weight;
        QString serviceClass;
        QString cycle;
    };
    std::optional<Prices> pricesFor(const SeedDelivery& delivery, const QString& service);
    void sendPendingLines();

    Database& db_;
    Pricing pricing_;
    QHash<QString, Service> services_;
    QSet<QString> proportional_;
    QHash<QString, double> discounts_;       // branch|airline
    QHash<QString, QString> billingPlaces_;  // branch|airline
    QHash<QString, std::optional<Prices>> memo_;
    BatchInsert plans_;
    BatchInsert deliveries_;
    BatchInsert lines_;
    BatchInsert register_;
    std::vector<std::vector<QVariant>> pendingLines_;
    int deliveriesInBatch_ = 0;
    qint64 deliveryCount_ = 0;
};

}  // namespace server
