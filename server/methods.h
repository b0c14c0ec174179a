#pragma once
// The nine methods of ATE02700.rdmManuDelValor, called by name with positional arguments.

#include "framework/wire/value.h"
#include "server/database.h"

#include <QString>

#include <span>

namespace server {

// A call that does not fit the method: unknown name, wrong argument count or type.
class ArgumentError : public ServerFailure {
public:
    using ServerFailure::ServerFailure;
};

// One entry of the command table: everything the dispatcher needs to know about a method.
// Further facts about a call (what it touches, who may make it) are added here as fields.
struct Command {
    QStringView name;
    // Runs the call on this thread's connection; by-reference arguments are updated in `args`.
    wire::Value (*handler)(Database& db, wire::Array& args);
    // Writes in one transaction, which the database may roll back to break a deadlock; the
    // call is then run again. (Writing handlers leave their arguments as they found them.)
    bool writes;
};

class Methods {
public:
    explicit Methods(Database& db);

    // The command of a method name; nullptr for a name that is not one of the nine.
    static const Command* find(QStringView name);
    static std::span<const Command> commands();

    // Runs one call on this thread's connection. By-reference arguments are updated in
    // `args`. Failures meant for the caller throw ServerFailure (or ArgumentError) with the
    // text to send; a refused write leaves the database as it was.
    wire::Value call(const Command& command, wire::Array& args);
    // The same, by name (ArgumentError for an unknown name).
    wire::Value call(const QString& method, wire::Array& args);

private:
    Database& db_;
};

}  // namespace server
