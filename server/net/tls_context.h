#pragma once
// The server's TLS settings, loaded once from the certificate and key files and shared by
// every connection (OpenSSL's SSL_CTX is safe to share between threads once set up).

#include "server/net/serve_options.h"

#include <memory>

struct ssl_ctx_st;

namespace server::net {

class TlsContext {
public:
    // Throws ServerFailure naming the file that cannot be used.
    explicit TlsContext(const TlsFiles& files);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    ssl_ctx_st* get() const { return ctx_; }

private:
    ssl_ctx_st* ctx_ = nullptr;
};

// OpenSSL's most recent error on this thread, as text (empties the queue).
QString openSslError();

}  // namespace server::net
