#include "framework/report/report_data.h"

#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/report/report_error.h"

namespace {

QString reportName(const TReportDefinition& def) { return QStringLiteral("%1 (%2)").arg(def.code, def.title); }

TReportRowSet rowsOf(TADOIBQuery& query)
{
    wire::DataPacket packet = query.Data();
    query.Close();
    return TReportRowSet{std::move(packet.fields), std::move(packet.rows)};
}

}  // namespace

int TReportRowSet::FieldIndex(QStringView name) const
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (name.compare(fields[i].name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

TReportData FetchReportData(const TReportDefinition& def, const TParams& params, TDtmDBGeral& connection)
{
    TReportData data;
    const TSqlDialect dialect = connection.Dialect();

    TADOIBQuery master;
    master.setObjectName(QStringLiteral("master"));
    master.SetConnection(&connection);
    master.SetSQL(def.master.For(dialect));
    for (int i = 0; i < master.Params().Count(); ++i) {
        TParam& p = master.Params().Items(i);
        const TParam& given = params.ParamByName(p.Name());
        p.SetDataType(given.DataType());
        p.SetValue(given.Value());
    }
    try {
        master.Open();
    } catch (const EDatabaseError& e) {
        throw EReportError(
            QStringLiteral("Relatório %1: a consulta principal falhou: %2").arg(reportName(def), e.Message()));
    }
    data.master = rowsOf(master);

    if (!def.detail.present) {
        data.details.resize(data.master.rows.size());
        return data;
    }
    TADOIBQuery detail;
    detail.setObjectName(QStringLiteral("detail"));
    detail.SetConnection(&connection);
    detail.SetSQL(def.detail.For(dialect));
    // Where each placeholder takes its value from: a master column, else a report parameter.
    std::vector<int> fromMaster;
    for (int i = 0; i < detail.Params().Count(); ++i) {
        const TParam& p = detail.Params().Items(i);
        const int column = data.master.FieldIndex(p.Name());
        if (column < 0 && !params.Exists(p.Name()))
            throw EReportError(QStringLiteral("Relatório %1: a consulta de detalhe usa ':%2', que não é coluna da "
                                              "consulta principal nem parâmetro declarado.")
                                   .arg(reportName(def), p.Name()));
        fromMaster.push_back(column);
    }
    data.details.reserve(data.master.rows.size());
    for (const wire::Row& row : data.master.rows) {
        for (int i = 0; i < detail.Params().Count(); ++i) {
            TParam& p = detail.Params().Items(i);
            if (fromMaster[std::size_t(i)] >= 0) {
                p.SetValue(row[std::size_t(fromMaster[std::size_t(i)])]);
            } else {
                const TParam& given = params.ParamByName(p.Name());
                p.SetDataType(given.DataType());
                p.SetValue(given.Value());
            }
        }
        try {
            detail.Open();
        } catch (const EDatabaseError& e) {
            throw EReportError(
                QStringLiteral("Relatório %1: a consulta de detalhe falhou: %2").arg(reportName(def), e.Message()));
        }
        data.details.push_back(rowsOf(detail));
    }
    return data;
}
