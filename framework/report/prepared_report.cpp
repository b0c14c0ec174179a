#include "framework/report/prepared_report.h"

#include "framework/report/report_error.h"

namespace {

[[noreturn]] void failAt(const TReportDefinition& def, int line, const QString& what)
{
    throw EReportError(
        QStringLiteral("Definição de relatório '%1', linha %2: %3.").arg(def.filePath).arg(line).arg(what));
}

}  // namespace

void CheckReportColumns(const TReportDefinition& def, const TReportData& data)
{
    const TReportRowSet* detail = data.details.empty() ? nullptr : &data.details.front();
    for (const QString& name : def.fileName.Names(TTemplatePart::Kind::Field))
        if (data.master.FieldIndex(name) < 0)
            failAt(def, def.fileNameLine,
                   QStringLiteral("a coluna '%1' do nome de arquivo não vem da consulta principal").arg(name));
    for (std::size_t k = 0; k < BandKindCount; ++k) {
        const TBandKind kind = TBandKind(k);
        for (const TReportItem& item : def.Band(kind).items) {
            for (const QString& name : item.text.Names(TTemplatePart::Kind::Field)) {
                const bool inMaster = data.master.FieldIndex(name) >= 0;
                const bool inDetail = detail && detail->FieldIndex(name) >= 0;
                if (kind == TBandKind::Detail ? !(inMaster || inDetail || !detail) : !inMaster)
                    failAt(def, item.sourceLine,
                           QStringLiteral("a coluna '%1' não vem da consulta %2")
                               .arg(name, kind == TBandKind::Detail ? QStringLiteral("de detalhe nem da principal")
                                                                    : QStringLiteral("principal")));
            }
            if (!detail) continue;
            for (const QString& name : item.text.Names(TTemplatePart::Kind::Sum))
                if (detail->FieldIndex(name) < 0)
                    failAt(def, item.sourceLine,
                           QStringLiteral("SUM(%1): a coluna não vem da consulta de detalhe").arg(name));
        }
    }
}

TPreparedReport PrepareReport(TReportDefinition definition, const std::function<void(TParams&)>& fillParams,
                              TDtmDBGeral& connection)
{
    TPreparedReport report;
    report.params = TParams(definition.parameters);
    if (fillParams) fillParams(report.params);
    report.runAt = wire::naive(QDateTime::currentDateTime());
    report.data = FetchReportData(definition, report.params, connection);
    if (report.data.master.rows.empty())
        throw EReportError(QStringLiteral("O relatório %1 (%2) não encontrou dados para os parâmetros informados.")
                               .arg(definition.code, definition.title));
    CheckReportColumns(definition, report.data);
    report.pages = LayoutReport(definition, report.data);
    report.definition = std::move(definition);
    return report;
}
