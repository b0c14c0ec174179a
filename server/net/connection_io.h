#pragma once
// Reading and writing one client's non-blocking socket, in plain TCP or through TLS. With
// TLS the handshake runs inside the first reads; a client that speaks plain protocol to a TLS
// server is recognised by its first byte (a TLS record starts with 0x16, a frame's length
// with 0x00 for anything under 16 MiB), so it can be told in plain words why it is refused.

#include <QString>

#include <cstddef>

struct ssl_ctx_st;
struct ssl_st;

namespace server::net {

class ConnectionIo {
public:
    enum class Status { Done, WouldBlock, Closed, Failed, PlainOnTls };
    struct Result {
        Status status = Status::Done;
        qsizetype bytes = 0;  // Done
    };

    // `tls` null: plain TCP. Does not own the descriptor.
    ConnectionIo(int descriptor, ssl_ctx_st* tls);
    ~ConnectionIo();
    ConnectionIo(const ConnectionIo&) = delete;
    ConnectionIo& operator=(const ConnectionIo&) = delete;

    Result read(char* buffer, std::size_t size);
    Result write(const char* data, std::size_t size);
    // No more sending (with TLS, after its closing alert).
    void shutdownWrite();

    // TLS must write before it can go on reading (a handshake message the socket did not take).
    bool wantsWrite() const { return wantsWrite_; }
    // Writes can go out: plain, or the TLS handshake has ended.
    bool writable() const;
    // A TLS handshake has begun (its first byte came) and not ended.
    bool handshaking() const;
    // TLS holds decrypted bytes that no read has taken yet.
    bool hasBuffered() const;
    // Plain from now on: to answer a client that does not speak TLS.
    void dropTls();
    bool encrypted() const { return ssl_ != nullptr; }
    // What failed, for the log.
    const QString& failure() const { return failure_; }

private:
    Result plainRead(char* buffer, std::size_t size);
    Result plainWrite(const char* data, std::size_t size);
    Result handshake();
    Result tlsError(int code, const char* what);

    int fd_;
    ssl_st* ssl_ = nullptr;
    bool looked_ = false;  // the first byte was checked
    bool wantsWrite_ = false;
    QString failure_;
};

}  // namespace server::net
