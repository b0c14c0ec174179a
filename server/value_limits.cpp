#include "server/value_limits.h"

#include <QLocale>

#include <cmath>

namespace server::limits {

bool fitsInteger(qint64 value) { return value >= kIntegerMin && value <= kIntegerMax; }

double Numeric::bound() const { return std::pow(10.0, precision - scale); }

bool Numeric::fits(double rounded) const { return std::isfinite(rounded) && std::fabs(rounded) < bound(); }

QString Numeric::largest() const
{
    // 999.999.999.999,999 for NUMERIC(15,3)
    const QString nines(precision - scale, QLatin1Char('9'));
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    QString text = brazil.toString(nines.toLongLong());
    if (scale > 0) text += brazil.decimalPoint() + QString(scale, QLatin1Char('9'));
    return text;
}

std::optional<QString> nonFiniteName(double value)
{
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("infinito") : QStringLiteral("-infinito");
    return std::nullopt;
}

bool hasNul(QStringView text) { return text.contains(QChar(u'\0')); }

QString nonFiniteText(const QString& field, double value)
{
    return QStringLiteral("O valor de %1 deve ser um número finito; recebido %2.")
        .arg(field, nonFiniteName(value).value_or(QString::number(value)));
}

QString outOfRangeText(const QString& field, const Numeric& column, double value)
{
    return QStringLiteral("O valor de %1 está fora do limite aceito (de -%2 a %2); recebido %3.")
        .arg(field, column.largest(), QString::number(value, 'g', 15));
}

QString nulText(const QString& field)
{
    return QStringLiteral("O valor de %1 contém o caractere nulo (código 0), que não é aceito.").arg(field);
}

}  // namespace server::limits
