#pragma once
// Draws the pages of a prepared report with QPainter on any paged device (PDF writer,
// printer, preview). The device's origin must be the paper's corner (PDF margins 0, printer
// full-page); the definition's margins are applied here.
//
// Text is drawn inside its box and never beyond it: a single-line text too long for its box
// is cut with an ellipsis; a wrapped text is broken into the lines that fit, and when they do
// not all fit the last one shown ends with an ellipsis.

#include "framework/report/prepared_report.h"

#include <QLocale>

class QPainter;
class QPagedPaintDevice;

// Sets the device's page size, orientation and (where the device allows) zero margins.
void SetupReportPage(const TPreparedReport& report, QPagedPaintDevice& device);

// Paints every page (newPage between them) on an active painter of `device`.
void PaintReport(const TPreparedReport& report, QPainter& painter, QPagedPaintDevice& device,
                 const QLocale& locale = QLocale());

// The text of a template for one page and row: what PaintReport draws in an item.
QString ReportTemplateText(const TPreparedReport& report, const TReportTemplate& text, const TReportPage& page,
                           int master, int detail, const QLocale& locale);
