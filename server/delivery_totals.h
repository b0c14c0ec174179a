#pragma once
// The totals of a delivery, from its lines, in the delivery's currency (IDTIPNACDEL "2":
// dollars, otherwise local currency):
//   VRBACATX   = sum of the line totals
//   VRTXAERO   = VRBACATX x VRPETXAERO / 100          (airport tax)
//   VRTOTDESC  = VRBACATX x airline discount rate / 100
//   VRTOTDELIV = VRBACATX + VRTXAERO - VRTOTDESC
// each rounded to cents.

#include <span>

namespace server {

struct DeliveryTotals {
    double base = 0;        // VRBACATX
    double airportTax = 0;  // VRTXAERO
    double discount = 0;    // VRTOTDESC
    double total = 0;       // VRTOTDELIV
};

DeliveryTotals calculateDelivery(std::span<const double> lineTotals, double airportTaxPercent, double discountPercent);

}  // namespace server
