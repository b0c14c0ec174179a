#pragma once
// Pricing of one service line, as CalculaPreco answers it and SetServicoDel applies it.
//
// The price comes from the airline's price table at the branch that is active and valid on
// the price date (exactly one), and from that table's item for the service valid on that
// date (exactly one). A proportional item takes its price from the passenger-count interval
// that holds the flight leg's passengers. A price given in one currency only is converted
// with the financial index of the price date (local currency per dollar). Failures are
// PricingError with the coded text of the failure.

#include "server/coded_error_text.h"
#include "server/database.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

namespace server {

struct PriceRequest {
    QString branch;
    QString airline;       // CDCIA
    QString flight;        // NRVOO
    QString leg;           // CDTRECHO
    QDateTime flightDate;  // the flight plan of the leg (its passenger count)
    QString classCode;     // accepted; the price tables are per service, whatever its class
    QDateTime priceDate;   // the day whose price table, items and index apply
    QString service;       // CDSERVICO
    QString nationality;   // "2" international, "1" national; empty: the service's own
};

struct Prices {
    double unitLocal = 0;
    double unitDollar = 0;
    double standbyLocal = 0;
    double standbyDollar = 0;
    bool international = false;
    // The stand-by unit price in the service's own currency (VRPRUSBYSP).
    double standbyUnit() const { return international ? standbyDollar : standbyLocal; }
};

// A price given in one or both currencies, converted to both. `required`: a price must
// exist (the unit price); otherwise a missing price is zero (stand-by).
struct PricePair {
    double local = 0;
    double dollar = 0;
};
std::variant<PricePair, PricingFailure> convertPrice(std::optional<double> local, std::optional<double> dollar,
                                                     std::optional<double> dollarRate, bool international,
                                                     bool required);

// Keeps its statements prepared: one Pricing serves many lines of a save or a seed.
class Pricing {
public:
    explicit Pricing(Database& db);
    ~Pricing();
    Pricing(const Pricing&) = delete;
    Pricing& operator=(const Pricing&) = delete;

    Prices price(const PriceRequest& request);

private:
    struct Statements;
    struct Request;  // one request being priced, with what its failures name
    struct Item;     // the table item that prices the service

    qint64 activeTable(const Request& r);
    Item tableItem(const Request& r, qint64 table);
    void priceByPassengers(const Request& r, Item& item);
    Prices converted(const Request& r, const Item& item);
    QString airlineShortCode(const QString& airline);
    std::optional<double> dollarRate(QDate day);

    Database& db_;
    std::unique_ptr<Statements> st_;
};

}  // namespace server
