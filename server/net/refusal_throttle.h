#pragma once
// Refusal lines a flood cannot multiply. A client can make the server refuse or cut off a
// connection, or a message, as fast as it can open connections; writing a line for each would
// let it fill the disk and bury everything else in the log. Per kind of refusal, at most
// `lines` are written in an interval; the rest are counted and told in one line when the
// interval ends:
//
//   refused: connections opened too fast from one address: 532 more refused in the last 10 s
//
// Not thread-safe: CallLog holds it under its own lock.

#include <QString>

#include <array>
#include <chrono>
#include <vector>

namespace server::net {

// Kinds of refusal, each limited on its own so that a flood of one does not hide the others.
enum class Refusal {
    ServerFull,   // the server's limit of connections
    AddressFull,  // the limit of connections from one address
    OpeningRate,  // connections opened too fast from one address
    BufferFull,   // the limit of bytes held for messages
    BadMessage,   // a message the protocol does not allow
    Credentials,  // an opening without valid workstation credentials
    Deadline,     // a message, an answer or a TLS handshake not done in time
    Failed,       // a connection that failed (a TLS error, a reset)
    Other,
};

class RefusalThrottle {
public:
    using Clock = std::chrono::steady_clock;

    RefusalThrottle(int lines, std::chrono::milliseconds interval) : lines_(lines), interval_(interval) {}

    // True when a line of this kind is written now; false when it is only counted. The
    // summaries due by `now` are to be taken first, or an ended interval goes on counting.
    bool admit(Refusal kind, Clock::time_point now);
    // The lines telling what was counted in the intervals that have ended by `now` (after
    // which those kinds start afresh); with `all`, in every interval (the server is stopping).
    std::vector<QString> summaries(Clock::time_point now, bool all = false);
    // Whether summaries() has anything to say by `now`; cheap.
    bool due(Clock::time_point now) const { return now >= nextDue_; }

    std::chrono::milliseconds interval() const { return interval_; }

private:
    struct Window {
        Clock::time_point start;
        int written = 0;
        long long counted = 0;  // not written
        bool open = false;
    };
    static constexpr std::size_t kKinds = static_cast<std::size_t>(Refusal::Other) + 1;

    const int lines_;
    const std::chrono::milliseconds interval_;
    std::array<Window, kKinds> windows_{};
    // The earliest end of an interval with lines counted; max() when there is none.
    Clock::time_point nextDue_ = Clock::time_point::max();
};

}  // namespace server::net
