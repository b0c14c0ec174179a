#pragma once
// The nine methods of ATE02700.rdmManuDelValor, called by name with positional arguments.

#include "framework/wire/value.h"
#include "server/database.h"

#include <QStringList>

namespace server {

// A call that does not fit the method: unknown name, wrong argument count or type.
class ArgumentError : public ServerFailure {
public:
    using ServerFailure::ServerFailure;
};

class Methods {
public:
    explicit Methods(Database& db);

    // Runs one call on this thread's connection. By-reference arguments are updated in
    // `args`. Failures meant for the caller throw ServerFailure (or ArgumentError) with the
    // text to send; a refused write leaves the database as it was.
    wire::Value call(const QString& method, wire::Array& args);

    static const QStringList& names();

private:
    Database& db_;
};

}  // namespace server
