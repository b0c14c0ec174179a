#include "framework/report/report_settings.h"

namespace {
TReportSettings& store()
{
    static TReportSettings settings;
    return settings;
}
}  // namespace

void ConfigureReports(const TReportSettings& settings) { store() = settings; }
const TReportSettings& ReportSettings() { return store(); }
