#pragma once
// The values of one service line, from its quantities and its prices.
//
//   stand-by used     PRECOSBYUT  = QTSESBYUTSP  x stand-by unit price     (service currency)
//   stand-by unused   PRECOSBYNUT = QTSESBYNUTSP x stand-by unit price     (service currency)
//   line total        VRTOTSERVR  = QTSERFATSP x unit price + both stand-by quantities x
//                                   stand-by price, in local currency; VRTOTSERVD the same
//                                   in dollars
// each product rounded to cents. A maintained price (VRPRECMANUTSESP) replaces the unit price
// in the service's own currency; the other currency follows at the rate of the table price.

#include "server/pricing.h"

#include <optional>

namespace server {

struct LineQuantities {
    double invoice = 0;        // QTSERFATSP
    double standbyUsed = 0;    // QTSESBYUTSP
    double standbyUnused = 0;  // QTSESBYNUTSP
};

struct LineValues {
    double unitLocal = 0;           // VRPRURESESP (table price)
    double unitDollar = 0;          // VRPRUDOLSESP (table price)
    double standbyUnit = 0;         // VRPRUSBYSP
    double standbyTotal = 0;        // QTSESBYPRSP
    double standbyUsedPrice = 0;    // PRECOSBYUT
    double standbyUnusedPrice = 0;  // PRECOSBYNUT
    double totalLocal = 0;          // VRTOTSERVR
    double totalDollar = 0;         // VRTOTSERVD
};

LineValues calculateLine(const LineQuantities& quantities, const Prices& prices, std::optional<double> maintainedPrice);

}  // namespace server
