#include "framework/units/core/server_error_text.h"

#include <algorithm>

namespace {

constexpr QChar kInvertedQuestionMark(0x00BF);
constexpr qsizetype kKeyLength = 10;
constexpr qsizetype kLongArgument = 20;  // a service code
constexpr qsizetype kShortArgument = 5;  // an airline short code

bool isTrimmed(QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; }

QString trimBlanksAndControls(QStringView s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isTrimmed(s[first])) ++first;
    while (last > first && isTrimmed(s[last - 1])) --last;
    return s.mid(first, last - first).toString();
}

}  // namespace

ServerErrorText DecodeServerErrorText(const QString& text)
{
    qsizetype keyStart = 0;
    qsizetype argumentWidth = kShortArgument;
    if (const qsizetype mark = text.indexOf(kInvertedQuestionMark); mark >= 0) {
        keyStart = mark + 1;
        argumentWidth = kLongArgument;
    } else if (const qsizetype hash = text.indexOf(QLatin1Char('#')); hash >= 0) {
        keyStart = hash + 1;
    }
    const qsizetype keyEnd = std::min(keyStart + kKeyLength, text.size());

    ServerErrorText decoded;
    decoded.key = text.mid(keyStart, keyEnd - keyStart);
    const qsizetype star = text.indexOf(QLatin1Char('*'));
    if (star >= 0) {
        const qsizetype argumentStart = std::max(star - argumentWidth, keyEnd);
        if (argumentStart < star)
            decoded.argument = trimBlanksAndControls(QStringView(text).mid(argumentStart, star - argumentStart));
    }
    return decoded;
}

QString FormatServerErrorText(const QString& catalogueText, const QString& argument)
{
    const qsizetype at = catalogueText.indexOf(QLatin1String("%s"));
    if (at < 0) return catalogueText;
    QString formatted = catalogueText;
    formatted.replace(at, 2, argument);
    return formatted;
}

bool IsDatabaseErrorText(const QString& text) { return text.contains(QLatin1String("ORA"), Qt::CaseSensitive); }
