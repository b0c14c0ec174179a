#pragma once
// A Qt SQL connection set up from a database URL, the same way for the host's shared
// connection and for each connection of the application server: the driver of the dialect,
// the file or the server, user and password, and the connect options (SQLite waits up to
// busyTimeoutMs for a lock; PostgreSQL gives up connecting after 10 s). Not opened: each
// caller opens it and prepares the session its own way.

#include "framework/db/db_url.h"

#include <QSqlDatabase>
#include <QString>

// Adds the connection under `connectionName` (QSqlDatabase's registry); EDatabaseError when
// the dialect's driver is not installed.
QSqlDatabase AddSqlConnection(const TDbUrl& url, const QString& connectionName, int busyTimeoutMs);
