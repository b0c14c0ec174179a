#pragma once
// What the database columns can hold, checked before a value is bound: a value that does not
// fit is refused with a text naming the field, the same way on SQLite (which would store it
// anyway) and on PostgreSQL (which would fail with its own text).

#include <QString>
#include <QStringView>

#include <optional>

namespace server::limits {

// INTEGER columns (NRDELIVERY, NRITEMPLANSP): 32 bits on PostgreSQL.
inline constexpr qint64 kIntegerMin = -2147483648LL;
inline constexpr qint64 kIntegerMax = 2147483647LL;
bool fitsInteger(qint64 value);

// A NUMERIC(precision, scale) column: after rounding to `scale` decimals the magnitude must
// stay below 10^(precision - scale).
struct Numeric {
    int precision;
    int scale;
    double bound() const;             // 10^(precision - scale)
    bool fits(double rounded) const;  // finite and below the bound
    QString largest() const;          // the largest value, written as the operator reads it
};
inline constexpr Numeric kQuantity{15, 3};  // QT... columns
inline constexpr Numeric kMoney{15, 2};     // VR... money columns and totals

// What is wrong with a number that is not finite ("NaN", "infinito", "-infinito"); nothing
// when it is finite.
std::optional<QString> nonFiniteName(double value);

// Whether a text holds the NUL character, which PostgreSQL cannot store in a text.
bool hasNul(QStringView text);

// The refusal texts, with the field's name.
QString nonFiniteText(const QString& field, double value);
QString outOfRangeText(const QString& field, const Numeric& column, double value);
QString nulText(const QString& field);

}  // namespace server::limits
