// The host's workstation credentials and TLS authority, from its settings file and command
// line; the warning about a key file others can read; and the settings example of
// host_config.h, which must be accepted as written.

#include "host/host_config.h"
#include "tests/host/host_config_reading.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HostSecurityConfig : public HostConfigReading {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("work")));
        paths = {dir.filePath(QStringLiteral("work")), dir.filePath(QStringLiteral("work"))};
        Write(QStringLiteral("work/ca.pem"), "not read here");
    }

    void Write(const QString& name, const QByteArray& text,
               QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        ASSERT_TRUE(file.setPermissions(permissions));
    }
};

TEST_F(HostSecurityConfig, CredentialsAndAuthorityFromTheFileAndTheCommandLine)
{
    Write(QStringLiteral("work/ate-host.ini"), "[host]\nclient = CAIXA01\nclient-key = abc def\ntls-ca = ca.pem\n");
    const THostConfig fromFile = Read({});
    EXPECT_EQ(fromFile.client, QStringLiteral("CAIXA01"));
    EXPECT_EQ(fromFile.clientKey, QStringLiteral("abc def"));
    EXPECT_EQ(fromFile.tlsCaFile, dir.filePath(QStringLiteral("work/ca.pem")));
    EXPECT_TRUE(fromFile.warnings.isEmpty()) << fromFile.warnings.join('\n').toStdString();

    const THostConfig overridden =
        Read({"--client=CAIXA02", "--client-key", "k2", "--tls-ca=" + dir.filePath("work/ca.pem")});
    EXPECT_EQ(overridden.client, QStringLiteral("CAIXA02"));
    EXPECT_EQ(overridden.clientKey, QStringLiteral("k2"));

    EXPECT_EQ(
        Refusal({"--tls-ca", "falta.pem"}),
        QStringLiteral("--tls-ca: arquivo não encontrado: %1").arg(dir.filePath(QStringLiteral("work/falta.pem"))));
    EXPECT_EQ(Refusal({"--client"}), QStringLiteral("A opção --client precisa de um valor."));
    EXPECT_EQ(Refusal({"--client-key", " "}), QStringLiteral("--client-key: o valor não pode ser vazio."));
    EXPECT_TRUE(Read({"--version"}).version);
    EXPECT_TRUE(Read({"--help"}).help);
}

TEST_F(HostSecurityConfig, AKeyFileOthersCanReadIsWarnedAbout)
{
    Write(QStringLiteral("work/ate-host.ini"), "[host]\nclient = CAIXA01\nclient-key = abc\n",
          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const THostConfig config = Read({});
    ASSERT_EQ(config.warnings.size(), 1);
    EXPECT_TRUE(config.warnings.front().contains(QStringLiteral("pode ser lido por outros usuários")))
        << config.warnings.front().toStdString();
    EXPECT_FALSE(config.warnings.front().contains(QStringLiteral("abc")));

    // Without a key in it, the same file is nobody's concern.
    Write(QStringLiteral("work/ate-host.ini"), "[host]\nclient = CAIXA01\n",
          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    EXPECT_TRUE(Read({}).warnings.isEmpty());
}

TEST_F(HostSecurityConfig, TheSettingsExampleIsAcceptedAsWritten)
{
    QFile header(QStringLiteral(ATE_SOURCE_DIR "/host/host_config.h"));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    // The example: the comment lines from "[host]" to the first blank comment line.
    QByteArray example;
    bool inside = false;
    for (const QByteArray& line : header.readAll().split('\n')) {
        const QByteArray text = line.startsWith("//") ? line.mid(2).trimmed() : QByteArray();
        if (text == "[host]") inside = true;
        if (!inside) continue;
        if (text.isEmpty()) break;
        example += text + '\n';
    }
    ASSERT_TRUE(example.contains("client-key")) << example.toStdString();
    Write(QStringLiteral("work/ate-host.ini"), example);
    THostConfig config;
    ASSERT_NO_THROW(config = Read({}));
    EXPECT_EQ(config.serverPort, 7027);
    EXPECT_EQ(config.branch, QStringLiteral("0001"));
    EXPECT_TRUE(config.branchFixed);
    EXPECT_EQ(config.serviceMask, QStringLiteral("99.99.999999;0;_"));
    EXPECT_EQ(config.open, QStringList{QStringLiteral("ATE02700")});
    EXPECT_EQ(config.client, QStringLiteral("CAIXA01"));
    EXPECT_EQ(config.tlsCaFile, dir.filePath(QStringLiteral("work/ca.pem")));
}

}  // namespace
