#pragma once
// The coded failure texts of pricing, which the client turns into its own catalogue
// messages: a marker, the 10-character message key, the argument padded to its width, "*".
//   "#" + key + airline short code in 5 characters + "*"   (airline messages)
//   "¿" + key + service code in 20 characters + "*"        (service messages)

#include "server/database.h"

#include <QString>

namespace server {

enum class PricingFailure {
    MoreThanOneActiveTable,    // EVoo_valta
    MoreThanOneInterval,       // Evoo_Inter
    TwoPricesForDay,           // Eser_Preco
    NoProportionalPrice,       // Eser_Prepr
    NoPriceForDate,            // Eser_PreDa
    NationalOnlyInDollars,     // Eser_IndFi
    InternationalOnlyInLocal,  // Eser_CAdRe
};

QString pricingFailureKey(PricingFailure failure);
QString codedErrorText(PricingFailure failure, const QString& argument);

// A pricing failure; its message is the coded text.
class PricingError : public ServerFailure {
public:
    PricingError(PricingFailure failure, const QString& argument);
    PricingFailure failure() const { return failure_; }

private:
    PricingFailure failure_;
};

}  // namespace server
