#pragma once
// The command line of ate02700-server:
//   ate02700-server init --db URL [--seed demo | --seed scale:N]
//   ate02700-server serve --db URL [--listen HOST:PORT] [--threads N] [--idle-timeout SECONDS]
//                         [--max-frame BYTES] [--frame-timeout SECONDS] [--max-connections N]
//                         [--max-connections-per-address N] [--max-buffered BYTES]
//                         [--tls-cert FILE --tls-key FILE] [--trusted-network]
//   ate02700-server client add NAME --branches LIST --db URL
//   ate02700-server client list --db URL
//   ate02700-server client revoke NAME --db URL
//   ate02700-server client branches NAME LIST --db URL
//   ate02700-server --help | --version
// Options take their value as "--name value" or "--name=value".

#include "server/database.h"
#include "server/net/serve_options.h"
#include "server/workstations.h"

#include <QStringList>

#include <optional>
#include <variant>

namespace server::net {

inline constexpr char kServerVersion[] = "1.0.0";

struct InitCommand {
    DatabaseUrl database;
    std::optional<SeedSpec> seed;
};

struct ServeCommand {
    ServeOptions options;
};

// Administration of the workstations allowed to use the server.
struct ClientCommand {
    enum class Action { Add, List, Revoke, Branches };
    Action action = Action::List;
    DatabaseUrl database;
    QString name;          // all but List
    BranchScope branches;  // Add and Branches
};

struct HelpCommand {};
struct VersionCommand {};

using Command = std::variant<InitCommand, ServeCommand, ClientCommand, HelpCommand, VersionCommand>;

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
