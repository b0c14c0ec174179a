#pragma once
// The text of a Qt SQL error as the operator should read it: the database's own words when it
// gave any, otherwise the driver's.

#include <QString>

class QSqlError;

QString SqlErrorText(const QSqlError& error);
