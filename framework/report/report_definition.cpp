#include "framework/report/report_definition.h"

QString BandSectionName(TBandKind kind)
{
    switch (kind) {
    case TBandKind::PageHeader: return QStringLiteral("page-header");
    case TBandKind::MasterHeader: return QStringLiteral("master-header");
    case TBandKind::DetailHeader: return QStringLiteral("detail-header");
    case TBandKind::Detail: return QStringLiteral("detail");
    case TBandKind::MasterFooter: return QStringLiteral("master-footer");
    case TBandKind::PageFooter: return QStringLiteral("page-footer");
    }
    return {};
}

const QStringList& TReportSql::For(TSqlDialect dialect) const
{
    const auto it = byDialect.find(dialect);
    return it != byDialect.end() ? it->second : generic;
}

std::vector<const QStringList*> TReportSql::AllTexts() const
{
    std::vector<const QStringList*> texts{&generic};
    for (const auto& [dialect, lines] : byDialect) texts.push_back(&lines);
    return texts;
}

QSizeF TReportDefinition::PageSizeMm() const
{
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? size.transposed() : size;
}

QSizeF TReportDefinition::BodySizeMm() const
{
    const QSizeF page = PageSizeMm();
    return {page.width() - margins.left() - margins.right(), page.height() - margins.top() - margins.bottom()};
}
