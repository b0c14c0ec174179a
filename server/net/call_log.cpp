#include "server/net/call_log.h"

#include <chrono>
#include <ctime>

namespace server::net {

namespace {

// Texts from clients and from the database may hold line breaks; a log line stays one line.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

// Local time, "yyyy-MM-dd HH:mm:ss.zzz". localtime_r rather than QDateTime: Qt re-reads the
// time-zone settings on every conversion, a file system look-up on every line.
QString now()
{
    const auto clock = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(clock.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return QString::fromLatin1(text);
}

}  // namespace

void CallLog::call(const QString& peer, const QString& method, double milliseconds,
                   const QString& error)
{
    if (!out_) return;
    QString line = now() + QLatin1Char(' ') + peer + QLatin1Char(' ') +
                   (method.isEmpty() ? QStringLiteral("-") : oneLine(method)) + QLatin1Char(' ') +
                   QString::number(milliseconds, 'f', 1) + QLatin1String(" ms ");
    line += error.isEmpty() ? QStringLiteral("ok") : QLatin1String("error: ") + oneLine(error);
    write(line);
}

void CallLog::event(const QString& peer, const QString& text)
{
    if (!out_) return;
    write(now() + QLatin1Char(' ') + peer + QLatin1Char(' ') + oneLine(text));
}

void CallLog::note(const QString& text)
{
    if (!out_) return;
    write(now() + QLatin1Char(' ') + oneLine(text));
}

void CallLog::write(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // One write per line, so lines of a log shared with other processes never interleave.
    const std::lock_guard lock(mutex_);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out_);
    std::fflush(out_);
}

}  // namespace server::net
