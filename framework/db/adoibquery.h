#pragma once
// TADOIBQuery: a read-only SQL query whose rows live in a client dataset.
//
// The query keeps one generic SQL text and, where the database needs its own, texts for
// Oracle (SQL_ORACLE) and InterBase (SQL_IB). Open() runs the text for the dialect of its
// connection — the dialect's text when that dialect is in use and its text is not empty,
// otherwise SQL — unchanged, with every `:NAME` placeholder bound to the parameter of that
// name (no values are ever written into the text), and loads the rows with SetData.
//
// Parameters are parsed from the `:NAME` placeholders of all three texts (outside quoted
// strings; see sql_placeholders.h) whenever a text is set; a parameter that survives a new
// text keeps its value and its declared type.
//
// Result columns fill the persistent fields declared by the form, matched by name without
// regard to case (PostgreSQL answers in lower case); every persistent field must have its
// column (EDatabaseError otherwise), extra columns are ignored, and values are converted to
// the fields' types as sql_values.h describes. A query without persistent fields takes its
// fields from the result: float for number columns, date-time for date columns, string
// otherwise (sized to the longest value).
//
// A failing statement raises EDatabaseError carrying the database's own error text; the
// query then stays closed with its previous rows gone.
//
//     qryFilial->SetSQL({"SELECT", "   CDFILIAL,", "   NMFILIAL", "FROM", "   FILIAL", ...});
//     qryCompanhia->ParamByName("P_CDFILIAL").SetAsString(branch);
//     qryCompanhia->Close();
//     qryCompanhia->Open();
//     if (qryCompanhia->IsEmpty()) ...

#include "framework/data/clientdataset.h"
#include "framework/db/params.h"
#include "framework/db/sql_dialect.h"

#include <QStringList>

#include <optional>

class TDtmDBGeral;

class TADOIBQuery : public TClientDataSet {
    Q_OBJECT
public:
    explicit TADOIBQuery(QObject* owner = nullptr);
    ~TADOIBQuery() override;

    const QStringList& SQL() const { return sql_; }
    const QStringList& SQL_ORACLE() const { return sqlOracle_; }
    const QStringList& SQL_IB() const { return sqlIb_; }
    void SetSQL(const QStringList& lines);
    void SetSQL_ORACLE(const QStringList& lines);
    void SetSQL_IB(const QStringList& lines);

    // The lines that run on a database of the given dialect.
    const QStringList& SQLFor(TSqlDialect dialect) const;

    // Parameters; see params.h. ParamByName raises EDatabaseError for a name no text uses.
    // A reference stays valid until a text is set again.
    TParams& Params() { return params_; }
    const TParams& Params() const { return params_; }
    TParam& ParamByName(QStringView name) { return params_.ParamByName(name); }

    // The connection the query runs on: the shared dtmDBGeral() unless another one is set.
    // The connection must outlive the query's use of it.
    void SetConnection(TDtmDBGeral* connection);
    TDtmDBGeral& Connection() const;

    // Runs the SQL and loads the rows; does nothing when already open.
    void Open() override;
    void Close() override;

private:
    void ReparseParams();
    wire::DataPacket Execute();

    QStringList sql_, sqlOracle_, sqlIb_;
    TParams params_;
    TDtmDBGeral* connection_ = nullptr;
};
