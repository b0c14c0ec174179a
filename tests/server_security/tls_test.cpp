// TLS between TNetConnection and the real server: calls of every size over the encrypted
// link, a server certificate from another authority refused by the host, and a plain client
// meeting a TLS server (or the reverse) told so at once instead of waiting.

#include "tests/server_security/security_support.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

using securitytest::Certificates;
using securitytest::connectionErrorOf;
using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

constexpr int kConnectTimeoutMs = 4'000;

class Tls : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certs_ = std::make_unique<Certificates>();
        other_ = std::make_unique<Certificates>();
        db_ = TestDatabase::sqlite();
        testsupport::initDatabase(db_->url());
        tlsServer_ = std::make_unique<ServerProcess>(db_->url(), certs_->serveArguments());
        plainServer_ = std::make_unique<ServerProcess>(db_->url());
    }
    static void TearDownTestSuite()
    {
        tlsServer_.reset();
        plainServer_.reset();
        db_.reset();
        certs_.reset();
        other_.reset();
    }

    // The failure of opening `net`, which must come well within the connection timeout.
    static QString openingFailure(TNetConnection& net)
    {
        net.SetConnectTimeout(kConnectTimeoutMs);
        QElapsedTimer clock;
        clock.start();
        const QString text = connectionErrorOf([&] { net.Open(); });
        EXPECT_LT(clock.elapsed(), kConnectTimeoutMs) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("Não houve resposta"))) << text.toStdString();
        EXPECT_FALSE(net.Connected());
        return text;
    }

    static std::unique_ptr<Certificates> certs_, other_;
    static std::unique_ptr<TestDatabase> db_;
    static std::unique_ptr<ServerProcess> tlsServer_, plainServer_;
};

std::unique_ptr<Certificates> Tls::certs_, Tls::other_;
std::unique_ptr<TestDatabase> Tls::db_;
std::unique_ptr<ServerProcess> Tls::tlsServer_, Tls::plainServer_;

TEST_F(Tls, CallsOfEverySizeGoThroughTheEncryptedLink)
{
    TNetConnection net;
    securitytest::configure(net, *tlsServer_, {}, {}, certs_->ca());
    wire::Array args{QString("0001")};
    EXPECT_EQ(net.Call(QStringLiteral("GetParamComis"), args).packet().rows.size(), 1u);

    // Hundreds of rows back, and megabytes each way: many TLS records, partial writes.
    args = {QString("0001"), QString("0001"), wire::makeDateTime(2026, 10, 1), wire::makeDateTime(2026, 12, 31)};
    EXPECT_GT(net.Call(QStringLiteral("GetDelivery"), args).packet().rows.size(), 20u);
    const QString big(3 * 1024 * 1024, QChar(u'é'));
    args = {big};
    net.Call(QStringLiteral("GetParamComis"), args);
    EXPECT_EQ(args, wire::Array{big});
    for (int i = 0; i < 50; ++i) {
        args = {QString("0001")};
        net.Call(QStringLiteral("GetParamComis"), args);
    }
    EXPECT_TRUE(tlsServer_->log().contains(QStringLiteral(", TLS, "))) << tlsServer_->log().toStdString();
}

TEST_F(Tls, AServerCertificateFromAnotherAuthorityIsRefusedByTheHost)
{
    TNetConnection net;
    securitytest::configure(net, *tlsServer_, {}, {}, other_->ca());
    const QString text = openingFailure(net);
    EXPECT_TRUE(text.contains(
        QStringLiteral("O certificado do servidor não foi aceito: foi emitido por uma autoridade diferente")))
        << text.toStdString();

    // An authority file that is not one is said so before anything is sent.
    securitytest::configure(net, *tlsServer_, {}, {}, certs_->key() + QStringLiteral(".missing"));
    const QString missing = openingFailure(net);
    EXPECT_TRUE(missing.contains(QStringLiteral("Não foi possível ler o certificado da autoridade")))
        << missing.toStdString();
}

TEST_F(Tls, PlainAndEncryptedEndsThatDoNotMatchFailAtOnceSayingSo)
{
    TNetConnection plain;
    securitytest::configure(plain, *tlsServer_, {}, {});
    const QString plainText = openingFailure(plain);
    EXPECT_TRUE(plainText.contains(QStringLiteral("só aceita conexões cifradas (TLS)"))) << plainText.toStdString();

    TNetConnection encrypted;
    securitytest::configure(encrypted, *plainServer_, {}, {}, certs_->ca());
    const QString tlsText = openingFailure(encrypted);
    EXPECT_TRUE(tlsText.contains(QStringLiteral("TLS"))) << tlsText.toStdString();

    // Neither server was disturbed.
    wire::Array args{QString("0001")};
    TNetConnection good;
    securitytest::configure(good, *tlsServer_, {}, {}, certs_->ca());
    EXPECT_NO_THROW(good.Call(QStringLiteral("GetParamComis"), args));
    securitytest::configure(good, *plainServer_, {}, {});
    good.Close();
    EXPECT_NO_THROW(good.Call(QStringLiteral("GetParamComis"), args));
}

}  // namespace

namespace {

TEST(TlsWithCredentials, ARefusedWorkstationIsToldWhyOverTheEncryptedLink)
{
    Certificates certs;
    auto db = TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    const QString key = securitytest::addWorkstation(db->url(), QStringLiteral("CAIXA01"), QStringLiteral("1"));
    ServerProcess server(db->url(), certs.serveArguments());

    TNetConnection net;
    net.SetConnectTimeout(kConnectTimeoutMs);
    securitytest::configure(net, server, QStringLiteral("CAIXA01"), QStringLiteral("wrong"), certs.ca());
    const QString text = connectionErrorOf([&] { net.Open(); });
    EXPECT_TRUE(text.contains(QStringLiteral("nome ou chave inválidos"))) << text.toStdString();

    securitytest::configure(net, server, QStringLiteral("CAIXA01"), key, certs.ca());
    wire::Array args{QString("0001")};
    EXPECT_NO_THROW(net.Call(QStringLiteral("GetParamComis"), args));
}

}  // namespace
