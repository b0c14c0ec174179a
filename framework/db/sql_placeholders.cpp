#include "framework/db/sql_placeholders.h"

namespace {

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

}  // namespace

QStringList SqlPlaceholderNames(QStringView sql)
{
    QStringList names;
    QChar closingQuote;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (!closingQuote.isNull()) {
            if (c == closingQuote) closingQuote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            closingQuote = c;
            continue;
        }
        if (c != QLatin1Char(':') || (i > 0 && sql[i - 1] == QLatin1Char(':')) || i + 1 >= n || !isNameChar(sql[i + 1]))
            continue;
        qsizetype end = i + 1;
        while (end < n && isNameChar(sql[end])) ++end;
        const QString name = sql.mid(i + 1, end - i - 1).toString();
        if (!names.contains(name)) names.append(name);
        i = end - 1;
    }
    return names;
}
