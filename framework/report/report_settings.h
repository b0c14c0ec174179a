#pragma once
// Where reports come from and where they go. The host fills this from its configuration at
// start; the report dialog and the command line read it.

#include <QString>

struct TReportSettings {
    QString reportsDir = QStringLiteral("reports");  // the definitions (relative: to the working folder)
    QString outputDir;                               // PDF files, when no printer is configured
    QString printerName;                             // a system printer; empty: write PDF files
    bool preview = false;                            // printing shows the on-screen preview first
};

void ConfigureReports(const TReportSettings& settings);
const TReportSettings& ReportSettings();
