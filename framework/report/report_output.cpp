#include "framework/report/report_output.h"

#include "framework/report/report_error.h"
#include "framework/report/report_painter.h"
#include "framework/report/unique_file.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace {

QString fileNamePart(const QString& value)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.]+"));
    QString part = value;
    part.replace(unsafe, QStringLiteral("-"));
    while (part.startsWith(QLatin1Char('-')) || part.startsWith(QLatin1Char('.'))) part.remove(0, 1);
    while (part.endsWith(QLatin1Char('-')) || part.endsWith(QLatin1Char('.'))) part.chop(1);
    return part.left(60);
}

void paintOn(const TPreparedReport& report, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw EReportError(
            QStringLiteral("Não foi possível iniciar a impressão do relatório %1.").arg(report.definition.code));
    try {
        PaintReport(report, painter, device);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw EReportError(
            QStringLiteral("Não foi possível concluir a impressão do relatório %1.").arg(report.definition.code));
}

}  // namespace

QString ReportFileBaseName(const TPreparedReport& report)
{
    if (!report.definition.fileName.Parts().empty()) {
        // Read on the first document, as the operator finds it: each piece between "_" kept
        // apart, so "0001_000123/2026" gives "0001_000123-2026".
        const QString text = ReportTemplateText(report, report.definition.fileName, TReportPage{}, 0, -1, QLocale::c());
        QStringList parts;
        for (const QString& piece : text.split(QLatin1Char('_'))) {
            const QString part = fileNamePart(piece);
            if (!part.isEmpty()) parts.append(part);
        }
        if (!parts.isEmpty()) return parts.join(QLatin1Char('_')).left(120);
    }
    QStringList parts{fileNamePart(report.definition.code)};
    for (int i = 0; i < report.params.Count(); ++i) {
        const QString part = fileNamePart(report.params.Items(i).AsString());
        if (!part.isEmpty()) parts.append(part);
    }
    parts.append(report.runAt.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    return parts.join(QLatin1Char('_'));
}

QString WriteReportPdf(const TPreparedReport& report, const QString& folder)
{
    if (folder.trimmed().isEmpty())
        throw EReportError(QStringLiteral("A pasta de saída dos relatórios não está configurada."));
    const QString base = QDir(folder).filePath(ReportFileBaseName(report));
    return WriteNewFile(base, QStringLiteral(".pdf"), [&](QIODevice& out) {
        QPdfWriter writer(&out);
        writer.setTitle(report.definition.title);
        writer.setCreator(QStringLiteral("ATE %1").arg(report.definition.code));
        writer.setResolution(600);
        SetupReportPage(report, writer);
        paintOn(report, writer);
        return true;
    });
}

void PrintReportOn(const TPreparedReport& report, const QString& printerName)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) throw EReportError(QStringLiteral("A impressora '%1' não foi encontrada.").arg(printerName));
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        throw EReportError(QStringLiteral("A impressora '%1' não está disponível.").arg(printerName));
    printer.setDocName(QStringLiteral("%1 - %2").arg(report.definition.code, report.definition.title));
    printer.setFullPage(true);
    SetupReportPage(report, printer);
    paintOn(report, printer);
}

void PreviewReport(const TPreparedReport& report, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("%1 - %2").arg(report.definition.code, report.definition.title));
    printer.setFullPage(true);
    SetupReportPage(report, printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("%1 - %2").arg(report.definition.code, report.definition.title));
    // Painting errors cannot leave the preview's slot: they are kept and raised afterwards.
    QString failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        try {
            target->setFullPage(true);
            SetupReportPage(report, *target);
            paintOn(report, *target);
        } catch (const Exception& e) {
            failure = e.Message();
        }
    });
    dialog.exec();
    if (!failure.isEmpty()) throw EReportError(failure);
}
