#pragma once
// Reading report definitions.
//
// A definition is a UTF-8 text file named after its report code ("ATE027.rpt"; copies saved
// under another title are "ATE027 - <title>.rpt"). It is made of sections; a section starts
// with a line "[name]" at the start of the line.
//
//   [report]               title = ...              (required; shown to the operator)
//                          paper = A4 | A5 | Letter | Legal
//                          orientation = portrait | landscape
//                          margins = LEFT TOP RIGHT BOTTOM   (millimetres)
//                          font = FAMILY            font-size = POINTS
//                          page-numbers = master | report
//                          master-new-page = yes | no
//   [parameters]           NAME = string | float | integer | datetime   (one per line)
//   [master sql]           the SQL of the master rows, taken line by line as it stands;
//   [master sql DIALECT]   the text for one dialect (sqlite, postgresql, oracle, interbase),
//                          used instead of the generic one on that database
//   [detail sql]           the SQL of the detail rows of one master row; its :NAME
//   [detail sql DIALECT]   placeholders take the master row's column NAME, or else the report
//                          parameter NAME
//   [page-header] [master-header] [detail-header] [detail] [master-footer] [page-footer]
//                          the bands: "height = MM" and one item per line:
//       text X Y W H [bold] [italic] [wrap] [frame] [size=PT] [align=left|center|right]
//                    [valign=top|middle|bottom] [fill=#RRGGBB] "TEMPLATE"
//       line X1 Y1 X2 Y2 [width=MM]
//       box X Y W H [width=MM] [fill=#RRGGBB]
//     (millimetres from the band's top-left corner, inside the page margins; the template
//     syntax is in report_template.h; in the quoted text \" is a quote and \\ a backslash)
//
// Outside the SQL sections, blank lines and lines starting with "#" are ignored. Parsing is
// strict: an unknown section, key, option or item, a duplicate, a bad number, an item outside
// its band or the page, a master SQL placeholder that is not a declared parameter, or a
// template naming an undeclared parameter is refused with EReportError naming the file and
// the line.

#include "framework/report/report_definition.h"

#include <QString>

// `filePath` names the definition in messages and gives the report code (the file name up
// to " - " or the extension).
TReportDefinition ParseReportDefinition(const QString& text, const QString& filePath);
// Reads and parses a file; EReportError when it cannot be read or is not UTF-8.
TReportDefinition LoadReportDefinition(const QString& filePath);
// The report code a definition file belongs to.
QString ReportCodeFromFileName(const QString& filePath);
