#include "server/net/tls_context.h"

#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace server::net {

QString openSslError()
{
    QString text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (text.isEmpty()) text = QString::fromLatin1(buffer);  // the first is the cause
    }
    return text;
}

TlsContext::TlsContext(const TlsFiles& files) : ctx_(SSL_CTX_new(TLS_server_method()))
{
    if (!ctx_) throw ServerFailure(QStringLiteral("Não foi possível preparar o TLS: %1").arg(openSslError()));
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    // A client that drops the connection without a TLS goodbye is just a closed connection.
    SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    // Answers are written from a buffer that may move between a partial write and its retry.
    SSL_CTX_set_mode(ctx_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_session_cache_mode(ctx_, SSL_SESS_CACHE_SERVER);

    const auto refuse = [&](const QString& what, const QString& file) {
        const QString reason = openSslError();
        SSL_CTX_free(ctx_);
        ctx_ = nullptr;
        throw ServerFailure(QStringLiteral("%1 %2: %3").arg(what, file, reason));
    };
    for (const QString& file : {files.certificate, files.privateKey})
        if (!QFileInfo(file).isReadable())
            throw ServerFailure(QStringLiteral("Arquivo TLS não encontrado ou sem permissão de leitura: %1").arg(file));
    if (SSL_CTX_use_certificate_chain_file(ctx_, QFile::encodeName(files.certificate).constData()) != 1)
        refuse(QStringLiteral("Certificado TLS inválido em"), files.certificate);
    if (SSL_CTX_use_PrivateKey_file(ctx_, QFile::encodeName(files.privateKey).constData(), SSL_FILETYPE_PEM) != 1)
        refuse(QStringLiteral("Chave privada TLS inválida em"), files.privateKey);
    if (SSL_CTX_check_private_key(ctx_) != 1)
        refuse(QStringLiteral("A chave privada não corresponde ao certificado"), files.certificate);
}

TlsContext::~TlsContext()
{
    if (ctx_) SSL_CTX_free(ctx_);
}

}  // namespace server::net
