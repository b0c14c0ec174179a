#include "server/key_hash.h"

#include "server/database.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace server::keys {

namespace {

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), count) != 1)
        throw ServerFailure(QStringLiteral("Não foi possível obter bytes aleatórios do sistema."));
    return bytes;
}

}  // namespace

QString newKey()
{
    return QString::fromLatin1(
        randomBytes(32).toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray newSalt() { return randomBytes(16); }

QByteArray hash(const QByteArray& salt, const QString& key)
{
    const QByteArray input = salt + key.toUtf8();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(input.constData(), static_cast<size_t>(input.size()), digest, &length, EVP_sha256(), nullptr) != 1)
        throw ServerFailure(QStringLiteral("Não foi possível calcular o resumo da chave."));
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length));
}

bool sameHash(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.constData(), b.constData(), static_cast<size_t>(a.size())) == 0;
}

}  // namespace server::keys
