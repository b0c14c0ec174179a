#include "framework/report/unique_file.h"

#include "framework/report/report_error.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <unistd.h>

QString WriteNewFile(const QString& basePath, const QString& extension,
                     const std::function<bool(QIODevice& out)>& write)
{
    const QFileInfo info(basePath);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        throw EReportError(
            QStringLiteral("Não foi possível criar a pasta '%1'.").arg(QDir::toNativeSeparators(folder)));

    QTemporaryFile temp(QDir(folder).filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!temp.open())
        throw EReportError(QStringLiteral("Não foi possível criar um arquivo na pasta '%1': %2")
                               .arg(QDir::toNativeSeparators(folder), temp.errorString()));
    // Removed here unless published: QTemporaryFile would remove the file under its new name.
    temp.setAutoRemove(false);
    const QString tempPath = temp.fileName();
    bool published = false;
    const auto cleanup = qScopeGuard([&] {
        if (!published) QFile::remove(tempPath);
    });

    if (!write(temp) || !temp.flush() || ::fsync(temp.handle()) != 0)
        throw EReportError(QStringLiteral("Não foi possível gravar o arquivo na pasta '%1': %2")
                               .arg(QDir::toNativeSeparators(folder), temp.errorString()));
    temp.close();

    for (int n = 1; n <= 1000; ++n) {
        const QString target = basePath + (n == 1 ? QString() : QStringLiteral("_%1").arg(n)) + extension;
        if (QFileInfo::exists(target)) continue;
        // The rename refuses an existing target, so a file that appeared meanwhile is kept.
        QFile file(tempPath);
        if (file.rename(target)) {
            published = true;
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                              | QFileDevice::ReadOther);
            return target;
        }
        if (!QFileInfo::exists(target))
            throw EReportError(QStringLiteral("Não foi possível gravar o arquivo '%1': %2")
                                   .arg(QDir::toNativeSeparators(target), file.errorString()));
    }
    throw EReportError(QStringLiteral("Não foi possível escolher um nome livre para '%1'.")
                           .arg(QDir::toNativeSeparators(basePath + extension)));
}
