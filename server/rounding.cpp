#include "server/rounding.h"

#include "framework/units/core/consiste_text.h"

namespace server {

double roundMoney(double value) { return Consiste::RoundDec(value, 2); }
double roundQuantity(double value) { return Consiste::RoundDec(value, 3); }

}  // namespace server
