#pragma once
// Pagination: which bands go on which page, where, for which rows.
//
// Every page has the page header at the top and the page footer at the bottom of the body.
// A master row opens with its header (on a new page when the definition says so), then the
// detail header and its detail lines, then its footer. A band that does not fit goes to the
// next page; the detail header is repeated above detail lines continued on a new page, and is
// never left alone at the bottom of a page.

#include "framework/report/report_data.h"
#include "framework/report/report_definition.h"

#include <vector>

struct TBandPlacement {
    TBandKind kind;
    double top = 0;  // millimetres from the top of the body
    int master = -1;
    int detail = -1;  // detail lines: the row within the master's details
};

struct TReportPage {
    int master = 0;  // the master row the page belongs to (for its header and footer)
    int number = 0;  // 1-based, within the master's document or the report
    int count = 0;   // pages of that document or of the report
    std::vector<TBandPlacement> bands;
};

// No master rows gives no pages.
std::vector<TReportPage> LayoutReport(const TReportDefinition& definition, const TReportData& data);
