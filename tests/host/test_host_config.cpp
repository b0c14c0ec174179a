// The host's settings: the settings file against the command line, paths, and refusals.

#include "host/host_config.h"
#include "host/ini_file.h"
#include "tests/host/host_config_reading.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HostConfig : public HostConfigReading {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("work")));
        paths = {dir.filePath(QStringLiteral("bin")), dir.filePath(QStringLiteral("work"))};
    }

    void WriteIni(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
};

TEST_F(HostConfig, TheCommandLineWinsOverTheFileAndTheFileOverTheDefaults)
{
    WriteIni(dir.filePath(QStringLiteral("bin/ate-host.ini")),
             "; instalação da filial\n"
             "[host]\n"
             "server = servidor.local:7100\n"
             "branch = 0001\n"
             "branch-fixed = sim\n"
             "operator = OPER01\n"
             "service-mask = !99\\.999;0;_\n"
             "reports = relatorios\n"
             "db = sqlite:dados/ate.sqlite\n"
             "open = ate02700, tst00001\n");
    const THostConfig fromFile = Read({});
    EXPECT_EQ(fromFile.configFile, dir.filePath(QStringLiteral("bin/ate-host.ini")));
    EXPECT_EQ(fromFile.serverHost, QStringLiteral("servidor.local"));
    EXPECT_EQ(fromFile.serverPort, 7100);
    EXPECT_EQ(fromFile.branch, QStringLiteral("0001"));
    EXPECT_TRUE(fromFile.branchFixed);
    EXPECT_EQ(fromFile.serviceMask, QStringLiteral("!99\\.999;0;_")) << "no escapes in values";
    EXPECT_EQ(fromFile.reportsDir, dir.filePath(QStringLiteral("bin/relatorios"))) << "relative to the file";
    EXPECT_EQ(fromFile.dbUrl, QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bin/dados/ate.sqlite")));
    EXPECT_EQ(fromFile.open, (QStringList{"ATE02700", "TST00001"}));
    EXPECT_EQ(fromFile.modulesDir, dir.filePath(QStringLiteral("lib"))) << "default: lib beside bin";

    const THostConfig overridden = Read({"--server", "127.0.0.1:9000", "--branch=0002", "--branch-fixed=não",
                                         "--reports", "outros", "--open", "ATE02700"});
    EXPECT_EQ(overridden.serverHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(overridden.serverPort, 9000);
    EXPECT_EQ(overridden.branch, QStringLiteral("0002"));
    EXPECT_FALSE(overridden.branchFixed);
    EXPECT_EQ(overridden.operatorCode, QStringLiteral("OPER01")) << "what the command line leaves stays";
    EXPECT_EQ(overridden.reportsDir, dir.filePath(QStringLiteral("work/outros"))) << "relative to the working folder";
    EXPECT_EQ(overridden.open, QStringList{"ATE02700"}) << "the command line replaces the list";
}

TEST_F(HostConfig, TheFileIsTheOneNamedOrBesideTheProgramOrInTheWorkingFolder)
{
    EXPECT_TRUE(Read({}).configFile.isEmpty()) << "none is fine";
    EXPECT_EQ(Read({}).serverPort, 7027);

    WriteIni(dir.filePath(QStringLiteral("work/ate-host.ini")), "[host]\nbranch = 0003\n");
    EXPECT_EQ(Read({}).branch, QStringLiteral("0003"));
    WriteIni(dir.filePath(QStringLiteral("bin/ate-host.ini")), "[host]\nbranch = 0004\n");
    EXPECT_EQ(Read({}).branch, QStringLiteral("0004"));
    WriteIni(dir.filePath(QStringLiteral("work/outro.ini")), "[HOST]\nBranch = 0005\n");
    EXPECT_EQ(Read({"--config", "outro.ini"}).branch, QStringLiteral("0005"));
    EXPECT_TRUE(
        Refusal({"--config", "falta.ini"}).startsWith(QStringLiteral("Arquivo de configuração não encontrado")));
}

TEST_F(HostConfig, RefusesWhatItDoesNotUnderstand)
{
    EXPECT_EQ(Refusal({"--servidor", "x"}), QStringLiteral("Opção desconhecida: --servidor"));
    EXPECT_EQ(Refusal({"ATE02700"}), QStringLiteral("Argumento inesperado: ATE02700"));
    EXPECT_EQ(Refusal({"--db"}), QStringLiteral("A opção --db precisa de um valor."));
    EXPECT_TRUE(Refusal({"--server", "localhost"}).contains(QStringLiteral("servidor inválido 'localhost'")));
    EXPECT_TRUE(Refusal({"--server", "localhost:0"}).contains(QStringLiteral("servidor inválido")));
    EXPECT_TRUE(Refusal({"--server", "localhost:65536"}).contains(QStringLiteral("servidor inválido")));
    EXPECT_EQ(Read({"--server", "[::1]:7027"}).serverHost, QStringLiteral("::1"));
    EXPECT_EQ(Refusal({"--branch-fixed=talvez"}), QStringLiteral("--branch-fixed: use sim ou não, e não 'talvez'."));
    EXPECT_EQ(Refusal({"--branch", " "}), QStringLiteral("--branch: o valor não pode ser vazio."));
    EXPECT_EQ(Read({"--printer", "Guias Balcão"}).printer, QStringLiteral("Guias Balcão"));
    EXPECT_EQ(Refusal({"--printer", ""}), QStringLiteral("--printer: o valor não pode ser vazio."));
    EXPECT_EQ(Refusal({"--param", "P_CDFILIAL=0001"}),
              QStringLiteral("--title e --param só valem com --print-report."));
    EXPECT_EQ(Refusal({"--print-report", "ATE027", "--param", "=1"}),
              QStringLiteral("--param: use NOME=VALOR, e não '=1'."));
    EXPECT_TRUE(Refusal({"--screenshot-delay", "-5"}).startsWith(QStringLiteral("--screenshot-delay")));

    WriteIni(dir.filePath(QStringLiteral("work/a.ini")), "[host]\nserver = h:1\ncor = azul\n");
    EXPECT_EQ(Refusal({"--config", "a.ini"}), QStringLiteral("a.ini, linha 3: chave desconhecida 'cor'."));
    WriteIni(dir.filePath(QStringLiteral("work/b.ini")), "[banco]\ndb = sqlite:x\n");
    EXPECT_EQ(Refusal({"--config", "b.ini"}),
              QStringLiteral("b.ini, linha 2: seção desconhecida [banco]; use [host]."));
    WriteIni(dir.filePath(QStringLiteral("work/c.ini")), "[host]\nbranch = 1\nbranch = 2\n");
    EXPECT_TRUE(
        Refusal({"--config", "c.ini"}).endsWith(QStringLiteral("linha 3: a chave branch já foi dada na linha 2.")));
    WriteIni(dir.filePath(QStringLiteral("work/d.ini")), "[host]\nbranch 0001\n");
    EXPECT_TRUE(
        Refusal({"--config", "d.ini"}).endsWith(QStringLiteral("linha 2: esperado chave = valor: branch 0001")));
    WriteIni(dir.filePath(QStringLiteral("work/e.ini")), "[host]\nserver = h:abc\n");
    EXPECT_TRUE(
        Refusal({"--config", "e.ini"}).startsWith(QStringLiteral("e.ini, linha 2 (server): servidor inválido")));
}

TEST_F(HostConfig, ReportPrintingCollectsItsParametersInOrder)
{
    const THostConfig config = Read({"--print-report", "ATE027", "--param", "P_CDFILIAL=0001", "--param",
                                     "P_NRDELIVERY=a=b", "--out", "saida", "--title", "Guia"});
    EXPECT_EQ(config.printReport, QStringLiteral("ATE027"));
    EXPECT_EQ(config.reportTitle, QStringLiteral("Guia"));
    ASSERT_EQ(config.reportParams.size(), 2u);
    EXPECT_EQ(config.reportParams[1].first, QStringLiteral("P_NRDELIVERY"));
    EXPECT_EQ(config.reportParams[1].second, QStringLiteral("a=b"));
    EXPECT_EQ(config.outDir, dir.filePath(QStringLiteral("work/saida")));
}

TEST(IniFile, KeepsValuesExactlyAndSkipsComments)
{
    const TIniFile ini = TIniFile::Parse(QStringLiteral("\xFEFF# início\r\n[Host]\r\n  Mask =  a;b,c \\t  \r\n; fim\n"),
                                         QStringLiteral("x.ini"));
    EXPECT_EQ(ini.Value(QStringLiteral("host"), QStringLiteral("mask")), QStringLiteral("a;b,c \\t"));
    EXPECT_FALSE(ini.Value(QStringLiteral("host"), QStringLiteral("outro")).has_value());
    EXPECT_THROW(TIniFile::Parse(QStringLiteral("[]\n"), QStringLiteral("x.ini")), Exception);
}

}  // namespace
