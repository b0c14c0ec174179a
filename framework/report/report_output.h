#pragma once
// Where a prepared report goes: a PDF file, a system printer, or the on-screen preview.

#include "framework/report/prepared_report.h"

#include <QString>

class QWidget;

// The name of a report's PDF file, without folder and extension. A definition with a
// "file-name" template gets that template read on its first master row, each piece between
// "_" cleaned as below ("{#CODE}_{CDFILIAL}_NF{NRDELIVERYFA}" gives "ATE027_0001_NF1005").
// Otherwise "ATE027_0001_1234_20261109-153012": the report code, the value of each declared
// parameter in declaration order (blanks and underscores around it dropped, other characters
// that do not belong in a file name turned into "-", so "_1_2_" gives "1-2"), and when it
// was run.
QString ReportFileBaseName(const TPreparedReport& report);

// Writes the report as a PDF in `folder` (created when missing) and returns its path. The
// file appears complete or not at all, and never replaces another (a suffix "_2", "_3"...
// keeps names apart).
QString WriteReportPdf(const TPreparedReport& report, const QString& folder);

// Prints on the named system printer. EReportError when there is no such printer or it fails.
void PrintReportOn(const TPreparedReport& report, const QString& printerName);

// Shows the print preview dialog (modal), from which the operator may print.
void PreviewReport(const TPreparedReport& report, QWidget* parent);
