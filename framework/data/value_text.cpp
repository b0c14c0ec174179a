#include "framework/data/value_text.h"

#include "framework/wire/value.h"

#include <charconv>
#include <cmath>
#include <string>

namespace datatext {

namespace {

// A finite double as decimal digits: value = 0.DIGITS x 10^point, digits without leading or
// trailing zeros ("" for zero).
struct Decimal {
    std::string digits;
    int point = 0;
    bool negative = false;
};

Decimal toDecimal(double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0) return d;
    char buf[64];
    // Shortest round-trip digits in scientific form: "d.ddde+XX".
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.') d.digits.push_back(text[i]);
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Rounds half away from zero to `decimals` digits after the point.
void roundTo(Decimal& d, int decimals)
{
    const int keep = d.point + decimals;
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        d.point = 0;
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
            d.digits.pop_back();
            --i;
        }
        if (i < 0) {
            d.digits.assign(1, '1');
            d.point += 1;
        } else {
            d.digits[static_cast<size_t>(i)] += 1;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;
}

bool isZero(const Decimal& d) { return d.digits.empty(); }

QString integerDigits(const Decimal& d)
{
    QString out;
    if (d.point <= 0) return out;
    const int n = static_cast<int>(d.digits.size());
    out.reserve(d.point);
    for (int i = 0; i < d.point; ++i) out.append(QLatin1Char(i < n ? d.digits[static_cast<size_t>(i)] : '0'));
    return out;
}

QString fractionDigits(const Decimal& d)
{
    QString out;
    const int n = static_cast<int>(d.digits.size());
    if (n <= d.point) return out;
    for (int i = d.point; i < 0; ++i) out.append(QLatin1Char('0'));
    for (int i = std::max(d.point, 0); i < n; ++i) out.append(QLatin1Char(d.digits[static_cast<size_t>(i)]));
    return out;
}

QString nonFinite(double value)
{
    if (std::isnan(value)) return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString shortestWith(double value, QStringView decimalPoint, QStringView minus)
{
    if (!std::isfinite(value)) return nonFinite(value);
    const Decimal d = toDecimal(value);
    if (isZero(d)) return QStringLiteral("0");
    QString out;
    if (d.negative) out += minus;
    const int sciExponent = d.point - 1;
    if (sciExponent >= -4 && sciExponent < 15) {
        const QString whole = integerDigits(d);
        out += whole.isEmpty() ? QStringLiteral("0") : whole;
        const QString frac = fractionDigits(d);
        if (!frac.isEmpty()) {
            out += decimalPoint;
            out += frac;
        }
        return out;
    }
    out.append(QLatin1Char(d.digits[0]));
    if (d.digits.size() > 1) {
        out += decimalPoint;
        out += QLatin1String(d.digits.data() + 1, static_cast<qsizetype>(d.digits.size() - 1));
    }
    out += QLatin1Char('E');
    if (sciExponent > 0) out += QLatin1Char('+');
    out += QString::number(sciExponent);
    return out;
}

// One section of a float format.
struct Section {
    QString prefix;  // literal text before the first digit placeholder
    QString suffix;  // literal text after it
    bool hasDigits = false;
    bool grouping = false;
    int minInteger = 0;   // '0' placeholders before the point
    int minDecimals = 0;  // up to the last '0' after the point
    int maxDecimals = 0;  // every placeholder after the point
};

Section parseSection(QStringView text)
{
    Section s;
    bool afterPoint = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        QString& literal = s.hasDigits ? s.suffix : s.prefix;
        if (c == u'\'' || c == u'"') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? text.size() : end;
            literal += text.mid(i + 1, stop - i - 1);
            i = stop;
        } else if (c == u'0' || c == u'#') {
            s.hasDigits = true;
            if (afterPoint) {
                ++s.maxDecimals;
                if (c == u'0') s.minDecimals = s.maxDecimals;
            } else if (c == u'0') {
                ++s.minInteger;
            }
        } else if (c == u',') {
            if (!afterPoint) s.grouping = true;
        } else if (c == u'.') {
            if (!afterPoint) afterPoint = true;
        } else {
            literal += c;
        }
    }
    return s;
}

// The sections of a format, split at ';' outside quotes.
std::vector<QStringView> splitSections(QStringView format)
{
    std::vector<QStringView> out;
    qsizetype start = 0;
    QChar quote;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            out.push_back(format.mid(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(format.mid(start));
    return out;
}

QString render(const Section& s, Decimal d, bool withSign, const QLocale& locale)
{
    QString out;
    if (withSign) out += locale.negativeSign();
    out += s.prefix;
    if (s.hasDigits) {
        roundTo(d, s.maxDecimals);
        QString whole = integerDigits(d);
        while (whole.size() < s.minInteger) whole.prepend(QLatin1Char('0'));
        if (s.grouping && whole.size() > 3) {
            const QString group = locale.groupSeparator();
            QString grouped;
            grouped.reserve(whole.size() + whole.size() / 3 * group.size());
            const qsizetype lead = whole.size() % 3;
            for (qsizetype i = 0; i < whole.size(); ++i) {
                if (i > 0 && (i - lead) % 3 == 0) grouped += group;
                grouped += whole[i];
            }
            whole = grouped;
        }
        out += whole;
        QString frac = fractionDigits(d);
        while (frac.size() < s.minDecimals) frac.append(QLatin1Char('0'));
        if (!frac.isEmpty()) {
            out += locale.decimalPoint();
            out += frac;
        }
    }
    out += s.suffix;
    return out;
}

std::string toStdString(QStringView text) { return text.trimmed().toUtf8().toStdString(); }

int digitsAt(QStringView text, qsizetype& pos, int minDigits, int maxDigits)
{
    int value = 0, count = 0;
    while (pos < text.size() && count < maxDigits && text[pos].isDigit() && text[pos].unicode() < 128) {
        value = value * 10 + (text[pos].unicode() - '0');
        ++pos;
        ++count;
    }
    return count >= minDigits ? value : -1;
}

bool expect(QStringView text, qsizetype& pos, QChar c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

}  // namespace

QString shortestNumber(double value) { return shortestWith(value, u".", u"-"); }

QString shortestNumber(double value, const QLocale& locale)
{
    return shortestWith(value, locale.decimalPoint(), locale.negativeSign());
}

QString formatFloat(double value, QStringView format, const QLocale& locale)
{
    if (!std::isfinite(value)) return nonFinite(value);
    if (format.isEmpty()) return shortestNumber(value, locale);
    const std::vector<QStringView> sections = splitSections(format);
    const Decimal d = toDecimal(value);

    const Section first = parseSection(sections[0]);
    Decimal rounded = d;
    roundTo(rounded, first.maxDecimals);
    if (isZero(rounded)) {
        if (sections.size() > 2 && !sections[2].isEmpty())
            return render(parseSection(sections[2]), Decimal{}, false, locale);
        return render(first, Decimal{}, false, locale);
    }
    if (d.negative) {
        if (sections.size() > 1 && !sections[1].isEmpty()) {
            Decimal magnitude = d;
            magnitude.negative = false;
            return render(parseSection(sections[1]), magnitude, false, locale);
        }
        return render(first, d, true, locale);
    }
    return render(first, d, false, locale);
}

QString formatDateTime(const QDateTime& value)
{
    if (!value.isValid()) return {};
    const QDate date = value.date();
    const QTime time = value.time();
    QString out = QStringLiteral("%1/%2/%3")
                      .arg(date.day(), 2, 10, QLatin1Char('0'))
                      .arg(date.month(), 2, 10, QLatin1Char('0'))
                      .arg(date.year(), 4, 10, QLatin1Char('0'));
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0 || time.msec() != 0)
        out += QStringLiteral(" %1:%2:%3")
                   .arg(time.hour(), 2, 10, QLatin1Char('0'))
                   .arg(time.minute(), 2, 10, QLatin1Char('0'))
                   .arg(time.second(), 2, 10, QLatin1Char('0'));
    return out;
}

QString formatDateTime(const QDateTime& value, QStringView picture)
{
    if (!value.isValid()) return {};
    if (picture.isEmpty()) return formatDateTime(value);
    // Translate to a Qt format; unknown letters become quoted literals.
    QString qt;
    bool lastWasHour = false;
    for (qsizetype i = 0; i < picture.size();) {
        const QChar c = picture[i];
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < picture.size() && picture[i + run].toLower() == lower) ++run;
        if (c == u'\'' || c == u'"') {
            const qsizetype end = picture.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? picture.size() : end;
            qt += QLatin1Char('\'')
                  + picture.mid(i + 1, stop - i - 1).toString().replace(QLatin1Char('\''), QStringLiteral("''"))
                  + QLatin1Char('\'');
            i = stop + 1;
            continue;
        }
        if (lower == u'd') {
            qt += QString(static_cast<int>(std::min<qsizetype>(run, 4)), QLatin1Char('d'));
        } else if (lower == u'y') {
            qt += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        } else if (lower == u'm') {
            qt += QString(static_cast<int>(std::min<qsizetype>(run, lastWasHour ? 2 : 4)),
                          lastWasHour ? QLatin1Char('m') : QLatin1Char('M'));
        } else if (lower == u'h') {
            qt += QString(static_cast<int>(std::min<qsizetype>(run, 2)), QLatin1Char('H'));
        } else if (lower == u'n') {
            qt += QString(static_cast<int>(std::min<qsizetype>(run, 2)), QLatin1Char('m'));
        } else if (lower == u's') {
            qt += QString(static_cast<int>(std::min<qsizetype>(run, 2)), QLatin1Char('s'));
        } else if (lower == u'z') {
            qt += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
        } else if (c.isLetter()) {
            qt += QLatin1Char('\'') + picture.mid(i, run).toString() + QLatin1Char('\'');
        } else {
            qt += picture.mid(i, run);
        }
        if (lower == u'h')
            lastWasHour = true;
        else if (c.isLetter())
            lastWasHour = false;
        i += run;
    }
    return value.toString(qt);
}

std::optional<double> parseLocaleNumber(QStringView text, const QLocale& locale)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const double v = locale.toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<qint64> parseLocaleInteger(QStringView text, const QLocale& locale)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qint64 v = locale.toLongLong(t, &ok);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<double> parseNumber(QStringView text)
{
    std::string s = toStdString(text);
    if (s.empty()) return std::nullopt;
    const char* begin = s.data();
    if (*begin == '+') ++begin;
    double v = 0;
    const auto res = std::from_chars(begin, s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<qint64> parseInteger(QStringView text)
{
    std::string s = toStdString(text);
    if (s.empty()) return std::nullopt;
    const char* begin = s.data();
    if (*begin == '+') ++begin;
    qint64 v = 0;
    const auto res = std::from_chars(begin, s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<QDateTime> parseDateTime(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype pos = 0;
    const int day = digitsAt(t, pos, 1, 2);
    if (day < 0 || !expect(t, pos, u'/')) return std::nullopt;
    const int month = digitsAt(t, pos, 1, 2);
    if (month < 0 || !expect(t, pos, u'/')) return std::nullopt;
    const qsizetype yearStart = pos;
    int year = digitsAt(t, pos, 2, 4);
    if (year < 0 || pos - yearStart == 3) return std::nullopt;
    if (pos - yearStart == 2) year += year < 50 ? 2000 : 1900;
    int hour = 0, minute = 0, second = 0;
    if (pos < t.size()) {
        if (!t[pos].isSpace()) return std::nullopt;
        while (pos < t.size() && t[pos].isSpace()) ++pos;
        hour = digitsAt(t, pos, 1, 2);
        if (hour < 0 || !expect(t, pos, u':')) return std::nullopt;
        minute = digitsAt(t, pos, 2, 2);
        if (minute < 0) return std::nullopt;
        if (expect(t, pos, u':')) {
            second = digitsAt(t, pos, 2, 2);
            if (second < 0) return std::nullopt;
        }
        if (pos != t.size()) return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return wire::makeDateTime(year, month, day, hour, minute, second);
}

}  // namespace datatext
