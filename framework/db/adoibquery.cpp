#include "framework/db/adoibquery.h"

#include "framework/core/exceptions.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/db/sql_error.h"
#include "framework/db/sql_placeholders.h"
#include "framework/db/sql_values.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

int columnIndex(const QSqlRecord& record, const QString& name)
{
    for (int i = 0; i < record.count(); ++i)
        if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

}  // namespace

TADOIBQuery::TADOIBQuery(QObject* owner) : TClientDataSet(owner) {}

TADOIBQuery::~TADOIBQuery() = default;

void TADOIBQuery::SetSQL(const QStringList& lines)
{
    sql_ = lines;
    ReparseParams();
}

void TADOIBQuery::SetSQL_ORACLE(const QStringList& lines)
{
    sqlOracle_ = lines;
    ReparseParams();
}

void TADOIBQuery::SetSQL_IB(const QStringList& lines)
{
    sqlIb_ = lines;
    ReparseParams();
}

const QStringList& TADOIBQuery::SQLFor(TSqlDialect dialect) const
{
    const auto hasText = [](const QStringList& lines) {
        return std::any_of(lines.begin(), lines.end(), [](const QString& l) { return !l.trimmed().isEmpty(); });
    };
    if (dialect == TSqlDialect::Oracle && hasText(sqlOracle_)) return sqlOracle_;
    if (dialect == TSqlDialect::InterBase && hasText(sqlIb_)) return sqlIb_;
    return sql_;
}

void TADOIBQuery::SetConnection(TDtmDBGeral* connection) { connection_ = connection; }

TDtmDBGeral& TADOIBQuery::Connection() const { return connection_ ? *connection_ : dtmDBGeral(); }

void TADOIBQuery::ReparseParams()
{
    std::vector<TParamDecl> decls;
    for (const QStringList* text : {&sql_, &sqlOracle_, &sqlIb_}) {
        for (const QString& name : SqlPlaceholderNames(text->join(QLatin1Char('\n')))) {
            const TParam* old = params_.FindParam(name);
            decls.push_back(TParamDecl{name, old ? old->DataType() : std::nullopt});
        }
    }
    TParams fresh(decls);
    fresh.AssignValues(params_);
    params_ = std::move(fresh);
}

void TADOIBQuery::Open()
{
    if (Active()) return;
    wire::DataPacket packet = Execute();
    SetData(std::move(packet));
    if (!Active()) TClientDataSet::Open();
}

void TADOIBQuery::Close() { TClientDataSet::Close(); }

wire::DataPacket TADOIBQuery::Execute()
{
    TDtmDBGeral& connection = Connection();
    QSqlDatabase db = connection.Database();
    const QString text = SQLFor(connection.Dialect()).join(QLatin1Char('\n'));
    if (text.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("A consulta '%1' não tem texto SQL.").arg(objectName()));

    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.prepare(text)) throw EDatabaseError(SqlErrorText(query.lastError()));
    for (const QString& name : SqlPlaceholderNames(text)) {
        const TParam& param = params_.ParamByName(name);
        query.bindValue(QLatin1Char(':') + name, SqlBindValue(param.Value(), param.DataType()));
    }
    if (!query.exec()) throw EDatabaseError(SqlErrorText(query.lastError()));

    const QSqlRecord record = query.record();
    wire::DataPacket packet;
    if (HasPersistentFields()) {
        std::vector<int> columns;
        std::vector<TFieldDef> defs;
        for (int f = 0; f < FieldCount(); ++f) {
            const TFieldDef& def = Fields(f).Def();
            const int column = columnIndex(record, def.Name);
            if (column < 0)
                throw EDatabaseError(QStringLiteral("A consulta não trouxe a coluna do campo '%1'.").arg(def.Name));
            columns.push_back(column);
            defs.push_back(def);
            packet.fields.push_back(wire::FieldDef{def.Name, def.DataType,
                                                   def.DataType == TFieldType::String ? EffectiveStringSize(def) : 0});
        }
        while (query.next()) {
            wire::Row row;
            row.reserve(columns.size());
            for (std::size_t c = 0; c < columns.size(); ++c)
                row.push_back(SqlResultValue(query.value(columns[c]), defs[c]));
            packet.rows.push_back(std::move(row));
        }
        if (query.lastError().isValid()) throw EDatabaseError(SqlErrorText(query.lastError()));
        return packet;
    }

    // No persistent fields: read everything, then judge each column's type.
    const int count = record.count();
    auto columns = std::vector<std::vector<QVariant>>(std::size_t(count));
    while (query.next())
        for (int c = 0; c < count; ++c) columns[std::size_t(c)].push_back(query.value(c));
    if (query.lastError().isValid()) throw EDatabaseError(SqlErrorText(query.lastError()));
    std::vector<TFieldDef> defs;
    for (int c = 0; c < count; ++c) {
        const TFieldDef def = InferFieldDef(record.field(c), columns[std::size_t(c)]);
        defs.push_back(def);
        packet.fields.push_back(wire::FieldDef{def.Name, def.DataType, def.Size});
    }
    const std::size_t rows = count > 0 ? columns[0].size() : 0;
    packet.rows.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        packet.rows[r].reserve(std::size_t(count));
        for (int c = 0; c < count; ++c)
            packet.rows[r].push_back(SqlResultValue(columns[std::size_t(c)][r], defs[std::size_t(c)]));
    }
    return packet;
}
