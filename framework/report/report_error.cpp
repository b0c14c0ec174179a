#include "framework/report/report_error.h"

EReportNotFound::EReportNotFound(QString code, QString folder)
    : EReportError(Format(DefaultText(), code, folder)), code_(std::move(code)), folder_(std::move(folder))
{}

QString EReportNotFound::DefaultText()
{
    return QStringLiteral(
        "O arquivo contendo a definição do relatório de código '%s' não foi "
        "encontrado no diretório '%s'.");
}

QString EReportNotFound::Format(const QString& text, const QString& code, const QString& folder)
{
    QString result;
    const QString args[] = {code, folder};
    int next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (next < 2 && text[i] == QLatin1Char('%') && i + 1 < text.size() && text[i + 1] == QLatin1Char('s')) {
            result += args[next++];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}
