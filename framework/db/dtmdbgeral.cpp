#include "framework/db/dtmdbgeral.h"

#include "framework/core/exceptions.h"
#include "framework/db/sql_connection.h"
#include "framework/db/sql_error.h"
#include "framework/db/sqlite_functions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

void execOrThrow(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw EDatabaseError(QStringLiteral("Não foi possível preparar a conexão com o banco de dados: %1")
                                 .arg(SqlErrorText(query.lastError())));
}

void closeSharedModule() { dtmDBGeral().Close(); }

}  // namespace

TDtmDBGeral::TDtmDBGeral() : connectionName_(QStringLiteral("dtmDBGeral-%1").arg(quintptr(this), 0, 16)) {}

TDtmDBGeral::~TDtmDBGeral() { Close(); }

void TDtmDBGeral::Open(const QString& url)
{
    Close();
    const TDbUrl parsed = TDbUrl::Parse(url);

    if (parsed.dialect == TSqlDialect::SQLite) {
        // Opening a missing file would create an empty database and every lookup would
        // quietly find nothing.
        const QFileInfo file(parsed.path);
        if (!file.exists() || !file.isFile())
            throw EDatabaseError(QStringLiteral("O banco de dados '%1' não foi encontrado.").arg(parsed.path));
    }

    bool ok = false;
    QString failure;
    {
        QSqlDatabase db = AddSqlConnection(parsed, connectionName_, BusyTimeoutMs);
        try {
            if (!db.open()) throw EDatabaseError(SqlErrorText(db.lastError()));
            if (parsed.dialect == TSqlDialect::SQLite) {
                execOrThrow(db, QStringLiteral("PRAGMA query_only = 1"));
                // A file that is not a database fails here rather than in the first lookup.
                execOrThrow(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
                RegisterSqliteFunctions(db);
            } else if (parsed.dialect == TSqlDialect::PostgreSQL) {
                execOrThrow(db, QStringLiteral("SET default_transaction_read_only = on"));
                // The schema the server works in (a plain name, checked by the URL's reader).
                if (!parsed.schema.isEmpty())
                    execOrThrow(db, QStringLiteral("SET search_path TO %1").arg(parsed.schema));
            }
            ok = true;
        } catch (const Exception& e) {
            failure = e.Message();
            db.close();
        }
    }
    if (!ok) {
        QSqlDatabase::removeDatabase(connectionName_);
        throw EDatabaseError(
            QStringLiteral("Não foi possível abrir o banco de dados '%1': %2").arg(parsed.Display(), failure));
    }
    url_ = parsed;
    open_ = true;
}

void TDtmDBGeral::Close()
{
    // Nothing of Qt SQL is touched when nothing is open: the shared module is destroyed after
    // Qt SQL's own registry, at the program's exit.
    if (!open_) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    open_ = false;
}

bool TDtmDBGeral::Connected() const { return open_; }

QSqlDatabase TDtmDBGeral::Database() const
{
    if (!open_) throw EDatabaseError(QStringLiteral("A conexão com o banco de dados não está aberta."));
    return QSqlDatabase::database(connectionName_, false);
}

TDtmDBGeral& dtmDBGeral()
{
    static TDtmDBGeral module;
    static const bool closesWithApplication = [] {
        // The drivers live as long as the application object: close before it goes.
        if (QCoreApplication::instance() != nullptr) qAddPostRoutine(&closeSharedModule);
        return true;
    }();
    Q_UNUSED(closesWithApplication);
    return module;
}
