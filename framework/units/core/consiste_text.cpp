#include "framework/units/core/consiste_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace Consiste {

QString Ajusta(const QString& text, int length)
{
    const QString code = text.trimmed();
    if (code.isEmpty() || code.size() >= length) return code;
    return QString(length - code.size(), QLatin1Char('0')) + code;
}

bool EmptyString(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSpace()) continue;
        switch (c.unicode()) {
        case u'/':
        case u':':
        case u'.':
        case u',':
        case u'-':
        case u'_': continue;
        default: return false;
        }
    }
    return true;
}

double RoundDec(double value, int decimals)
{
    if (!std::isfinite(value) || value == 0) return value == 0 ? 0.0 : value;

    // d.dddddddddddddde+XX: the 15 significant digits a person would read.
    char sci[32];
    const auto written = std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 14);
    const char* e = sci;
    while (e < written.ptr && *e != 'e') ++e;
    int exponent = 0;
    const char* expText = e + 1;
    if (expText < written.ptr && *expText == '+') ++expText;
    std::from_chars(expText, written.ptr, exponent);
    char digits[15];
    int count = 0;
    for (const char* p = sci; p < e && count < 15; ++p)
        if (*p != '.') digits[count++] = *p;

    // Digit i weighs 10^(exponent - i); the ones kept weigh at least 10^-decimals.
    const long long keep = static_cast<long long>(exponent) + decimals + 1;
    if (keep < 0) return 0.0;
    // Nothing to drop: the value already has no more places than asked for.
    if (keep >= count) return value;
    long long mantissa = 0;
    for (int i = 0; i < keep; ++i) mantissa = mantissa * 10 + (digits[i] - '0');
    if (digits[keep] >= '5') ++mantissa;  // half away from zero: the sign is put back below
    if (mantissa == 0) return 0.0;

    // mantissa x 10^-decimals, converted once and exactly rounded to the nearest double.
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%llde%d", mantissa, -decimals);
    double result = 0;
    if (std::from_chars(text, text + length, result).ec != std::errc()) return value;  // beyond a double
    return value < 0 ? -result : result;
}

}  // namespace Consiste
