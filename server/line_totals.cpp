#include "server/line_totals.h"

#include "server/rounding.h"

namespace server {

LineValues calculateLine(const LineQuantities& q, const Prices& p, std::optional<double> maintainedPrice)
{
    LineValues v;
    v.unitLocal = roundMoney(p.unitLocal);
    v.unitDollar = roundMoney(p.unitDollar);
    v.standbyUnit = roundMoney(p.standbyUnit());
    v.standbyTotal = roundQuantity(q.standbyUsed + q.standbyUnused);

    double chargedLocal = v.unitLocal;
    double chargedDollar = v.unitDollar;
    if (maintainedPrice) {
        const double own = p.international ? v.unitDollar : v.unitLocal;
        const double other = p.international ? v.unitLocal : v.unitDollar;
        const double converted = own > 0 ? *maintainedPrice * other / own : other;
        chargedLocal = p.international ? converted : *maintainedPrice;
        chargedDollar = p.international ? *maintainedPrice : converted;
    }

    v.standbyUsedPrice = roundMoney(q.standbyUsed * v.standbyUnit);
    v.standbyUnusedPrice = roundMoney(q.standbyUnused * v.standbyUnit);
    const double standbyQuantity = q.standbyUsed + q.standbyUnused;
    v.totalLocal = roundMoney(roundMoney(q.invoice * chargedLocal) + roundMoney(standbyQuantity * p.standbyLocal));
    v.totalDollar = roundMoney(roundMoney(q.invoice * chargedDollar) + roundMoney(standbyQuantity * p.standbyDollar));
    return v;
}

}  // namespace server
