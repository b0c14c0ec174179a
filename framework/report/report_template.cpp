#include "framework/report/report_template.h"

#include "framework/report/report_error.h"

#include <QRegularExpression>

namespace {

bool isName(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(text).hasMatch();
}

TTemplatePart parsePlaceholder(const QString& inner)
{
    using K = TTemplatePart::Kind;
    TTemplatePart part;
    QString head = inner;
    const qsizetype colon = inner.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        head = inner.left(colon);
        part.format = inner.mid(colon + 1);
        if (part.format.isEmpty()) throw EReportError(QStringLiteral("formato vazio em '{%1}'").arg(inner));
    }
    head = head.trimmed();
    if (head.startsWith(QLatin1Char('#'))) {
        const QString special = head.mid(1).toUpper();
        if (special == QLatin1String("PAGE"))
            part.kind = K::Page;
        else if (special == QLatin1String("PAGES"))
            part.kind = K::Pages;
        else if (special == QLatin1String("NOW"))
            part.kind = K::Now;
        else if (special == QLatin1String("TITLE"))
            part.kind = K::Title;
        else if (special == QLatin1String("CODE"))
            part.kind = K::Code;
        else if (special == QLatin1String("COUNT"))
            part.kind = K::Count;
        else
            throw EReportError(QStringLiteral("valor especial desconhecido '{%1}'").arg(inner));
        return part;
    }
    if (head.startsWith(QLatin1Char('@'))) {
        part.kind = K::Param;
        part.text = head.mid(1);
    } else if (head.startsWith(QLatin1String("SUM("), Qt::CaseInsensitive) && head.endsWith(QLatin1Char(')'))) {
        part.kind = K::Sum;
        part.text = head.mid(4, head.size() - 5).trimmed();
    } else {
        part.kind = K::Field;
        part.text = head;
    }
    if (!isName(part.text)) throw EReportError(QStringLiteral("nome inválido em '{%1}'").arg(inner));
    return part;
}

}  // namespace

TReportTemplate TReportTemplate::Parse(const QString& text)
{
    TReportTemplate result;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty()) {
            result.parts_.push_back(TTemplatePart{TTemplatePart::Kind::Literal, literal, {}});
            literal.clear();
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('{')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('{')) {
                literal += c;
                ++i;
                continue;
            }
            const qsizetype close = text.indexOf(QLatin1Char('}'), i + 1);
            if (close < 0) throw EReportError(QStringLiteral("'{' sem '}' correspondente"));
            const QString inner = text.mid(i + 1, close - i - 1);
            if (inner.contains(QLatin1Char('{'))) throw EReportError(QStringLiteral("'{' sem '}' correspondente"));
            flush();
            result.parts_.push_back(parsePlaceholder(inner));
            i = close;
        } else if (c == QLatin1Char('}')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('}')) {
                literal += c;
                ++i;
                continue;
            }
            throw EReportError(QStringLiteral("'}' sem '{' correspondente (use '}}' para o caractere)"));
        } else {
            literal += c;
        }
    }
    flush();
    return result;
}

bool TReportTemplate::IsConstant() const
{
    for (const TTemplatePart& p : parts_)
        if (p.kind != TTemplatePart::Kind::Literal) return false;
    return true;
}

QStringList TReportTemplate::Names(TTemplatePart::Kind kind) const
{
    QStringList names;
    for (const TTemplatePart& p : parts_)
        if (p.kind == kind && !names.contains(p.text, Qt::CaseInsensitive)) names.append(p.text);
    return names;
}
