#pragma once
// Money is rounded to cents and quantities to thousandths, half away from zero, the same way
// the client rounds (Consiste::RoundDec).

namespace server {

double roundMoney(double value);
double roundQuantity(double value);

}  // namespace server
