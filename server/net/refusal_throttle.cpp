#include "server/net/refusal_throttle.h"

#include <algorithm>

namespace server::net {

namespace {

// What each kind is called in its summary line, and what happened to the connections.
struct KindText {
    const char* what;
    const char* done;
};

constexpr KindText kTexts[] = {
    {"the server's limit of connections is reached", "refused"},
    {"the limit of connections from one address is reached", "refused"},
    {"connections opened too fast from one address", "refused"},
    {"the limit of bytes held for messages is reached", "refused"},
    {"invalid messages", "refused"},
    {"openings without valid workstation credentials", "refused"},
    {"a message, an answer or a TLS handshake not done in time", "closed"},
    {"connections that failed (TLS or socket errors)", "closed"},
    {"other refusals", "refused"},
};
static_assert(std::size(kTexts) == static_cast<std::size_t>(Refusal::Other) + 1);

QString secondsText(std::chrono::milliseconds ms) { return QString::number(static_cast<double>(ms.count()) / 1000.0); }

}  // namespace

bool RefusalThrottle::admit(Refusal kind, Clock::time_point now)
{
    Window& w = windows_[static_cast<std::size_t>(kind)];
    if (w.open && now - w.start >= interval_ && w.counted == 0) w.open = false;  // ended quietly
    if (!w.open) w = Window{now, 0, 0, true};
    if (w.written < lines_) {
        ++w.written;
        return true;
    }
    if (w.counted++ == 0) nextDue_ = std::min(nextDue_, w.start + interval_);
    return false;
}

std::vector<QString> RefusalThrottle::summaries(Clock::time_point now, bool all)
{
    std::vector<QString> out;
    if (!all && !due(now)) return out;
    nextDue_ = Clock::time_point::max();
    for (std::size_t k = 0; k < kKinds; ++k) {
        Window& w = windows_[k];
        if (!w.open || w.counted == 0) continue;
        const auto span = std::chrono::duration_cast<std::chrono::milliseconds>(now - w.start);
        if (span < interval_ && !all) {
            nextDue_ = std::min(nextDue_, w.start + interval_);
            continue;
        }
        // An interval cut short by a stop is told for the time it lasted, to the tenth of a second.
        const auto shown = span < interval_
                               ? std::chrono::milliseconds(std::max<long long>(100, (span.count() + 50) / 100 * 100))
                               : interval_;
        out.push_back(QStringLiteral("%1: %2: %3 more %4 in the last %5 s")
                          .arg(QLatin1String(kTexts[k].done), QLatin1String(kTexts[k].what))
                          .arg(w.counted)
                          .arg(QLatin1String(kTexts[k].done), secondsText(shown)));
        w = Window{};
    }
    return out;
}

}  // namespace server::net
