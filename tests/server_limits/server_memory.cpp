#include "tests/server_limits/server_memory.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/resource.h>
#include <unistd.h>

namespace serverprobe {

namespace {

qint64 statusKb(qint64 pid, const char* key)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith(key)) continue;
        return line.mid(qstrlen(key)).trimmed().split(' ').front().toLongLong();
    }
    return -1;
}

}  // namespace

qint64 residentBytes(qint64 pid) { return statusKb(pid, "VmRSS:") * 1024; }

qint64 peakResidentBytes(qint64 pid) { return statusKb(pid, "VmHWM:") * 1024; }

double cpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = file.readAll();
    // The fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

int openDescriptors(qint64 pid)
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

bool limitDescriptors(qint64 pid, int limit)
{
    const rlimit value{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    return ::prlimit(static_cast<pid_t>(pid), RLIMIT_NOFILE, &value, nullptr) == 0;
}

}  // namespace serverprobe
