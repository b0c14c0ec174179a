#include "tests/support/server_fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

#include <stdexcept>

namespace testsupport {

namespace {

std::runtime_error failure(const QString& text) { return std::runtime_error(text.toStdString()); }

constexpr int kStartTimeoutMs = 60'000;

}  // namespace

QString serverExecutable()
{
    const QString buildDir = qEnvironmentVariable("ATE_BUILD_DIR");
    if (buildDir.isEmpty())
        throw failure(
            QStringLiteral("ATE_BUILD_DIR não definido: rode o teste pelo ctest ou defina a pasta de build."));
    const QString path = buildDir + QStringLiteral("/bin/ate02700-server");
    if (!QFile::exists(path)) throw failure(QStringLiteral("Servidor não encontrado: %1").arg(path));
    return path;
}

QString initDatabase(const QString& databaseUrl, const QString& seed)
{
    QStringList arguments{QStringLiteral("init"), QStringLiteral("--db"), databaseUrl};
    if (!seed.isEmpty()) arguments << QStringLiteral("--seed") << seed;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(serverExecutable(), arguments);
    if (!process.waitForFinished(300'000)) {
        process.kill();
        process.waitForFinished();
        throw failure(
            QStringLiteral("ate02700-server init não terminou: %1").arg(QString::fromUtf8(process.readAll())));
    }
    const QString output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw failure(
            QStringLiteral("ate02700-server init falhou (código %1): %2").arg(process.exitCode()).arg(output));
    return output;
}

ServerProcess::ServerProcess(QString databaseUrl, QStringList extraArguments, quint16 port)
{
    // The log goes to a file: a pipe nobody reads while a test waits on a call would fill up
    // and stall the server.
    process_.setStandardErrorFile(dir_.filePath(QStringLiteral("server.log")));
    QStringList arguments{QStringLiteral("serve"), QStringLiteral("--db"), databaseUrl, QStringLiteral("--listen"),
                          QStringLiteral("127.0.0.1:%1").arg(port)};
    arguments += extraArguments;
    process_.start(serverExecutable(), arguments);
    if (!process_.waitForStarted(kStartTimeoutMs))
        throw failure(QStringLiteral("ate02700-server não iniciou: %1").arg(process_.errorString()));

    static const QRegularExpression announced(QStringLiteral("^listening on (\\S+):(\\d+)\\s*$"));
    const QDeadlineTimer deadline(kStartTimeoutMs);
    QByteArray out;
    while (!deadline.hasExpired()) {
        if (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine());
            out += line.toUtf8();
            if (const auto m = announced.match(line); m.hasMatch()) {
                port_ = static_cast<quint16>(m.captured(2).toUInt());
                return;
            }
            continue;
        }
        if (process_.state() == QProcess::NotRunning) break;
        process_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    process_.kill();
    process_.waitForFinished();
    collected_ = true;
    throw failure(QStringLiteral("ate02700-server serve não anunciou a porta.\nsaída: %1\nlog: %2")
                      .arg(QString::fromUtf8(out + process_.readAllStandardOutput()), log()));
}

ServerProcess::~ServerProcess()
{
    if (running()) stop(10'000);
}

void ServerProcess::terminate()
{
    if (running()) process_.terminate();
}

int ServerProcess::waitForExit(int timeoutMs)
{
    if (collected_) return exitCode_;
    if (running() && !process_.waitForFinished(timeoutMs)) {
        process_.kill();
        process_.waitForFinished();
        collected_ = true;
        return exitCode_ = -1;
    }
    collected_ = true;
    exitCode_ = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    return exitCode_;
}

int ServerProcess::stop(int timeoutMs)
{
    terminate();
    return waitForExit(timeoutMs);
}

void ServerProcess::kill()
{
    if (running()) {
        process_.kill();
        process_.waitForFinished();
    }
    collected_ = true;
    exitCode_ = -1;
}

QString ServerProcess::log() const
{
    QFile file(dir_.filePath(QStringLiteral("server.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

DemoServer::DemoServer(TestDatabase::Engine engine, QStringList extraArguments) : db_(TestDatabase::create(engine))
{
    if (!db_) return;
    initDatabase(db_->url());
    server_ = std::make_unique<ServerProcess>(db_->url(), std::move(extraArguments));
}

}  // namespace testsupport
