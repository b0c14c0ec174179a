#pragma once
// The command line of ate02700-server:
//   ate02700-server init --db URL [--seed demo | --seed scale:N]
//   ate02700-server serve --db URL [--listen HOST:PORT] [--threads N] [--idle-timeout SECONDS]
//                         [--max-frame BYTES] [--frame-timeout SECONDS] [--max-connections N]
//                         [--max-connections-per-address N] [--max-buffered BYTES]
//   ate02700-server --help

#include "server/database.h"
#include "server/net/serve_options.h"

#include <QStringList>

#include <optional>
#include <variant>

namespace server::net {

struct InitCommand {
    DatabaseUrl database;
    std::optional<SeedSpec> seed;
};

struct ServeCommand {
    ServeOptions options;
};

struct HelpCommand {};

using Command = std::variant<InitCommand, ServeCommand, HelpCommand>;

// A command line that cannot be run; the text says what is wrong.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

// `arguments` without the program name. Throws UsageError (or ServerFailure for a malformed
// database URL or seed).
Command parseCommandLine(const QStringList& arguments);

QString usageText();

}  // namespace server::net
