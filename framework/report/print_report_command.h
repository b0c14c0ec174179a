#pragma once
// The command line of report printing, for administrators and tests:
//
//   PROGRAM --print-report CODE [--title TITLE] [--param NAME=VALUE]... --out DIR
//           [--db URL] [--reports DIR]
//
// Runs the report CODE (the definition titled TITLE, else the shipped one) from the reports
// folder (--reports, else the configured one), with the given parameter values (only
// parameters the report declares are accepted), reading the database at URL (--db; else the
// shared connection, which must then be open), and writes one PDF file in DIR. The path of
// the file is printed on standard output, one line; errors go to standard error.
//
// The host executable calls it when it sees --print-report, instead of opening its window:
//
//     int RunPrintReportCommand(const QStringList& arguments);
//
// `arguments` is the whole command line as QCoreApplication::arguments() gives it (the
// first element, the program, is skipped). A QGuiApplication (or QApplication) must exist:
// fonts are needed to draw the pages. Returns 0 when the file was written, 1 when the report
// failed, 2 when the command line is wrong.

#include <QStringList>

int RunPrintReportCommand(const QStringList& arguments);
