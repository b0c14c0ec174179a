#pragma once
// The server's log: one line per call (time, peer, method, milliseconds, outcome) and one per
// connection refused or closed by the server. Written from any thread, a whole line at a time.

#include <QString>

#include <cstdio>
#include <mutex>

namespace server::net {

class CallLog {
public:
    explicit CallLog(std::FILE* out) : out_(out) {}

    // "ok" when `error` is empty, "error: TEXT" otherwise.
    void call(const QString& peer, const QString& method, double milliseconds, const QString& error);
    // Something that happened to a connection outside a call (refused open, bad frame, idle).
    void event(const QString& peer, const QString& text);
    // A line of its own (start, stop).
    void note(const QString& text);

private:
    void write(const QString& line);

    std::FILE* out_;
    std::mutex mutex_;
};

}  // namespace server::net
