#pragma once
// The server's log: one line per call (time, peer, method, milliseconds, outcome) and one per
// connection refused or closed by the server. Written from any thread, a whole line at a time:
//
//   2026-11-05 14:03:22.481 10.0.0.7:51234 GetDelivery 12.5 ms ok
//   2026-11-05 14:03:22.502 10.0.0.7:51234 SetServicoDel 3.1 ms error: TEXT
//
// Line breaks inside texts are written as \n and \r, so a line is always one line. A line is
// written on every call (it costs about as much as the call's own bookkeeping), straight
// through to the stream, so that what the log shows is never behind what clients saw.
//
// Refusals (connections and messages refused or cut off) go through refusal(): per kind, at
// most so many lines an interval, the rest counted in one line (refusal_throttle.h).

#include "server/net/refusal_throttle.h"

#include <QString>

#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>

class QByteArray;

namespace server::net {

class CallLog {
public:
    // By default at most 20 lines of each kind of refusal every 10 s.
    explicit CallLog(std::FILE* out, int refusalLines = 20,
                     std::chrono::milliseconds refusalInterval = std::chrono::seconds(10))
        : out_(out), throttle_(refusalLines, refusalInterval)
    {}

    // "ok" when `error` is empty, "error: TEXT" otherwise. `undelivered` says why the answer
    // did not reach the client (the call ran, and committed what it wrote, all the same).
    void call(const QString& peer, const QString& method, double milliseconds, const QString& error,
              const QString& undelivered = {});
    // Something that happened to a connection outside a call (refused open, bad frame, idle).
    void event(const QString& peer, const QString& text);
    // A line of its own (start, stop).
    void note(const QString& text);
    // A refused or cut-off connection or message, as event() writes it unless too many of
    // its kind were written lately. `peer` is asked for only when the line is written.
    void refusal(Refusal kind, const QString& peer, const QString& text);
    void refusal(Refusal kind, const std::function<QString()>& peer, const QString& text);
    // Writes the summaries of refusal intervals that have ended (called now and then, so that
    // they appear when a flood stops and no further line would bring them); with `all`, of
    // those under way too (the server is stopping).
    void flushRefusals(bool all = false);
    std::chrono::milliseconds refusalInterval() const { return throttle_.interval(); }

private:
    // Starts `line` with the local time and a blank. Under the lock.
    void stamp(QByteArray& line);
    void write(QByteArray& line);
    void writeSummaries(RefusalThrottle::Clock::time_point now, bool all = false);

    std::FILE* out_;
    std::mutex mutex_;
    RefusalThrottle throttle_;
    // The date and time to the second of the last line: local-time conversion is done once
    // a second rather than once a line.
    std::time_t stampSecond_ = -1;
    char stampText_[20] = {};
};

}  // namespace server::net
