#pragma once
// Helpers of the security suites: the server's workstation administration run as its
// administrator runs it, test certificates made at run time with the product's own script,
// and TNetConnection set up as a workstation.

#include "framework/net/netconnection.h"
#include "tests/support/server_fixture.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace securitytest {

struct ServerRun {
    int exitCode = -1;
    QString output;  // stdout and stderr
};

// Runs ate02700-server with `arguments` to the end.
ServerRun runServer(const QStringList& arguments, int timeoutMs = 60'000);

// `client add NAME --branches BRANCHES --db URL`; returns the key it printed (throws when it failed).
QString addWorkstation(const QString& url, const QString& name, const QString& branches);

// A certificate authority and a server certificate for localhost/127.0.0.1, made by
// tools/make-test-certs.sh into a temporary folder.
class Certificates {
public:
    Certificates();
    QString ca() const { return dir_.filePath(QStringLiteral("ca.pem")); }
    QString cert() const { return dir_.filePath(QStringLiteral("server.pem")); }
    QString key() const { return dir_.filePath(QStringLiteral("server.key")); }
    QStringList serveArguments() const
    {
        return {QStringLiteral("--tls-cert"), cert(), QStringLiteral("--tls-key"), key()};
    }

private:
    testsupport::TempDir dir_;
};

// A connection to `server` as the workstation (name and key may be empty; ca empty: plain).
void configure(TNetConnection& net, const testsupport::ServerProcess& server, const QString& name, const QString& key,
               const QString& ca = {});

// The text of the EConnectionError `action` raises ("<nothing raised>" when none).
QString connectionErrorOf(const std::function<void()>& action);

}  // namespace securitytest
