// The host executable started as a process: a module opened from the command line and its
// lifecycle to the end, and the messages of the ways a start can fail.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProcessRun {
    int status = -1;
    QString out;
    QString err;
};

class HostExecutable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        log = dir.filePath(QStringLiteral("calls.log"));
    }

    ProcessRun Start(QStringList args) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ATE_TESTMOD_LOG"), log);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());  // no settings file there
        args.prepend(QStringLiteral(TEST_MODULES_DIR));
        args.prepend(QStringLiteral("--modules"));
        process.start(QStringLiteral(ATE_HOST_EXE), args);
        ProcessRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.err = QStringLiteral("(did not end)");
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QStringList Calls() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    QString log;
};

TEST_F(HostExecutable, OpensAModuleTakesThePictureAndEndsAfterItsFormIsGone)
{
    const QString picture = dir.filePath(QStringLiteral("shots/host.png"));
    const ProcessRun run = Start({"--open", "TST00003", "--screenshot", picture, "--screenshot-delay", "200",
                                  "--branch", "0001", "--operator", "OPER01"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), picture);
    QFile png(picture);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_EQ(png.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(Calls().join(QStringLiteral(" | ")).toStdString(),
              "TST00003 Initialize | TST00003 IniProc | TST00003 FormCreate | TST00003 FormActivate | "
              "TST00003 FormClose | TST00003 Finalize forms=0");
}

TEST_F(HostExecutable, SaysWhatWentWrongWhenStarting)
{
    const QString picture = dir.filePath(QStringLiteral("x.png"));
    const ProcessRun missingEntry = Start({"--open", "TST00002", "--screenshot", picture, "--screenshot-delay", "0"});
    EXPECT_EQ(missingEntry.status, 1);
    EXPECT_TRUE(missingEntry.err.contains(QStringLiteral("O módulo TST00002 não exporta a entrada IniProc.")))
        << missingEntry.err.toStdString();

    const ProcessRun missingModule = Start({"--open", "ATE09999", "--screenshot", picture, "--screenshot-delay", "0"});
    EXPECT_EQ(missingModule.status, 1);
    EXPECT_TRUE(missingModule.err.contains(QStringLiteral("Módulo ATE09999 não encontrado")))
        << missingModule.err.toStdString();

    const ProcessRun noDatabase = Start({"--db", "sqlite:" + dir.filePath(QStringLiteral("falta/ate.sqlite")),
                                         "--screenshot", picture, "--screenshot-delay", "0"});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_TRUE(noDatabase.err.contains(QStringLiteral("Não foi possível abrir o banco de dados")))
        << noDatabase.err.toStdString();

    const ProcessRun badServer = Start({"--server", "servidor"});
    EXPECT_EQ(badServer.status, 2);
    EXPECT_TRUE(badServer.err.contains(QStringLiteral("servidor inválido 'servidor'"))) << badServer.err.toStdString();
    EXPECT_TRUE(badServer.err.contains(QStringLiteral("Uso: ate-host")));
    EXPECT_EQ(Calls().join(QStringLiteral(" | ")).toStdString(), "") << "no module was loaded";
}

TEST_F(HostExecutable, PrintsReportsWithTheSettingsOfTheFile)
{
    // An empty SQLite database and an empty reports folder, named only in the settings file:
    // the report command sees both and says the report is not there.
    QFile database(dir.filePath(QStringLiteral("vazio.sqlite")));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("relatorios")));
    QFile ini(dir.filePath(QStringLiteral("host.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[host]\ndb = sqlite:vazio.sqlite\nreports = relatorios\nout = saida\n");
    ini.close();

    const ProcessRun run =
        Start({"--config", ini.fileName(), "--print-report", "ZZZ999", "--param", "P_CDFILIAL=0001"});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("ZZZ999"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    const ProcessRun usage = Start({"--print-report", "ZZZ999"});
    EXPECT_EQ(usage.status, 2) << "no output folder anywhere";
}

}  // namespace
