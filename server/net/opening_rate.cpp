#include "server/net/opening_rate.h"

#include <algorithm>

namespace server::net {

double OpeningRate::tokensAt(const Bucket& bucket, Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - bucket.at).count();
    return std::min<double>(burst_, bucket.tokens + std::max(0.0, seconds) * perSecond_);
}

bool OpeningRate::take(const QByteArray& address, Clock::time_point now)
{
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        // Many addresses at once (a scan, or a flood from many): those refilled go first,
        // at a cost spread over the insertions that made the table grow.
        if (buckets_.size() >= pruneAt_) {
            forgetFull(now);
            pruneAt_ = std::max<qsizetype>(1024, 2 * buckets_.size());
        }
        it = buckets_.insert(address, Bucket{static_cast<double>(burst_), now});
    }
    const double tokens = tokensAt(*it, now);
    it->at = now;
    if (tokens < 1.0) {
        it->tokens = tokens;
        return false;
    }
    it->tokens = tokens - 1.0;
    return true;
}

void OpeningRate::forgetFull(Clock::time_point now)
{
    for (auto it = buckets_.begin(); it != buckets_.end();)
        it = tokensAt(*it, now) >= burst_ ? buckets_.erase(it) : std::next(it);
}

}  // namespace server::net
