#pragma once
// How fast one client address may open connections: a bucket of `burst` openings per
// address, refilled at `perSecond`. An address past it is refused at accept, before any
// worker, TLS handshake or database sees the connection. The connection caps bound how many
// connections an address holds; this bounds how often it may open one, so that opening and
// dropping connections in a loop costs the server no more than the accepts.
//
//   OpeningRate rate(20, 200);
//   if (!rate.take(address, OpeningRate::Clock::now())) ... refuse
//
// On the listener's thread only. An address whose bucket has refilled is forgotten, so the
// memory held is for the addresses that opened connections within the last burst / perSecond
// seconds.

#include <QByteArray>
#include <QHash>

#include <chrono>

namespace server::net {

class OpeningRate {
public:
    using Clock = std::chrono::steady_clock;

    OpeningRate(double perSecond, int burst) : perSecond_(perSecond), burst_(burst) {}

    // Takes one opening from the address's bucket; false when it is empty.
    bool take(const QByteArray& address, Clock::time_point now);
    // Addresses remembered (those whose bucket is not full).
    qsizetype size() const { return buckets_.size(); }

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point at;
    };
    double tokensAt(const Bucket& bucket, Clock::time_point now) const;
    void forgetFull(Clock::time_point now);

    const double perSecond_;
    const int burst_;
    QHash<QByteArray, Bucket> buckets_;
    qsizetype pruneAt_ = 1024;
};

}  // namespace server::net
