#include "server/coded_error_text.h"

namespace server {

namespace {

constexpr int kAirlineWidth = 5;
constexpr int kServiceWidth = 20;

bool namesAirline(PricingFailure failure)
{
    return failure == PricingFailure::MoreThanOneActiveTable || failure == PricingFailure::MoreThanOneInterval;
}

}  // namespace

QString pricingFailureKey(PricingFailure failure)
{
    switch (failure) {
    case PricingFailure::MoreThanOneActiveTable: return QStringLiteral("EVoo_valta");
    case PricingFailure::MoreThanOneInterval: return QStringLiteral("Evoo_Inter");
    case PricingFailure::TwoPricesForDay: return QStringLiteral("Eser_Preco");
    case PricingFailure::NoProportionalPrice: return QStringLiteral("Eser_Prepr");
    case PricingFailure::NoPriceForDate: return QStringLiteral("Eser_PreDa");
    case PricingFailure::NationalOnlyInDollars: return QStringLiteral("Eser_IndFi");
    case PricingFailure::InternationalOnlyInLocal: return QStringLiteral("Eser_CAdRe");
    }
    return {};
}

QString codedErrorText(PricingFailure failure, const QString& argument)
{
    const bool airline = namesAirline(failure);
    const int width = airline ? kAirlineWidth : kServiceWidth;
    // The argument fills exactly its width; a "*" inside it would end it early.
    QString arg = argument.left(width);
    arg.replace(QLatin1Char('*'), QLatin1Char(' '));
    return (airline ? QStringLiteral("#") : QStringLiteral("\u00BF")) + pricingFailureKey(failure)
           + arg.leftJustified(width, QLatin1Char(' ')) + QLatin1Char('*');
}

PricingError::PricingError(PricingFailure failure, const QString& argument)
    : ServerFailure(codedErrorText(failure, argument)), failure_(failure)
{}

}  // namespace server
