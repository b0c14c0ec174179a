#pragma once
// A report ready to be drawn: its definition, the values of its parameters, its rows and its
// pages. Everything that can fail (the definition, the queries, the names the layout uses)
// has failed before one of these exists, so output never stops half-way for those reasons.

#include "framework/db/params.h"
#include "framework/report/report_data.h"
#include "framework/report/report_definition.h"
#include "framework/report/report_layout.h"

#include <QDateTime>

#include <functional>

class TDtmDBGeral;

struct TPreparedReport {
    TReportDefinition definition;
    TParams params;
    TReportData data;
    std::vector<TReportPage> pages;
    QDateTime runAt;
};

// Builds the declared parameters, lets `fillParams` set them, reads the rows and lays out the
// pages. Raises EReportError when the report finds no rows ("nada a imprimir" is a failure the
// operator must see), when a text names a column its query does not bring, or when a query
// fails.
TPreparedReport PrepareReport(TReportDefinition definition, const std::function<void(TParams&)>& fillParams,
                              TDtmDBGeral& connection);

// Refuses (EReportError naming the file and line) a text that names a column the rows do not
// have: master bands read master columns; detail lines read detail, then master columns; SUM
// reads detail columns.
void CheckReportColumns(const TReportDefinition& definition, const TReportData& data);
