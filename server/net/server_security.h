#pragma once
// What every connection of a server shares for its security: the TLS context (none for plain
// TCP) and the control of who may open a connection.

#include "server/net/access_control.h"
#include "server/net/tls_context.h"

#include <memory>

namespace server::net {

struct ServerSecurity {
    explicit ServerSecurity(bool anonymousAllowed) : access(anonymousAllowed) {}

    ssl_ctx_st* tlsContext() const { return tls ? tls->get() : nullptr; }

    std::unique_ptr<TlsContext> tls;
    AccessControl access;
};

}  // namespace server::net
