#pragma once
// How `ate02700-server serve` runs: where the data is, where it listens, how many workers it
// keeps and the limits it puts on every connection.

#include "server/database.h"

#include <QHostAddress>

#include <chrono>
#include <cstdio>
#include <optional>

namespace server::net {

// The one remote object this server answers for, and the protocol version it speaks.
inline constexpr char16_t kServerObjectName[] = u"ATE02700.rdmManuDelValor";
inline constexpr qint64 kProtocolVersion = 1;

// The server's certificate (PEM, the chain after it) and its private key.
struct TlsFiles {
    QString certificate;
    QString privateKey;
};

struct ServeOptions {
    DatabaseUrl database;
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 7027;  // 0: any free port (the one taken is announced on stdout)
    int threads = 8;      // workers, each with its own database connection
    // A connection that sends nothing for this long (between calls or in the middle of a
    // frame) is closed. Clients reconnect on their next call.
    std::chrono::milliseconds idleTimeout{30'000};
    qsizetype maxFrameBytes = 16 * 1024 * 1024;
    // Every connection encrypted with this certificate; none: plain TCP.
    std::optional<TlsFiles> tls;
    // The administrator vouches for the network: listening beyond loopback is allowed
    // without any workstation defined.
    bool trustedNetwork = false;
    // One line per call and per refused connection; nullptr logs nothing.
    std::FILE* log = stderr;
    // A frame must arrive whole within this time of its first byte, and an answer the socket
    // could not take must be taken by the client within it; a slower client is cut off.
    std::chrono::milliseconds frameTimeout{60'000};
    // Connections served at once, in all and from one client address; the excess is refused.
    int maxConnections = 1000;
    int maxConnectionsPerAddress = 100;
    // Bytes held for messages across all connections (received, decoded, waiting to be sent)
    // beyond a small allowance per connection and per call under way.
    qsizetype maxBufferedBytes = qsizetype{256} * 1024 * 1024;
    // Connections one client address may open: `connectionBurst` at once, then
    // `connectionRate` a second; the excess is refused as it is accepted. Room for a branch's
    // workstations behind one address all starting at once, and reconnecting as they do.
    double connectionRate = 20;
    int connectionBurst = 200;
    // Refusal lines per kind of refusal in an interval; the rest are counted in one line.
    int refusalLogLines = 20;
    std::chrono::milliseconds refusalLogInterval{10'000};
};

}  // namespace server::net
