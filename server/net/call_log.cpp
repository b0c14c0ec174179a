#include "server/net/call_log.h"

#include <QByteArray>

#include <charconv>
#include <chrono>

namespace server::net {

namespace {

// Texts from clients and from the database may hold line breaks; a log line stays one line.
// Line breaks are single bytes in UTF-8, so they can be replaced after the conversion.
void appendOneLine(QByteArray& line, QStringView text)
{
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains('\n') && !bytes.contains('\r')) {
        line += bytes;
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            line += "\\n";
            ++i;
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else {
            line += c;
        }
    }
}

void appendDigits(char* out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

// Local time, "yyyy-MM-dd HH:mm:ss.zzz". localtime_r rather than QDateTime: Qt re-reads the
// time-zone settings on every conversion, a file system look-up on every line.
void CallLog::stamp(QByteArray& line)
{
    const auto clock = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(clock.time_since_epoch()).count() % 1000;
    if (seconds != stampSecond_) {
        std::tm local{};
        localtime_r(&seconds, &local);
        appendDigits(stampText_, local.tm_year + 1900, 4);
        stampText_[4] = '-';
        appendDigits(stampText_ + 5, local.tm_mon + 1, 2);
        stampText_[7] = '-';
        appendDigits(stampText_ + 8, local.tm_mday, 2);
        stampText_[10] = ' ';
        appendDigits(stampText_ + 11, local.tm_hour, 2);
        stampText_[13] = ':';
        appendDigits(stampText_ + 14, local.tm_min, 2);
        stampText_[16] = ':';
        appendDigits(stampText_ + 17, local.tm_sec, 2);
        stampSecond_ = seconds;
    }
    char text[24];
    std::copy(stampText_, stampText_ + 19, text);
    text[19] = '.';
    appendDigits(text + 20, static_cast<int>(millis < 0 ? millis + 1000 : millis), 3);
    text[23] = ' ';
    line.append(text, sizeof text);
}

void CallLog::call(const QString& peer, const QString& method, double milliseconds, const QString& error,
                   const QString& undelivered)
{
    if (!out_) return;
    QByteArray line;
    line.reserve(96 + peer.size() + method.size() + 3 * error.size());
    const std::lock_guard lock(mutex_);
    stamp(line);
    appendOneLine(line, peer);
    line += ' ';
    if (method.isEmpty())
        line += '-';
    else
        appendOneLine(line, method);
    line += ' ';
    char number[32];
    const auto [end, failed] = std::to_chars(number, number + sizeof number, milliseconds, std::chars_format::fixed, 1);
    if (failed == std::errc())
        line.append(number, end - number);
    else
        line += '?';
    line += " ms ";
    if (error.isEmpty()) {
        line += undelivered.isEmpty() ? "ok" : "ok: committed, but the answer could not be delivered (";
    } else {
        line += "error: ";
        appendOneLine(line, error);
        if (!undelivered.isEmpty()) line += "; the answer could not be delivered (";
    }
    if (!undelivered.isEmpty()) {
        appendOneLine(line, undelivered);
        line += ')';
    }
    write(line);
}

void CallLog::event(const QString& peer, const QString& text)
{
    if (!out_) return;
    QByteArray line;
    const std::lock_guard lock(mutex_);
    stamp(line);
    appendOneLine(line, peer);
    line += ' ';
    appendOneLine(line, text);
    write(line);
}

void CallLog::note(const QString& text)
{
    if (!out_) return;
    QByteArray line;
    const std::lock_guard lock(mutex_);
    stamp(line);
    appendOneLine(line, text);
    write(line);
}

void CallLog::refusal(Refusal kind, const QString& peer, const QString& text)
{
    refusal(
        kind, [&peer] { return peer; }, text);
}

void CallLog::refusal(Refusal kind, const std::function<QString()>& peer, const QString& text)
{
    if (!out_) return;
    const auto now = RefusalThrottle::Clock::now();
    const std::lock_guard lock(mutex_);
    writeSummaries(now);
    if (!throttle_.admit(kind, now)) return;
    QByteArray line;
    stamp(line);
    appendOneLine(line, peer());
    line += ' ';
    appendOneLine(line, text);
    write(line);
}

void CallLog::flushRefusals(bool all)
{
    if (!out_) return;
    const auto now = RefusalThrottle::Clock::now();
    const std::lock_guard lock(mutex_);
    writeSummaries(now, all);
}

// Under the lock.
void CallLog::writeSummaries(RefusalThrottle::Clock::time_point now, bool all)
{
    if (!all && !throttle_.due(now)) return;
    for (const QString& summary : throttle_.summaries(now, all)) {
        QByteArray line;
        stamp(line);
        appendOneLine(line, summary);
        write(line);
    }
}

void CallLog::write(QByteArray& line)
{
    line += '\n';
    // One write per line, so lines of a log shared with other processes never interleave.
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), out_);
    std::fflush(out_);
}

}  // namespace server::net
