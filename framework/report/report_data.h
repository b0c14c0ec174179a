#pragma once
// The rows a report prints: its master rows and, for each, its detail rows, read through the
// query component on one connection.

#include "framework/db/params.h"
#include "framework/report/report_definition.h"
#include "framework/wire/value.h"

#include <vector>

class TDtmDBGeral;

struct TReportRowSet {
    std::vector<wire::FieldDef> fields;
    std::vector<wire::Row> rows;

    int FieldIndex(QStringView name) const;  // without regard to case; -1 when absent
};

struct TReportData {
    TReportRowSet master;
    std::vector<TReportRowSet> details;  // one per master row (empty sets without [detail sql])
};

// Runs the master SQL of the connection's dialect with the report parameters bound, then the
// detail SQL once per master row with its placeholders bound to the master row's columns
// (or else to report parameters). EReportError names the report and the query that failed
// and carries the database's text.
TReportData FetchReportData(const TReportDefinition& definition, const TParams& params, TDtmDBGeral& connection);
