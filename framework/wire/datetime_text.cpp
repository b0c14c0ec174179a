#include "framework/wire/datetime_text.h"

namespace wire::detail {

namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;
constexpr qint64 kJulianDayOfEpoch = 2'440'588;  // 1970-01-01

// The value of `count` decimal digits at p, or -1 when one is not a digit.
int digits(const std::uint8_t* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned d = static_cast<unsigned>(p[i]) - '0';
        if (d > 9) return -1;
        value = value * 10 + static_cast<int>(d);
    }
    return value;
}

void putDigits(std::uint8_t* out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<std::uint8_t>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

std::optional<QDateTime> parseDateTimeText(const std::uint8_t* p, qsizetype n)
{
    // 0123456789012345678901234
    // yyyy-MM-ddTHH:mm:ss.zzzZ
    // yyyy-MM-ddTHH:mm:ssZ
    if (n != kDateTimeTextLength && n != 20) return std::nullopt;
    if (p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':' || p[n - 1] != 'Z')
        return std::nullopt;
    const int year = digits(p, 4);
    const int month = digits(p + 5, 2);
    const int day = digits(p + 8, 2);
    const int hour = digits(p + 11, 2);
    const int minute = digits(p + 14, 2);
    const int second = digits(p + 17, 2);
    int msec = 0;
    if (n == kDateTimeTextLength) {
        if (p[19] != '.') return std::nullopt;
        msec = digits(p + 20, 3);
    }
    if (year < 1 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || msec < 0) return std::nullopt;
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second, msec)) return std::nullopt;
    const qint64 days = QDate(year, month, day).toJulianDay() - kJulianDayOfEpoch;
    const qint64 msecs = days * kMsecsPerDay + ((hour * 60 + minute) * 60 + second) * 1000 + msec;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

bool writeDateTimeText(const QDateTime& dt, std::uint8_t* out)
{
    const QDate date = dt.date();
    const QTime time = dt.time();
    if (date.year() < 1 || date.year() > 9999) return false;
    putDigits(out, date.year(), 4);
    out[4] = '-';
    putDigits(out + 5, date.month(), 2);
    out[7] = '-';
    putDigits(out + 8, date.day(), 2);
    out[10] = 'T';
    putDigits(out + 11, time.hour(), 2);
    out[13] = ':';
    putDigits(out + 14, time.minute(), 2);
    out[16] = ':';
    putDigits(out + 17, time.second(), 2);
    out[19] = '.';
    putDigits(out + 20, time.msec(), 3);
    out[23] = 'Z';
    return true;
}

}  // namespace wire::detail
