#include "framework/report/report_designer_dialog.h"

#include "framework/db/dtmdbgeral.h"
#include "framework/report/prepared_report.h"
#include "framework/report/report_error.h"
#include "framework/report/report_output.h"
#include "framework/report/report_parser.h"

TReportDesignerDialog::TReportDesignerDialog(QObject* owner) : QObject(owner) {}

TReportDesignerDialog::~TReportDesignerDialog() = default;

void TReportDesignerDialog::SetConnection(TDtmDBGeral* connection) { connection_ = connection; }

TDtmDBGeral& TReportDesignerDialog::Connection() const { return connection_ ? *connection_ : dtmDBGeral(); }

void TReportDesignerDialog::SetSettings(std::optional<TReportSettings> settings) { settings_ = std::move(settings); }

const TReportSettings& TReportDesignerDialog::Settings() const { return settings_ ? *settings_ : ReportSettings(); }

TPreparedReport TReportDesignerDialog::Prepare(const TReportEntry& entry)
{
    return PrepareReport(
        LoadReportDefinition(entry.filePath),
        [this](TParams& params) {
            if (BeforeGetQueryParams) BeforeGetQueryParams(*this, params);
        },
        Connection());
}

TReportRun TReportDesignerDialog::Print(const TReportEntry& entry, QWidget* parent)
{
    const TReportSettings& settings = Settings();
    if (settings.preview) return Preview(entry, parent);
    if (settings.printerName.trimmed().isEmpty()) return ExportPdf(entry, settings.outputDir);
    const TPreparedReport report = Prepare(entry);
    PrintReportOn(report, settings.printerName);
    return TReportRun{{}, int(report.pages.size())};
}

TReportRun TReportDesignerDialog::Preview(const TReportEntry& entry, QWidget* parent)
{
    const TPreparedReport report = Prepare(entry);
    PreviewReport(report, parent);
    return TReportRun{{}, int(report.pages.size())};
}

TReportRun TReportDesignerDialog::ExportPdf(const TReportEntry& entry, const QString& folder)
{
    if (folder.trimmed().isEmpty())
        throw EReportError(QStringLiteral("A pasta de saída dos relatórios não está configurada."));
    const TPreparedReport report = Prepare(entry);
    return TReportRun{{WriteReportPdf(report, folder)}, int(report.pages.size())};
}
