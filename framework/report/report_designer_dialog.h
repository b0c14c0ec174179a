#pragma once
// TReportDesignerDialog: the report component of a report dialog (`rpddPadrao`). It runs a
// report definition: gives the report's declared parameters to BeforeGetQueryParams, reads
// the rows on the shared connection, lays out the pages and sends them to the configured
// destination.
//
//     rpddPadrao->BeforeGetQueryParams = [this](TReportDesignerDialog&, TParams& params) {
//         if (Qrddlgs::ExistParam(params, "P_CDFILIAL"))
//             params.ParamByName("P_CDFILIAL").SetAsString(branch);
//     };
//     rpddPadrao->Print(FindReportDefinition(folder, "ATE027", title));
//
// Nothing reaches a file or a printer until every query has run and every page is laid out:
// a failing report leaves no output behind.

#include "framework/db/params.h"
#include "framework/report/report_catalog.h"
#include "framework/report/report_settings.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class TDtmDBGeral;
class QWidget;
struct TPreparedReport;

struct TReportRun {
    QStringList files;  // PDF files written (none when printed or previewed)
    int pages = 0;
};

class TReportDesignerDialog : public QObject {
    Q_OBJECT
public:
    explicit TReportDesignerDialog(QObject* owner = nullptr);
    ~TReportDesignerDialog() override;

    // Called once per run, before the queries, with exactly the parameters the report
    // declares. Fill them by name; the params object cannot create others (ParamByName raises
    // for a name the report does not declare: test with Qrddlgs::ExistParam).
    std::function<void(TReportDesignerDialog& sender, TParams& params)> BeforeGetQueryParams;

    // The connection the reports read; the shared dtmDBGeral() unless set.
    void SetConnection(TDtmDBGeral* connection);
    TDtmDBGeral& Connection() const;
    // The settings used; ReportSettings() unless set.
    void SetSettings(std::optional<TReportSettings> settings);
    const TReportSettings& Settings() const;

    // Runs a report and sends it where the settings say: the preview when `preview` is set,
    // else the configured printer, else a PDF file in the output folder.
    TReportRun Print(const TReportEntry& entry, QWidget* parent = nullptr);
    // Runs a report and shows it in the preview.
    TReportRun Preview(const TReportEntry& entry, QWidget* parent = nullptr);
    // Runs a report and writes it as a PDF file in `folder`.
    TReportRun ExportPdf(const TReportEntry& entry, const QString& folder);

    // Loads, parameterises, queries and lays out a report, without output.
    TPreparedReport Prepare(const TReportEntry& entry);

private:
    TDtmDBGeral* connection_ = nullptr;
    std::optional<TReportSettings> settings_;
};
