#include "tests/server_security/security_support.h"

#include <QProcess>

#include <stdexcept>

namespace securitytest {

ServerRun runServer(const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(testsupport::serverExecutable(), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        throw std::runtime_error("ate02700-server did not finish: " + arguments.join(' ').toStdString());
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

QString addWorkstation(const QString& url, const QString& name, const QString& branches)
{
    const ServerRun run = runServer({QStringLiteral("client"), QStringLiteral("add"), name,
                                     QStringLiteral("--branches"), branches, QStringLiteral("--db"), url});
    if (run.exitCode != 0) throw std::runtime_error("client add failed: " + run.output.toStdString());
    const QStringList lines = run.output.trimmed().split(QLatin1Char('\n'));
    return lines.back().trimmed();
}

Certificates::Certificates()
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(ATE_SOURCE_DIR "/tools/make-test-certs.sh"), {dir_.path()});
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        throw std::runtime_error("make-test-certs.sh failed: " + process.readAll().toStdString());
}

void configure(TNetConnection& net, const testsupport::ServerProcess& server, const QString& name, const QString& key,
               const QString& ca)
{
    server.configure(net);
    net.SetSecurity({name, key, ca});
}

QString connectionErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EConnectionError& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QStringLiteral("<other exception: %1>").arg(QString::fromUtf8(e.what()));
    }
    return QStringLiteral("<nothing raised>");
}

}  // namespace securitytest
