#include "server/delivery_totals.h"

#include "server/rounding.h"

namespace server {

DeliveryTotals calculateDelivery(std::span<const double> lineTotals, double airportTaxPercent, double discountPercent)
{
    DeliveryTotals t;
    double sum = 0;
    for (const double line : lineTotals) sum += roundMoney(line);
    t.base = roundMoney(sum);
    t.airportTax = roundMoney(t.base * airportTaxPercent / 100.0);
    t.discount = roundMoney(t.base * discountPercent / 100.0);
    t.total = roundMoney(t.base + t.airportTax - t.discount);
    return t;
}

}  // namespace server
