#pragma once
// dtmDBGeral: the host's shared data module holding the one database connection the client
// reads its lookups and reports through. The host opens it at start from its configuration;
// modules use it through their queries (TADOIBQuery) and never open connections of their own.
//
// The connection is read-only by design (the application server owns every write):
// SQLite is opened with `PRAGMA query_only`, PostgreSQL sessions default to read-only
// transactions. SQLite files are shared with the server, which keeps them in WAL mode; the
// client never changes the journal mode and waits up to BusyTimeoutMs for a lock.
//
// A connection belongs to the thread that opened it (Qt SQL rule): use it on the UI thread.

#include "framework/db/db_url.h"
#include "framework/db/sql_dialect.h"

#include <QSqlDatabase>
#include <QString>

class TDtmDBGeral {
public:
    static constexpr int BusyTimeoutMs = 5000;

    TDtmDBGeral();
    ~TDtmDBGeral();
    TDtmDBGeral(const TDtmDBGeral&) = delete;
    TDtmDBGeral& operator=(const TDtmDBGeral&) = delete;

    // Opens (or reopens) the connection from a URL (see db_url.h). Raises EDatabaseError with
    // a Portuguese text when the URL is malformed, the driver is missing, the SQLite file does
    // not exist or the server refuses; the module is then closed.
    void Open(const QString& url);
    void Close();
    bool Connected() const;

    // The dialect of the open database (SQLite while closed).
    TSqlDialect Dialect() const { return url_.dialect; }
    const TDbUrl& Url() const { return url_; }

    // The open connection; EDatabaseError when closed.
    QSqlDatabase Database() const;

private:
    QString connectionName_;
    TDbUrl url_;
    bool open_ = false;
};

// The shared module of the process. The host opens it at start; it is closed when the
// application object is destroyed.
TDtmDBGeral& dtmDBGeral();
